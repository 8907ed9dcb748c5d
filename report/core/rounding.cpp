#include "report/core/rounding.h"

#include "report/core/exceptions.h"
#include "report/core/string_table.h"

#include <cmath>

double qpRoundHalfEven(double x)
{
    if (!std::isfinite(x))
        return x;
    double r = std::floor(x);
    const double diff = x - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0))
        r += 1.0;
    return r;
}

int32_t qpRound(double x)
{
    const double r = qpRoundHalfEven(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        throw EVariantError(qpLoadStr(qpMsgVariantOverflow));
    return static_cast<int32_t>(r);
}

int64_t qpRound64(double x)
{
    const double r = qpRoundHalfEven(x);
    // 2^63 is exactly representable; anything at or above it does not fit.
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
        throw EVariantError(qpLoadStr(qpMsgVariantOverflow));
    return static_cast<int64_t>(r);
}
