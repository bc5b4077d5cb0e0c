#include "ParameterTable.h"

#include <array>

namespace {

// Indexed by Parameter, canonical order. Address 8 is not used by the tool, and the two
// fault counts sit at 9 (static) and 7 (dynamic).
constexpr std::array<DeviceParameter, ParameterCount> Table{{
    {Parameter::ShutDownCountSP, 0, 3},
    {Parameter::WarningCountSP, 1, 3},
    {Parameter::ActualCount, 2, 3},
    {Parameter::StaticTripSP, 3, 1},
    {Parameter::StaticTripTimer, 4, 1},
    {Parameter::DynamicTripSP, 6, 1},
    {Parameter::CountTripSP, 5, 1},
    {Parameter::StaticFaultCount, 9, 2},
    {Parameter::DynamicFaultCount, 7, 2},
}};

constexpr std::int32_t CountLimit = 9999999;
constexpr std::int32_t TripLimit = 99;

} // namespace

const DeviceParameter& deviceParameter(Parameter p)
{
    return Table[static_cast<std::size_t>(p)];
}

std::int32_t applyReadLimit(Parameter p, std::int32_t raw)
{
    switch (p) {
    case Parameter::ShutDownCountSP:
    case Parameter::WarningCountSP:
    case Parameter::ActualCount:
        return raw > CountLimit ? 0 : raw;
    case Parameter::StaticTripSP:
    case Parameter::CountTripSP:
    case Parameter::DynamicTripSP:
        return raw > TripLimit ? TripLimit : raw;
    default:
        return raw;
    }
}
