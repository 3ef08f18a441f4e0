// Writing a file so that a failure never destroys what stood there, and reading
// one without letting an endless or enormous input take the machine.
//
// Every output is gathered in memory first and written in one go: to a
// temporary file in the target's directory, flushed to disk, then renamed over
// the target. A full disk, a file-size limit (SIGXFSZ is ignored while we
// write, so the write fails with EFBIG instead of killing the process) or any
// other failure leaves the old file byte for byte and no temporary file.
//
// What stands at the target decides how it is written:
//   - nothing, or a regular file: temporary file and rename; an existing file
//     keeps its permission bits and, where the system lets us, its owner;
//   - a symbolic link: the file it points to is written (the link stays);
//   - a character device or a FIFO: written through, in place (/dev/null takes
//     it, /dev/full reports a full disk, a FIFO without a reader is refused);
//   - a directory, a block device, a socket, a link to nothing: refused.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// Writes text to path as described above. Returns false with *error set to
// "cannot write the file: <reason>".
bool WriteFileSafely(const std::string& path, const std::string& text, std::string* error);

// Within its scope, on this thread, WriteFileSafely does not wait for the disk
// (no fsync) before it renames a file into place. For outputs that the next
// run regenerates anyway, such as the files of every call of a slope search:
// the rename still never leaves half a file where a good one stood while the
// system runs; a power cut may lose what was written last.
class ScopedUnflushedWrites {
public:
    ScopedUnflushedWrites();
    ~ScopedUnflushedWrites();
    ScopedUnflushedWrites(const ScopedUnflushedWrites&) = delete;
    ScopedUnflushedWrites& operator=(const ScopedUnflushedWrites&) = delete;

private:
    bool previous_;
};

// A stream interface over WriteFileSafely for writers that print: open() gives
// a memory stream, commit() writes what was printed. Abandoned without commit,
// nothing is written at all.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string target);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // nullptr (with error() set) if no memory stream can be made.
    FILE* open();
    // Writes what was printed to the target. False (with error() set) when
    // anything failed; the target is then untouched.
    bool commit();

    const std::string& error() const { return error_; }

private:
    std::string target_;
    std::string error_;
    FILE* file_ = nullptr;
    char* buffer_ = nullptr;
    size_t size_ = 0;
};

// Moves a finished file (staged in a directory on the same file system) onto
// target, with the same treatment of what stands at the target as
// WriteFileSafely. The staged file is gone afterwards unless this fails.
bool PublishFile(const std::string& staged, const std::string& target, std::string* error);

// Reads a whole input file. Refuses, with a one-line reason in *error, what is
// not a regular file (a directory, a device such as /dev/zero, a FIFO) and a
// file larger than maxBytes, before reading it.
bool ReadInputFile(const std::string& path, size_t maxBytes, std::string& text, std::string* error);

// The largest record file we read: a thousand layers take well under 1 MiB.
constexpr size_t kMaxRecordFileBytes = 4u << 20;
