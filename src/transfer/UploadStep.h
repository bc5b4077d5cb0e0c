#pragma once

#include "ModVars.h"
#include "SerialLink.h"

#include <array>

struct UploadRow
{
    const char* status;
    Parameter parameter;
};

// The order in which the upload reads the device, indexed by CommCount. The fault counts
// are read address 9 before address 7, and steps 6 and 7 show the same text.
inline constexpr std::array<UploadRow, 9> UploadOrder{{
    {"Uploading SDC", Parameter::ShutDownCountSP},
    {"Uploading WC", Parameter::WarningCountSP},
    {"Uploading Count", Parameter::ActualCount},
    {"Uploading Static P", Parameter::StaticTripSP},
    {"Uploading Static Timer", Parameter::StaticTripTimer},
    {"Uploading Count SP", Parameter::CountTripSP},
    {"Uploading DT SP", Parameter::DynamicTripSP},
    {"Uploading DT SP", Parameter::StaticFaultCount},
    {"Uploading ST SP", Parameter::DynamicFaultCount},
}};

// The line settings of every parameter transfer.
inline constexpr const char* ParameterLineSettings = "9600,n,8,1";

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
