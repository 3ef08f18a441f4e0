#include "SafeFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

SafeFileWriter::SafeFileWriter(std::string target) : target_(std::move(target)) {}

SafeFileWriter::~SafeFileWriter()
{
    if (file_)
        std::fclose(file_);
    if (!committed_ && !temp_.empty())
        ::unlink(temp_.c_str());
}

FILE* SafeFileWriter::open()
{
    std::vector<char> name(target_.begin(), target_.end());
    const char suffix[] = ".tmp-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix); // with the NUL
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error_ = std::strerror(errno);
        return nullptr;
    }
    temp_ = name.data();
    // mkstemp makes the file private; give it the permissions a plain fopen would.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    file_ = ::fdopen(fd, "w");
    if (!file_) {
        error_ = std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return file_;
}

bool SafeFileWriter::commit()
{
    if (!file_) {
        if (error_.empty())
            error_ = "file was not opened";
        return false;
    }
    bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    if (ok && ::fsync(fileno(file_)) != 0)
        ok = false;
    int saved = errno;
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    file_ = nullptr;
    if (!ok) {
        error_ = saved ? std::strerror(saved) : "write error";
        return false;
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    committed_ = true;
    return true;
}

bool WriteFileSafely(const std::string& path, const std::string& text, std::string* error)
{
    SafeFileWriter writer(path);
    FILE* f = writer.open();
    if (f && (text.empty() || std::fwrite(text.data(), 1, text.size(), f) == text.size()) &&
        writer.commit())
        return true;
    if (error)
        *error = writer.error().empty() ? "write error" : writer.error();
    return false;
}
