#include "NumericLocale.h"

#include <cmath>
#include <cstdio>

namespace {
locale_t CLocale()
{
    // Made once and kept for the life of the process, as uselocale requires.
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}
} // namespace

ScopedCNumbers::ScopedCNumbers()
{
    if (CLocale())
        previous_ = ::uselocale(CLocale());
}

ScopedCNumbers::~ScopedCNumbers()
{
    if (previous_)
        ::uselocale(previous_);
}

std::string MessageNumber(double v)
{
    ScopedCNumbers numbers;
    char buf[64];
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15)
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else
        std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

double Shown(double v, int decimals)
{
    const double half = 0.5 * std::pow(10.0, -decimals);
    return std::fabs(v) < half ? 0.0 : v;
}
