#pragma once

#include <QtGlobal>

#include <cstdint>

// One live pressure frame as the program received it: when its last byte arrived, in
// microseconds since 1970 UTC, and its pressure in PSI as the live pass took it.
struct PressureSample
{
    qint64 timeUs = 0;
    std::int16_t psi = 0;

    friend bool operator==(const PressureSample&, const PressureSample&) = default;
};
