#pragma once

#include "ModVars.h"

#include <QList>
#include <QString>

// The grid rows, top to bottom, whose value in the set lies outside what the row's cell
// accepts. A file, the device or Auto Cal can leave such a value in the set.
QList<int> outOfRangeRows(const ParameterSet& set);

// What Download asks before it writes values that the grid would not accept, naming each
// row with its value and range; empty when every value lies within its range.
QString outOfRangeQuestion(const ParameterSet& set);
