#pragma once

#include "ModVars.h"

#include <cstdint>

// Where each parameter lives in the device and how many data bytes carry it.
struct DeviceParameter
{
    Parameter parameter;
    int address;   // high nibble of every command byte for this parameter
    int dataBytes; // 1, 2 or 3, most significant first
};

const DeviceParameter& deviceParameter(Parameter p);

// The limit the tool applies to a value it reads from the device: counts above
// 9999999 are taken as unset (0), trip pressures are held at 99, the rest pass.
std::int32_t applyReadLimit(Parameter p, std::int32_t raw);
