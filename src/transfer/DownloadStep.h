#pragma once

#include "CommState.h"
#include "CommView.h"
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

// CmdDownload_Click's work: start the download from its first row and switch the timer on.
void startDownload(CommState& comm, CommView& view);

// One tick of the download. A frame goes out only in a tick with at least four bytes
// waiting: an acknowledgement among them moves on to the next row, anything else
// repeats the current row. After the ninth acknowledgement it reports "Download Complete"
// and hands back to the live stream. A value that does not fit its frame throws FrameError.
// True when a write request went out, for the row CommWriteState now names.
bool DownloadStep(SerialLink& port, CommState& comm, const ParameterSet& set, CommView& view);

// Progress after sending row `state`: state / 8 x 100, at most 100, halves to even.
int downloadProgress(int state);
