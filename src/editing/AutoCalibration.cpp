#include "AutoCalibration.h"

#include "RoundHalfEven.h"

namespace {

// The narrowest window, in PSI, from which the trip pressures are derived.
constexpr int NarrowestWindow = 5;

} // namespace

std::optional<TripSetPoints> autoCalibrate(std::int16_t maxPressure, std::int16_t minPressure)
{
    // The width is taken in 16 bits like the pressures themselves; a window too wide for
    // that wraps to a negative width and is refused with the narrow ones.
    const auto width = static_cast<std::int16_t>(maxPressure - minPressure);
    if (!(minPressure < maxPressure) || maxPressure == 0 || width < NarrowestWindow)
        return std::nullopt;

    const double staticTrip = maxPressure - width / 2.0;
    const double countTrip = maxPressure - (3 * width) / 4.0;
    const double dynamicTrip = minPressure - minPressure / 4.0;
    return TripSetPoints{static_cast<std::int16_t>(roundHalfEven(staticTrip)),
                         static_cast<std::int16_t>(roundHalfEven(countTrip)),
                         static_cast<std::int16_t>(roundHalfEven(dynamicTrip))};
}

bool applyAutoCalibration(ParameterSet& set, std::int16_t maxPressure, std::int16_t minPressure)
{
    const std::optional<TripSetPoints> trips = autoCalibrate(maxPressure, minPressure);
    if (!trips)
        return false;
    set.StaticTripSP = trips->staticTrip;
    set.CountTripSP = trips->countTrip;
    set.DynamicTripSP = trips->dynamicTrip;
    set.ActualCount = 0;
    set.StaticFaultCount = 0;
    set.DynamicFaultCount = 0;
    return true;
}
