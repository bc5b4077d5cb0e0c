#include "ModVars.h"

std::int32_t ParameterSet::value(Parameter p) const
{
    switch (p) {
    case Parameter::ShutDownCountSP:
        return ShutDownCountSP;
    case Parameter::WarningCountSP:
        return WarningCountSP;
    case Parameter::ActualCount:
        return ActualCount;
    case Parameter::StaticTripSP:
        return StaticTripSP;
    case Parameter::StaticTripTimer:
        return StaticTripTimer;
    case Parameter::DynamicTripSP:
        return DynamicTripSP;
    case Parameter::CountTripSP:
        return CountTripSP;
    case Parameter::StaticFaultCount:
        return StaticFaultCount;
    case Parameter::DynamicFaultCount:
        return DynamicFaultCount;
    }
    return 0;
}

void ParameterSet::assign(Parameter p, std::int32_t v)
{
    const auto narrow = static_cast<std::int16_t>(v);
    switch (p) {
    case Parameter::ShutDownCountSP:
        ShutDownCountSP = v;
        break;
    case Parameter::WarningCountSP:
        WarningCountSP = v;
        break;
    case Parameter::ActualCount:
        ActualCount = v;
        break;
    case Parameter::StaticTripSP:
        StaticTripSP = narrow;
        break;
    case Parameter::StaticTripTimer:
        StaticTripTimer = narrow;
        break;
    case Parameter::DynamicTripSP:
        DynamicTripSP = narrow;
        break;
    case Parameter::CountTripSP:
        CountTripSP = narrow;
        break;
    case Parameter::StaticFaultCount:
        StaticFaultCount = v;
        break;
    case Parameter::DynamicFaultCount:
        DynamicFaultCount = v;
        break;
    }
}

bool isSixteenBit(Parameter p)
{
    switch (p) {
    case Parameter::StaticTripSP:
    case Parameter::StaticTripTimer:
    case Parameter::DynamicTripSP:
    case Parameter::CountTripSP:
        return true;
    default:
        return false;
    }
}
