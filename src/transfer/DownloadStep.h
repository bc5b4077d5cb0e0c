#pragma once

#include "CommState.h"
#include "CommView.h"
#include "ModVars.h"
#include "SerialLink.h"

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
