#pragma once

#include <cstdint>

// The communication cycle's window-level variables, all zero when the window is created.
struct CommState
{
    // What a tick does: 0 upload, 1 live stream, any other value (2 is used) download.
    std::int16_t CommAction = 0;
    // Next upload step 0 to 8; 9 once all nine parameters have been read.
    std::int16_t CommCount = 0;
    // Download row 0 to 8; 9 once all nine writes are acknowledged.
    std::int16_t CommWriteState = 0;
    // The pressure window since the last Connect, in PSI.
    std::int16_t MaxPressure = 0;
    std::int16_t MinPressure = 0;
};
