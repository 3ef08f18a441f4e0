// Work directory and program directory of the framework, and the small file
// helpers built on them.
#pragma once

#include <string>

// The work directory: every output path is this text followed by a file name, so
// it ends with a path separator (or is empty, meaning the current directory).
extern std::string G_strWorkPath;
// The directory of the running program, ending with a separator.
extern std::string G_strExePath;

// Embedded use by a host (1) or standalone (0), as the dialog exports declare
// it. Where the information window and message boxes go is the sink the
// caller puts into a calculation's context, so nothing is kept.
void SetForOcxUse(int embedded);

// Appends a separator to a non-empty directory that lacks one.
std::string WithSeparator(std::string dir);

// Non-zero when a regular file exists at path.
int if_file_exist(const char* path);

// Non-zero when both files can be read and hold the same bytes.
int FileCompare(const char* path1, const char* path2);
