// Line-oriented text input for the data files.
//
// Comment syntax: a line whose first non-blank characters are "//" is a comment;
// blank lines (only spaces, tabs and line ends) are skipped as well. Comments
// occupy whole lines; there are no trailing comments, because a field value may
// legitimately end a line.
#pragma once

#include <cstdio>

// Reads the next line that is neither blank nor a comment into line (at most
// size - 1 characters plus the terminating NUL), without its line end ("\n",
// "\r\n" or a lone "\r"). The rest of a line longer than the buffer is skipped, so the next call
// starts on the next line. NUL bytes inside a line end the text at that point.
// Returns line, or nullptr at the end of the stream, on a read error, or for a
// null stream or buffer.
char* fgets_skip_comment(char* line, int size, FILE* stream);
// The same, counting the physical lines consumed into *lineNo (when not null), so
// that *lineNo is the number of the line returned.
// A UTF-8 byte-order mark before line 1 is dropped.
char* fgets_skip_comment(char* line, int size, FILE* stream, int* lineNo);
// The same, telling in *tooLong whether the line returned was longer than the
// buffer (its rest skipped), so that a caller can refuse a number cut in two.
char* fgets_skip_comment(char* line, int size, FILE* stream, int* lineNo, bool* tooLong);

// The framework's field parser: the C library's scanf conversions over a text.
struct JSVsscanf {
    // Like sscanf: returns the number of fields assigned, or EOF for a text that
    // ends before the first conversion. A null text assigns nothing.
    static int vsscanf(const char* text, const char* format, ...);
};
