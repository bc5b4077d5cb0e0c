#pragma once

#include "ModVars.h"

#include <QProcess>
#include <QStringList>

// The simulated device, vorta-devsim, as a child process serving its own pseudo-terminal.
// It prints the terminal's path as its first line; a SIGTERM makes it close the line, as an
// unplugged adapter would, write its memory dump and exit.
class SimulatedDevice
{
public:
    SimulatedDevice() { m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel); }
    ~SimulatedDevice();
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    // Starts the device with this memory and waits for the path of its terminal; false, with
    // the reason in error, when it prints none within the deadline.
    bool start(const ParameterSet& memory, const QStringList& options, int deadlineMs,
               QString& error);
    QString path() const { return m_path; }

    // Sends SIGTERM and returns at once.
    void hangUp();
    // True when the device ended on its own terms (exit status 0) within the deadline.
    bool waitForExit(int deadlineMs);
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // The nine values as the device's memory dump lists them.
    static QByteArray dumpText(const ParameterSet& values);

private:
    QProcess m_process;
    QString m_path;
};
