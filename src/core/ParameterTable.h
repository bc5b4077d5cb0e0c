#pragma once

#include "ModVars.h"

#include <array>
#include <cstdint>
#include <optional>

// The largest trip pressure. The live stream, a released trip needle, the dial's keys, the
// grid, the device upload and the file reader all hold trip pressures here.
inline constexpr std::int16_t HighestTripPressure = 99;

// How a parameter's field of the parameter set is reached: exactly one of the two is set.
struct ParameterField
{
    std::int32_t ParameterSet::*wide = nullptr;
    std::int16_t ParameterSet::*narrow = nullptr;
};

constexpr ParameterField field(std::int32_t ParameterSet::*wide)
{
    return {wide, nullptr};
}

constexpr ParameterField field(std::int16_t ParameterSet::*narrow)
{
    return {nullptr, narrow};
}

// Where the parameter lives in the device and how many data bytes carry it.
struct DeviceSlot
{
    int address;   // high nibble of every command byte for this parameter
    int dataBytes; // 1, 2 or 3, most significant first
};

// One step of the upload or one row of the download, and the status line while it runs.
struct TransferStep
{
    int index;
    const char* status;
};

// The grid row (1 at the top) with its caption and units.
struct GridPlace
{
    int row;
    const char* caption;
    const char* units;
};

struct ValueRange
{
    std::int32_t minimum;
    std::int32_t maximum;
};

// A value read from the device above `highest` becomes `replacement`.
struct UploadLimit
{
    std::int32_t highest;
    std::int32_t replacement;
};

// Everything the program knows about one parameter. The parameter file holds the records
// in the table's order, which is the canonical order.
struct ParameterInfo
{
    Parameter parameter;
    const char* name; // its name in the parameter set, also in the simulator's dumps and options
    ParameterField field;
    DeviceSlot device;
    TransferStep upload;
    TransferStep download;
    GridPlace grid;
    const char* fileLabel;

    // Where a value enters the parameter set, the limit it meets there.
    ValueRange gridRange; // what the grid's cell accepts
    // Only the trip pressures have a needle; a released needle is held at this value.
    std::optional<std::int16_t> needleLimit;
    // Values read from the device that pass unchanged have none.
    std::optional<UploadLimit> uploadLimit;
    // The largest value the file reader takes; a larger one is held there.
    std::int32_t fileReadLimit;
};

using ParameterTable = std::array<ParameterInfo, ParameterCount>;

// All nine parameters in canonical order.
const ParameterTable& parameterTable();

const ParameterInfo& parameterInfo(Parameter p);

// The parameter the upload reads at `step`, 0 to 8; any other step throws std::out_of_range.
Parameter uploadParameter(int step);

// The parameter the download writes at `row`, 0 to 8; any other row throws std::out_of_range.
Parameter downloadParameter(int row);

// The parameter grid row `row` shows, 1 to 9; any other row throws std::out_of_range.
Parameter gridParameter(int row);

// What a value read from the device becomes in the parameter set.
std::int32_t applyUploadLimit(Parameter p, std::int32_t raw);
