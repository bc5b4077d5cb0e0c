#pragma once

#include "ModVars.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

// The simulated device, vorta-devsim, as a child process serving its own pseudo-terminal.
// The simulator prints the terminal's path as its first line; a SIGTERM makes it close the
// line, as an unplugged adapter would, write its memory dump and exit.
class SimulatedDevice
{
public:
    SimulatedDevice();
    ~SimulatedDevice();
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    // Starts the simulator and waits for the path of its terminal. False, with the reason
    // in error, when it does not start or prints no path within the deadline.
    bool start(const QStringList& arguments, int deadlineMs, QString& error);
    QString path() const { return m_path; }

    // Sends SIGTERM and returns at once: the device hangs up within a few milliseconds.
    void hangUp();
    // Waits for the simulator to end; true when it ended on its own terms (exit status 0).
    bool waitForExit(int deadlineMs);
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // The --values option that starts the device's memory with these nine values.
    static QStringList valuesArguments(const ParameterSet& values);
    // The memory dump: nine Name=value lines. Empty unless all nine are there exactly once.
    static std::optional<ParameterSet> readDump(const QString& file);
    // The nine values as Name=value pairs on one line, for readable comparisons.
    static QString describe(const ParameterSet& values);
    static QString parameterName(Parameter p);

private:
    QProcess m_process;
    QString m_path;
};
