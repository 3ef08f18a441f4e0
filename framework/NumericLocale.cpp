#include "NumericLocale.h"

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
