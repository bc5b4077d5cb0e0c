#pragma once

#include "CommState.h"
#include "CommView.h"
#include "ModVars.h"
#include "SerialLink.h"

// One tick's work of upload step `step` (0 to 8): send the read request again, then take
// every valid reply of that parameter that has already arrived. A step that accepted a
// reply sets CommCount to step + 1; otherwise it is simply called again next tick.
void UploadStep(int step, SerialLink& port, CommState& comm, ParameterSet& set, CommView& view);

// The progress bar value during the upload: whole part of CommCount / 9 x 100, worked in
// single precision.
int uploadProgress(int commCount);
