#pragma once

#include "DialGauge.h"
#include "ModVars.h"
#include "SpreadGrid.h"

#include <cstdint>

// The grid's nine rows, top to bottom: caption, units and accepted range.
QList<GridRowSpec> gridRowSpecs();

// The three trip dials, in the order the needles are set.
struct TripGauges
{
    DialGauge& staticTrip;
    DialGauge& countTrip;
    DialGauge& dynamicTrip;
};

// Copies the nine parameters into the grid's value column.
void fillGrid(SpreadGrid& grid, const ParameterSet& set);

// Sets the three trip needles from the three trip set-points.
void setTripNeedles(const TripGauges& gauges, const ParameterSet& set);

// Tells the grid what the device holds, so that it marks the values that differ.
void markDeviceValues(SpreadGrid& grid, const ParameterSet& device);

// A write the device never acknowledged: the parameter's row is marked as unknown.
void markUnacknowledgedWrite(SpreadGrid& grid, Parameter parameter, std::int32_t held,
                             std::int32_t written);

// After any edit: takes all nine value cells back into the set, whichever one changed.
void readGridBack(const SpreadGrid& grid, ParameterSet& set);

// The needle of the trip pressure `trip` was released: a needle past the trip's needle limit
// is put back there, and the needle's position rounded to the nearest whole number (halves
// to even) is the new set-point. The needle itself otherwise stays where the user left it.
std::int16_t takeNeedleSetPoint(DialGauge& gauge, Parameter trip);
