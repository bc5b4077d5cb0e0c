#pragma once

#include "ModVars.h"
#include "SerialLink.h"

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
