#pragma once

#include <QString>
#include <cstdint>

// The nine parameters the device keeps in its non-volatile memory, in canonical order
// (the order of declaration and of the parameter file).
enum class Parameter
{
    ShutDownCountSP,
    WarningCountSP,
    ActualCount,
    StaticTripSP,
    StaticTripTimer,
    DynamicTripSP,
    CountTripSP,
    StaticFaultCount,
    DynamicFaultCount,
};

inline constexpr int ParameterCount = 9;

// The parameter set as plain data. Counts are 32-bit, trip pressures and the timer 16-bit,
// all signed, as the device firmware and the parameter files expect.
struct ParameterSet
{
    std::int32_t ShutDownCountSP = 0;
    std::int32_t WarningCountSP = 0;
    std::int32_t ActualCount = 0;
    std::int16_t StaticTripSP = 0;
    std::int16_t StaticTripTimer = 0;
    std::int16_t DynamicTripSP = 0;
    std::int16_t CountTripSP = 0;
    std::int32_t StaticFaultCount = 0;
    std::int32_t DynamicFaultCount = 0;

    bool operator==(const ParameterSet&) const = default;

    std::int32_t value(Parameter p) const;
    // Stores a value; a 16-bit parameter keeps the low 16 bits, as a plain assignment would.
    void assign(Parameter p, std::int32_t v);
};

// True for the parameters held in 16 bits (the three trip pressures and the timer).
bool isSixteenBit(Parameter p);

// The nine values with the file state of the parameter-file operations: a plain value that
// is handed by reference. The window owns the program's one, ModVars, for the whole run; the
// command line owns one per device.
struct ParameterModule : ParameterSet
{
    // The parameter file being read or saved, upper-cased, and its part after the last
    // backslash.
    QString ParamFileName;
    QString ParamFileTitle;
};
