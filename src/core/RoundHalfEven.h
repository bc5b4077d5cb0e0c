#pragma once

#include <cmath>
#include <cstdint>

// Nearest whole number, a value exactly halfway going to the even neighbour
// (42.5 -> 42, 43.5 -> 44), the rounding every floating value gets before it
// becomes a parameter or a progress value.
inline std::int32_t roundHalfEven(double x)
{
    const double lower = std::floor(x);
    const double fraction = x - lower;
    double result = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0))
        result = lower + 1.0;
    return static_cast<std::int32_t>(result);
}
