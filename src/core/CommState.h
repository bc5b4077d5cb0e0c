#pragma once

#include <cstdint>

// What a tick of the communication cycle does. The numbers are the ones the traffic log and
// the tests print.
enum class CommPhase : std::int16_t
{
    Upload = 0,
    Live = 1,
    Download = 2
};

// The communication cycle's variables, all zero when the cycle is created.
struct CommState
{
    CommPhase CommAction = CommPhase::Upload;
    // Next upload step 0 to 8; 9 once all nine parameters have been read.
    std::int16_t CommCount = 0;
    // Download row 0 to 8; 9 once all nine writes are acknowledged.
    std::int16_t CommWriteState = 0;
    // The pressure window since the last Connect, in PSI.
    std::int16_t MaxPressure = 0;
    std::int16_t MinPressure = 0;
};
