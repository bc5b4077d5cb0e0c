#include "AutoCalibration.h"

#include "ParameterTable.h"
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

QString autoCalibrationTip(std::int16_t maxPressure, std::int16_t minPressure)
{
    // Each Connect starts the window closed, lowest above highest, until pressures arrive.
    const bool seen = maxPressure > 0 && maxPressure >= minPressure;
    QString window = QStringLiteral("none yet, connect first");
    if (seen) {
        window = QStringLiteral("lowest %1 PSI, highest %2 PSI").arg(minPressure).arg(maxPressure);
        if (!autoCalibrate(maxPressure, minPressure))
            window += QStringLiteral(", narrower than %1 PSI").arg(NarrowestWindow);
    }
    const auto caption = [](Parameter p) {
        return QString::fromLatin1(parameterInfo(p).grid.caption);
    };
    return QStringLiteral("Sets the three trip pressures from the pressure window seen: %1.\n"
                          "Also clears %2, %3 and %4.")
        .arg(window, caption(Parameter::ActualCount), caption(Parameter::StaticFaultCount),
             caption(Parameter::DynamicFaultCount));
}
