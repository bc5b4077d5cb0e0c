#pragma once

#include "DialGauge.h"
#include "ModVars.h"
#include "SpreadGrid.h"

#include <array>
#include <cstdint>

// One grid row: the parameter it shows and its caption, units and accepted range.
struct GridRow
{
    Parameter parameter;
    const char* caption;
    const char* units;
    std::int32_t minimum;
    std::int32_t maximum;
};

// The grid's nine rows, top to bottom. Row 6 shows CountTripSP and row 7 DynamicTripSP,
// the reverse of the canonical order.
extern const std::array<GridRow, 9> GridRows;

QList<GridRowSpec> gridRowSpecs();

// The three trip dials, in the order the needles are set.
struct TripGauges
{
    DialGauge& staticTrip;
    DialGauge& countTrip;
    DialGauge& dynamicTrip;
};

// Copies the nine parameters into the grid's value column.
void refreshGrid(SpreadGrid& grid, const ParameterSet& set);

// Sets the three trip needles from the three trip set-points.
void refreshTripNeedles(const TripGauges& gauges, const ParameterSet& set);

// Tells the grid what the device holds, so that it marks the values that differ.
void markDeviceValues(SpreadGrid& grid, const ParameterSet& device);

// After any edit: takes all nine value cells back into the set, whichever one changed.
void readGridBack(const SpreadGrid& grid, ParameterSet& set);

// A dragged needle was released: a needle past the highest trip pressure is put back
// there, and the needle's position rounded to the nearest whole number (halves to even)
// is the new set-point.
// The needle itself otherwise stays where the user left it.
std::int16_t takeNeedleSetPoint(DialGauge& gauge);
