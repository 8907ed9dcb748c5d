#pragma once
// The engine's one rounding rule: to the nearest integer, halves to the even
// neighbour (so 2.5 -> 2, 3.5 -> 4, -2.5 -> -2).

#include <cstdint>

// Nearest integral value as a double; NaN and infinities pass through.
double qpRoundHalfEven(double x);

// Nearest 32-bit integer; throws EVariantError when the value does not fit.
int32_t qpRound(double x);

// Nearest 64-bit integer; throws EVariantError when the value does not fit.
int64_t qpRound64(double x);
