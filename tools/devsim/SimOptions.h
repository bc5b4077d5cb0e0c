#pragma once

#include "DeviceMemory.h"
#include "FaultSettings.h"
#include "PressureProfile.h"
#include "TrafficLog.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The command line of the simulated device.
struct SimOptions
{
    ParameterSet values = DeviceMemory::defaultValues();
    QString loadPath; // a *.PRS file whose values replace the ones above
    QString dumpPath;
    bool dumpOnWrite = false;
    PressureShape pressure;
    // The live stream leaves in one write per pressure frame, timed to the line's rate, as
    // a UART that hands each frame over on its own does; by default a turn writes what the
    // line carried since the last one.
    bool frameByFrame = false;
    QString replayPath; // a pressure recording streamed in place of the strokes
    double replaySpeed = 1.0;
    bool replayOnce = false;
    FaultSettings faults;
    std::optional<std::uint32_t> seed;
    QString logPath; // the traffic log, from the device's side
    qint64 logMaxBytes = TrafficLog::DefaultMaxBytes;
    bool helpRequested = false;

    // Parses the arguments, the program's name first. On a bad argument returns nothing and
    // puts a message naming the option into error. Does not read the --load file.
    static std::optional<SimOptions> parse(const QStringList& arguments, QString& error);

    static QString helpText();

    // The nine values of --values, or nothing with the reason in error.
    static std::optional<ParameterSet> parseValues(const QString& list, QString& error);
};
