#include "SafeFile.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// While it lives, a write beyond the file-size limit fails with EFBIG instead of
// ending the process by SIGXFSZ. The earlier disposition is put back after, so a
// host that loads us keeps its own.
class IgnoreFileSizeSignal {
public:
    IgnoreFileSizeSignal()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        saved_ = ::sigaction(SIGXFSZ, &ignore, &previous_) == 0;
    }
    ~IgnoreFileSizeSignal()
    {
        if (saved_)
            ::sigaction(SIGXFSZ, &previous_, nullptr);
    }
    IgnoreFileSizeSignal(const IgnoreFileSizeSignal&) = delete;
    IgnoreFileSizeSignal& operator=(const IgnoreFileSizeSignal&) = delete;

private:
    struct sigaction previous_ {};
    bool saved_ = false;
};

std::string Reason(int err) { return std::strerror(err); }

bool Fail(std::string* error, const std::string& reason)
{
    if (error)
        *error = "cannot write the file: " + reason;
    return false;
}

std::string BaseNameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, const char* data, size_t size, int& err)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// What stands at a target, and where its bytes really go.
struct Target {
    enum Kind { New, Regular, Through } kind = New;
    std::string path; // with symbolic links followed
    struct stat st {};
};

bool ResolveTarget(const std::string& path, Target& t, std::string* error)
{
    if (path.empty())
        return Fail(error, "no file name");
    if (path.find('\0') != std::string::npos)
        return Fail(error, "the name holds a NUL byte");
    t.path = path;
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        if (errno != ENOENT)
            return Fail(error, Reason(errno));
        t.kind = Target::New;
        return true;
    }
    if (S_ISLNK(link.st_mode)) {
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real)
            return Fail(error, errno == ENOENT ? "it is a symbolic link to a missing file"
                                               : Reason(errno));
        t.path = real;
        std::free(real);
    }
    if (::stat(t.path.c_str(), &t.st) != 0) {
        if (errno != ENOENT)
            return Fail(error, Reason(errno));
        t.kind = Target::New;
        return true;
    }
    if (S_ISREG(t.st.st_mode)) {
        t.kind = Target::Regular;
        return true;
    }
    if (S_ISCHR(t.st.st_mode) || S_ISFIFO(t.st.st_mode)) {
        t.kind = Target::Through;
        return true;
    }
    if (S_ISDIR(t.st.st_mode))
        return Fail(error, "it is a directory");
    return Fail(error, "it is not a regular file");
}

// A device or FIFO takes the bytes in place. A FIFO that nobody reads would
// block for ever: it is refused at once.
bool WriteThrough(const Target& t, const std::string& text, std::string* error)
{
    const int fd = ::open(t.path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail(error, errno == ENXIO ? "no program reads from the FIFO" : Reason(errno));
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    int err = 0;
    bool ok = WriteAll(fd, text.data(), text.size(), err);
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    return ok ? true : Fail(error, Reason(err));
}

// The temporary file beside the target. Its name must fit the file system's
// limit even when the target's own name nearly fills it.
int MakeTemporary(const std::string& target, std::string& temp, int& err)
{
    std::string base = BaseNameOf(target);
    std::string name = base + ".tmp-XXXXXX";
    if (name.size() > NAME_MAX || base.empty())
        name = ".kangli-tmp-XXXXXX";
    const size_t slash = target.rfind('/');
    temp = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + name;
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        err = errno;
    return fd;
}

// The permissions of the file we replace, or those a plain creation would give.
void GiveModeOf(int fd, const Target& t)
{
    if (t.kind == Target::Regular) {
        ::fchmod(fd, t.st.st_mode & 07777);
        if (::fchown(fd, t.st.st_uid, t.st.st_gid) != 0) {
            // Not ours to give (another owner): the file becomes ours, as a
            // plain rewrite by this user would leave it.
        }
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

} // namespace

namespace {
thread_local bool t_flush = true;
} // namespace

ScopedUnflushedWrites::ScopedUnflushedWrites() : previous_(t_flush) { t_flush = false; }
ScopedUnflushedWrites::~ScopedUnflushedWrites() { t_flush = previous_; }

bool WriteFileSafely(const std::string& path, const std::string& text, std::string* error)
{
    Target t;
    if (!ResolveTarget(path, t, error))
        return false;
    IgnoreFileSizeSignal noSignal;
    if (t.kind == Target::Through)
        return WriteThrough(t, text, error);

    std::string temp;
    int err = 0;
    const int fd = MakeTemporary(t.path, temp, err);
    if (fd < 0)
        return Fail(error, Reason(err));
    GiveModeOf(fd, t);
    bool ok = WriteAll(fd, text.data(), text.size(), err);
    if (ok && t_flush && ::fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.c_str(), t.path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Fail(error, Reason(err));
    }
    return true;
}

bool PublishFile(const std::string& staged, const std::string& target, std::string* error)
{
    Target t;
    if (!ResolveTarget(target, t, error))
        return false;
    if (t.kind != Target::Through) {
        if (t.kind == Target::Regular) {
            ::chmod(staged.c_str(), t.st.st_mode & 07777);
            if (::chown(staged.c_str(), t.st.st_uid, t.st.st_gid) != 0) {
                // as in GiveModeOf
            }
        }
        if (::rename(staged.c_str(), t.path.c_str()) == 0)
            return true;
        if (errno != EXDEV)
            return Fail(error, Reason(errno));
        // A link into another file system: copy the bytes over instead.
    }
    std::string text;
    if (!ReadInputFile(staged, SIZE_MAX, text, error))
        return false;
    if (!WriteFileSafely(t.path, text, error))
        return false;
    ::unlink(staged.c_str());
    return true;
}

SafeFileWriter::SafeFileWriter(std::string target) : target_(std::move(target)) {}

SafeFileWriter::~SafeFileWriter()
{
    if (file_)
        std::fclose(file_);
    std::free(buffer_);
}

FILE* SafeFileWriter::open()
{
    if (file_)
        return file_;
    file_ = ::open_memstream(&buffer_, &size_);
    if (!file_)
        error_ = "cannot write the file: " + Reason(errno);
    return file_;
}

bool SafeFileWriter::commit()
{
    if (!file_) {
        if (error_.empty())
            error_ = "cannot write the file: it was not opened";
        return false;
    }
    const bool printed = std::fflush(file_) == 0 && !std::ferror(file_);
    const int err = errno;
    std::fclose(file_);
    file_ = nullptr;
    if (!printed) {
        error_ = "cannot write the file: " + Reason(err ? err : ENOMEM);
        return false;
    }
    return WriteFileSafely(target_, std::string(buffer_ ? buffer_ : "", size_), &error_);
}

bool ReadInputFile(const std::string& path, size_t maxBytes, std::string& text, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail("cannot open the file for reading: " + Reason(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return fail("cannot read the file: " + Reason(err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(S_ISDIR(st.st_mode)   ? "it is a directory, not a record file"
                    : S_ISFIFO(st.st_mode) ? "it is a FIFO, not a record file"
                    : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)
                        ? "it is a device, not a record file"
                        : "it is not a regular file");
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd);
        return fail("the file is larger than " + std::to_string(maxBytes >> 10) +
                    " KiB; no record is that large");
    }
    text.clear();
    text.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            return fail("cannot read the file: " + Reason(err));
        }
        if (n == 0)
            break;
        text.append(buf, static_cast<size_t>(n));
        if (text.size() > maxBytes) { // grew while we read
            ::close(fd);
            return fail("the file is larger than " + std::to_string(maxBytes >> 10) +
                        " KiB; no record is that large");
        }
    }
    ::close(fd);
    return true;
}
