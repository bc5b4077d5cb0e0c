#include "ParameterSync.h"

#include "ParameterTable.h"
#include "RoundHalfEven.h"

QList<GridRowSpec> gridRowSpecs()
{
    QList<GridRowSpec> rows;
    rows.reserve(ParameterCount);
    for (int row = 1; row <= ParameterCount; ++row) {
        const ParameterInfo& info = parameterInfo(gridParameter(row));
        rows.append({QString::fromLatin1(info.grid.caption), QString::fromLatin1(info.grid.units),
                     info.gridRange.minimum, info.gridRange.maximum});
    }
    return rows;
}

void fillGrid(SpreadGrid& grid, const ParameterSet& set)
{
    for (int row = 1; row <= ParameterCount; ++row)
        grid.setCellValue(row, set.value(gridParameter(row)));
}

void setTripNeedles(const TripGauges& gauges, const ParameterSet& set)
{
    gauges.staticTrip.setNeedleValue(set.StaticTripSP);
    gauges.countTrip.setNeedleValue(set.CountTripSP);
    gauges.dynamicTrip.setNeedleValue(set.DynamicTripSP);
}

void markDeviceValues(SpreadGrid& grid, const ParameterSet& device)
{
    for (int row = 1; row <= ParameterCount; ++row)
        grid.setDeviceValue(row, device.value(gridParameter(row)));
}

void markUnacknowledgedWrite(SpreadGrid& grid, Parameter parameter, std::int32_t held,
                             std::int32_t written)
{
    grid.setDeviceValueUnknown(parameterInfo(parameter).grid.row, held, written);
}

void readGridBack(const SpreadGrid& grid, ParameterSet& set)
{
    for (int row = 1; row <= ParameterCount; ++row) {
        const Parameter parameter = gridParameter(row);
        const QString text = grid.cellText(row);
        bool ok = false;
        // A cell that does not hold a number of the parameter's width (only possible
        // before the grid was first filled) leaves its parameter as it is.
        const std::int32_t value = isSixteenBit(parameter) ? text.toShort(&ok) : text.toInt(&ok);
        if (ok)
            set.assign(parameter, value);
    }
}

std::int16_t takeNeedleSetPoint(DialGauge& gauge, Parameter trip)
{
    // A released needle may rest anywhere on the dial, but a trip pressure goes no higher.
    const double limit = parameterInfo(trip).needleLimit.value();
    if (gauge.needleValue() > limit)
        gauge.setNeedleValue(limit);
    return static_cast<std::int16_t>(roundHalfEven(gauge.needleValue()));
}
