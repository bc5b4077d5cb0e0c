#pragma once

#include <QtGlobal>

#include <cstdint>

// One live pressure frame as the program received it: when its last byte arrived, in
// microseconds since 1970 UTC, and its pressure in PSI as the live pass took it. Eight bytes,
// so that ten minutes of the stream stay small: the time's 52 bits reach the year 2112, and a
// frame carries one byte of pressure.
struct PressureSample
{
    qint64 timeUs : 52 = 0;
    int psi : 12 = 0;

    friend bool operator==(const PressureSample&, const PressureSample&) = default;
};
static_assert(sizeof(PressureSample) == 8);
