#pragma once

#include "DeviceOutcome.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The outcome of a device as a person reads it (a block headed by the port: the grid's
// captions, values and units, or only the rows that differ) and as one line of JSON.
class OutcomePrinter
{
public:
    static QString human(const DeviceOutcome& outcome);
    static QByteArray json(const DeviceOutcome& outcome);
    // The parameters, in the grid's order, whose values differ.
    static QList<Parameter> differences(const ParameterSet& left, const ParameterSet& right);
};
