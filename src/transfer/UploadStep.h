#pragma once

#include "ModVars.h"
#include "SerialLink.h"

enum class UploadResult
{
    Requested, // the read request went out; no reply of this parameter has arrived yet
    Stored,    // a reply arrived and its value is in the set
};

// One tick's work of upload step `step` (0 to 8): send the read request again, then take
// every valid reply of that parameter that has already arrived into the set.
UploadResult UploadStep(int step, SerialLink& port, ParameterSet& set);

// The progress bar value during the upload: whole part of CommCount / 9 x 100, worked in
// single precision.
int uploadProgress(int commCount);
