#pragma once

#include "ExitCode.h"
#include "ModVars.h"

#include <QString>

#include <optional>

// What one device (or, for diff, one pair of sides) came to, for the human table and JSON.
struct DeviceOutcome
{
    QString port;
    // The values read; with a comparison, the left side.
    std::optional<ParameterSet> values;
    // What the values were compared with, and how both sides are named in the differences.
    std::optional<ParameterSet> compared;
    QString leftName = QStringLiteral("device");
    QString rightName = QStringLiteral("file");
    // read, written, equal, differs, would change, failed
    QString outcome;
    QString error;
    ExitCode exitCode = ExitDone;
    // The file written by read -o.
    QString file;
    // The calibration report written by --report.
    QString report;
    // Rows acknowledged by a write, when one ran.
    std::optional<int> rowsWritten;
    // The live stream of watch: last pressure and the window, once a frame came.
    std::optional<int> lastPressure;
    int lowestPressure = 0;
    int highestPressure = 0;
};
