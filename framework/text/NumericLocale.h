// Numbers in our files never follow the user's locale. A desktop program (and
// every host that loads us) calls setlocale(LC_ALL, ""), after which printf,
// scanf and strtod write and read "1,5" under a comma-decimal locale: a data
// file would then hold 22,000000 and read back as 22. Each place that prints or
// parses numbers for a file, a book, a drawing or a table holds one of these for
// its duration: the calling thread uses the "C" locale meanwhile, and its own
// locale again afterwards, so the host's settings are left as they were.
#pragma once

#include <locale.h>

class ScopedCNumbers {
public:
    ScopedCNumbers();
    ~ScopedCNumbers();
    ScopedCNumbers(const ScopedCNumbers&) = delete;
    ScopedCNumbers& operator=(const ScopedCNumbers&) = delete;

private:
    locale_t previous_ = nullptr;
};

#include <string>

// A number for a message: whole numbers in full (10000000, not 1e+07), others
// in the briefest form (%g), in the C locale.
std::string MessageNumber(double value);

// A value as a table prints it with this many decimals, without the minus of
// a value that rounds to zero there ("-0.000" for -1e-10 reads as a sign).
double Shown(double value, int decimals);
