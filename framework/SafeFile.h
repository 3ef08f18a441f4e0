// Writing a file so that a failure never destroys the file that stood there: the
// text goes to a temporary file in the same directory, which replaces the target
// by a rename only when everything was written and flushed.
#pragma once

#include <cstdio>
#include <string>

class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string target);
    ~SafeFileWriter(); // removes the temporary file unless committed
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file; nullptr (with error() set) if it cannot.
    FILE* open();
    // Flushes, syncs, closes and renames over the target. Returns false (with
    // error() set) when any write failed; the target is then untouched.
    bool commit();

    const std::string& error() const { return error_; }
    const std::string& tempPath() const { return temp_; }

private:
    std::string target_;
    std::string temp_;
    std::string error_;
    FILE* file_ = nullptr;
    bool committed_ = false;
};

// Writes text to path through a SafeFileWriter. Returns false with *error set.
bool WriteFileSafely(const std::string& path, const std::string& text, std::string* error);
