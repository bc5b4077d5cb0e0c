#pragma once

#include <cstdint>
#include <random>

// The shape of the pressure a press builds up and releases on every stroke, in PSI.
struct PressureShape
{
    double base = 20.0;  // between strokes
    double peak = 75.0;  // at the middle of a stroke
    double period = 2.0; // seconds from one stroke to the next
    double noise = 1.0;  // largest random deviation of a sample either way
};

// Pressure over time as a raised cosine from base up to peak and back once per period,
// with a little noise on every sample.
class PressureProfile
{
public:
    explicit PressureProfile(const PressureShape& shape) : m_shape(shape) {}

    // The pressure without noise, seconds after the stream started.
    double stroke(double seconds) const;
    // One reading as the live frame carries it: noisy, rounded and held within 0..255.
    std::uint8_t sample(double seconds, std::mt19937& random) const;

private:
    PressureShape m_shape;
};
