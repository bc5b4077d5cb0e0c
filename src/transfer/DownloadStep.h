#pragma once

#include "ModVars.h"
#include "SerialLink.h"

#include <array>

struct DownloadRow
{
    const char* status;
    Parameter parameter;
};

// The order in which the download writes the device, indexed by CommWriteState. The fault
// counts are written address 7 before address 9, the reverse of the upload.
inline constexpr std::array<DownloadRow, 9> DownloadOrder{{
    {"Writing SD SP", Parameter::ShutDownCountSP},
    {"Writing Warning SP", Parameter::WarningCountSP},
    {"Writing Count", Parameter::ActualCount},
    {"Writing Static SP", Parameter::StaticTripSP},
    {"Writing Static Timer", Parameter::StaticTripTimer},
    {"Writing Count SP", Parameter::CountTripSP},
    {"Writing Dynamic SP", Parameter::DynamicTripSP},
    {"Writing DF Count", Parameter::DynamicFaultCount},
    {"Writing SF Count", Parameter::StaticFaultCount},
}};

enum class DownloadResult
{
    Waiting,  // fewer bytes than an acknowledgement have arrived; nothing was sent
    Repeated, // no acknowledgement among them: the row's write request went out again
    Advanced, // the row was acknowledged and the next row's write request went out
    Finished, // the last row was acknowledged
};

// One tick of the download at row `row` (0 to 8). A frame goes out only in a tick with at
// least four bytes waiting: an acknowledgement among them moves on to the next row, anything
// else repeats the current row. A value that does not fit its frame throws FrameError.
DownloadResult DownloadStep(int row, SerialLink& port, const ParameterSet& set);

// Progress after sending row `state`: state / 8 x 100, at most 100, halves to even.
int downloadProgress(int state);
