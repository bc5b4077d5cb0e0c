#include "ParameterSync.h"

#include "RoundHalfEven.h"

namespace {

// A released needle may rest anywhere on the dial, but a trip pressure goes no higher.
constexpr double HighestTripPressure = 99.0;

} // namespace

const std::array<GridRow, 9> GridRows{{
    {Parameter::ShutDownCountSP, "Overcount S.P.", "Count", 2, 9999999},
    {Parameter::WarningCountSP, "Warning S.P.", "Count", 2, 9999999},
    {Parameter::ActualCount, "Actual Count", "Count", 0, 9999999},
    {Parameter::StaticTripSP, "Static Trip Pressure", "PSI", 0, 99},
    {Parameter::StaticTripTimer, "Static Pressure Timer", "Seconds", 0, 255},
    {Parameter::CountTripSP, "Count Trip Pressure", "PSI", 0, 99},
    {Parameter::DynamicTripSP, "Dynamic Trip Pressure", "PSI", 0, 99},
    {Parameter::StaticFaultCount, "Static Fault Count", "Count", 0, 65535},
    {Parameter::DynamicFaultCount, "Dynamic Fault Count", "Count", 0, 65535},
}};

QList<GridRowSpec> gridRowSpecs()
{
    QList<GridRowSpec> rows;
    rows.reserve(static_cast<qsizetype>(GridRows.size()));
    for (const GridRow& row : GridRows)
        rows.append({QString::fromLatin1(row.caption), QString::fromLatin1(row.units), row.minimum,
                     row.maximum});
    return rows;
}

void refreshGrid(SpreadGrid& grid, const ParameterSet& set)
{
    for (int row = 1; row <= static_cast<int>(GridRows.size()); ++row)
        grid.setCellValue(row, set.value(GridRows[static_cast<std::size_t>(row - 1)].parameter));
}

void refreshTripNeedles(const TripGauges& gauges, const ParameterSet& set)
{
    gauges.staticTrip.setNeedleValue(set.StaticTripSP);
    gauges.countTrip.setNeedleValue(set.CountTripSP);
    gauges.dynamicTrip.setNeedleValue(set.DynamicTripSP);
}

void markDeviceValues(SpreadGrid& grid, const ParameterSet& device)
{
    for (int row = 1; row <= static_cast<int>(GridRows.size()); ++row)
        grid.setDeviceValue(row,
                            device.value(GridRows[static_cast<std::size_t>(row - 1)].parameter));
}

void readGridBack(const SpreadGrid& grid, ParameterSet& set)
{
    for (int row = 1; row <= static_cast<int>(GridRows.size()); ++row) {
        const Parameter parameter = GridRows[static_cast<std::size_t>(row - 1)].parameter;
        const QString text = grid.cellText(row);
        bool ok = false;
        // A cell that does not hold a number of the parameter's width (only possible
        // before the grid was first filled) leaves its parameter as it is.
        const std::int32_t value = isSixteenBit(parameter) ? text.toShort(&ok) : text.toInt(&ok);
        if (ok)
            set.assign(parameter, value);
    }
}

std::int16_t takeNeedleSetPoint(DialGauge& gauge)
{
    if (gauge.needleValue() > HighestTripPressure)
        gauge.setNeedleValue(HighestTripPressure);
    return static_cast<std::int16_t>(roundHalfEven(gauge.needleValue()));
}
