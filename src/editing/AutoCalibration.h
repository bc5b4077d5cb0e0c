#pragma once

#include "ModVars.h"

#include <QString>

#include <cstdint>
#include <optional>

struct TripSetPoints
{
    std::int16_t staticTrip;
    std::int16_t countTrip;
    std::int16_t dynamicTrip;
    bool operator==(const TripSetPoints&) const = default;
};

inline constexpr const char* PressureWindowTooNarrow =
    "Pressure Window too narrow for Auto-Calibration";

// The three trip pressures derived from the pressure window, or nothing when the window
// is not usable (Min not below Max, Max zero, or the window too narrow).
std::optional<TripSetPoints> autoCalibrate(std::int16_t maxPressure, std::int16_t minPressure);

// Auto Cal on the set: writes the three trip set-points and clears the actual count and
// both fault counts. Returns false, changing nothing, when the window is not usable.
bool applyAutoCalibration(ParameterSet& set, std::int16_t maxPressure, std::int16_t minPressure);

// What Auto Cal will do, for its button's tooltip: the pressure window it takes the trip
// pressures from (or that there is none yet), and the counts it clears.
QString autoCalibrationTip(std::int16_t maxPressure, std::int16_t minPressure);
