#pragma once

#include "CliRequest.h"
#include "DeviceOutcome.h"
#include "DeviceSession.h"
#include "PortNames.h"
#include "PressureRecorder.h"
#include "SerialLink.h"
#include "TerminalProgress.h"
#include "TrafficLog.h"

#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Runs one subcommand over all its devices at once, in the one thread: each device has its
// own session, and a failure of one leaves the others going. When all are done it prints one
// outcome per device and reports the exit code, the highest that applies.
class CliRunner
{
public:
    // Makes the line for a device; the one place where a device name becomes a line.
    using LinkFactory = std::function<std::unique_ptr<SerialLink>(const PortNames&)>;
    // Writes a device's calibration report to path, whole or not at all; false with the
    // reason in error. The report is drawn by a front end that has fonts.
    using ReportWriter =
        std::function<bool(const CalibrationRecord&, const QString& path, QString& error)>;

    CliRunner(CliRequest request, LinkFactory makeLink, QString program, std::FILE* out = stdout,
              std::FILE* err = stderr);
    ~CliRunner();

    // Starts the work; the event loop does the rest.
    void start();
    // Ctrl+C: every device stops sending at once; watching ends as done.
    void interrupt();
    // Told the exit code once everything has been reported, always from the event loop.
    void setOnFinished(std::function<void(int)> handler) { m_onFinished = std::move(handler); }

    // Needed for --report; without one a report cannot be written.
    void setReportWriter(ReportWriter writer) { m_writeReport = std::move(writer); }

    TerminalProgress& progress() { return m_progress; }

private:
    struct Side
    {
        QString name;
        std::optional<ParameterSet> fileValues;
        DeviceSession* session = nullptr;
    };

    DeviceSession* addSession(const QString& device);
    std::optional<ParameterSet> readFile(const QString& path);
    void sessionsChanged();
    void sessionFinished();
    void complete();
    DeviceOutcome outcomeOf(const DeviceSession& session);
    DeviceOutcome diffOutcome();
    // Once the device's values as found were read, also after a failure later on.
    void writeReport(const DeviceSession& session, DeviceOutcome& outcome);
    void report(const DeviceOutcome& outcome);
    void printWatchLine();
    // watch --csv; false, with the reason said, when the file cannot be written.
    bool startRecording();
    // Ends with the code, after what was started has been reported.
    void end(int code);
    void writeLine(std::FILE* stream, const QString& text);

    CliRequest m_request;
    LinkFactory m_makeLink;
    ReportWriter m_writeReport;
    QString m_program;
    std::FILE* m_out;
    std::FILE* m_err;
    TerminalProgress m_progress;
    std::unique_ptr<TrafficLog> m_log;
    // watch --csv: the frames of the one device watched, and their recording.
    std::unique_ptr<PressureRecorder> m_recorder;
    std::vector<std::unique_ptr<DeviceSession>> m_sessions;
    std::optional<ParameterSet> m_fileValues;
    std::vector<Side> m_sides;
    QTimer m_watchTick;
    QTimer m_watchEnd;
    int m_exitCode = 0;
    bool m_completed = false;
    std::function<void(int)> m_onFinished;
};
