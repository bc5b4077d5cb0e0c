#include "PressureProfile.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double PressureProfile::stroke(double seconds) const
{
    const double phase = std::fmod(seconds, m_shape.period) / m_shape.period;
    const double rise = (1.0 - std::cos(2.0 * std::numbers::pi * phase)) / 2.0;
    return m_shape.base + (m_shape.peak - m_shape.base) * rise;
}

std::uint8_t PressureProfile::sample(double seconds, std::mt19937& random) const
{
    double value = stroke(seconds);
    if (m_shape.noise > 0.0)
        value += std::uniform_real_distribution<double>(-m_shape.noise, m_shape.noise)(random);
    return static_cast<std::uint8_t>(std::clamp(std::round(value), 0.0, 255.0));
}
