#include "CliRunner.h"

#include "CommandLine.h"
#include "OutcomePrinter.h"
#include "ParameterFiles.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr int WatchLineInterval = 1000; // milliseconds
// A recording is started afresh past this size, the last kept as FILE.1, as in the window.
constexpr qint64 RecordingMaxBytes = 100 * TrafficLog::Megabyte;

} // namespace

CliRunner::CliRunner(CliRequest request, LinkFactory makeLink, QString program, std::FILE* out,
                     std::FILE* err)
    : m_request(std::move(request)), m_makeLink(std::move(makeLink)), m_program(std::move(program)),
      // A recording on standard output keeps it to itself; the rest goes to standard error.
      m_out(m_request.csv == QLatin1String("-") ? err : out), m_err(err), m_progress(err)
{
    m_progress.setEnabled(m_progress.enabled() && !m_request.quiet);
}

CliRunner::~CliRunner() = default;

void CliRunner::start()
{
    if (!m_request.logPath.isEmpty()) {
        m_log = std::make_unique<TrafficLog>(m_request.logPath, TrafficLog::DefaultMaxBytes,
                                             m_program, QStringLiteral("command line"));
        if (!m_log->isOpen()) {
            writeLine(m_err, QStringLiteral("cannot write the traffic log %1: %2")
                                 .arg(m_request.logPath, m_log->errorString()));
            end(ExitFileFailed);
            return;
        }
    }
    switch (m_request.command) {
    case CliCommand::Write:
    case CliCommand::Verify:
        // A file that cannot be read writes nothing anywhere.
        m_fileValues = readFile(m_request.file);
        if (!m_fileValues) {
            end(ExitFileFailed);
            return;
        }
        break;
    case CliCommand::Diff:
        for (const QString& name : m_request.sides) {
            Side side{name, std::nullopt, nullptr};
            if (CommandLine::namesDevice(name)) {
                side.session = addSession(name);
            } else {
                side.fileValues = readFile(name);
                if (!side.fileValues) {
                    end(ExitFileFailed);
                    return;
                }
            }
            m_sides.push_back(side);
        }
        break;
    default:
        break;
    }
    for (const QString& port : m_request.ports)
        addSession(port);
    if (m_request.command == CliCommand::Watch && !m_request.csv.isEmpty() && !startRecording())
        return;
    for (const auto& session : m_sessions) {
        if (m_request.command == CliCommand::Watch)
            session->startWatch(m_recorder.get());
        else if (m_request.command == CliCommand::Write && !m_request.dryRun)
            session->startWrite(*m_fileValues, !m_request.noVerify, !m_request.report.isEmpty());
        else
            session->startRead();
    }
    if (m_request.command == CliCommand::Watch) {
        m_watchTick.setInterval(WatchLineInterval);
        QObject::connect(&m_watchTick, &QTimer::timeout, &m_watchTick,
                         [this] { printWatchLine(); });
        m_watchTick.start();
        if (m_request.seconds > 0) {
            m_watchEnd.setSingleShot(true);
            m_watchEnd.setInterval(m_request.seconds * 1000);
            QObject::connect(&m_watchEnd, &QTimer::timeout, &m_watchEnd, [this] { interrupt(); });
            m_watchEnd.start();
        }
    }
    if (m_sessions.empty())
        complete();
}

DeviceSession* CliRunner::addSession(const QString& device)
{
    PortNames names;
    names.setOverride(1, device);
    m_sessions.push_back(std::make_unique<DeviceSession>(device, m_makeLink(names),
                                                         m_request.timeoutMs, m_log.get()));
    DeviceSession* session = m_sessions.back().get();
    session->setOnChange([this] { sessionsChanged(); });
    session->setOnFinished([this] { sessionFinished(); });
    return session;
}

std::optional<ParameterSet> CliRunner::readFile(const QString& path)
{
    QString error;
    std::optional<ParameterSet> values = ParameterFiles::read(path, error);
    if (!values)
        writeLine(m_err, error);
    return values;
}

void CliRunner::interrupt()
{
    for (const auto& session : m_sessions)
        session->stop();
}

void CliRunner::sessionsChanged()
{
    if (!m_progress.enabled())
        return;
    QStringList lines;
    for (const auto& session : m_sessions)
        lines << session->device() + QStringLiteral("  ") + session->progressText();
    m_progress.show(lines);
}

void CliRunner::sessionFinished()
{
    const bool allDone = std::all_of(m_sessions.begin(), m_sessions.end(),
                                     [](const auto& session) { return session->finished(); });
    if (allDone)
        complete();
}

void CliRunner::complete()
{
    if (m_completed)
        return;
    m_completed = true;
    m_watchTick.stop();
    m_watchEnd.stop();
    if (m_request.command == CliCommand::Diff) {
        report(diffOutcome());
    } else {
        for (const auto& session : m_sessions) {
            DeviceOutcome outcome = outcomeOf(*session);
            writeReport(*session, outcome);
            report(outcome);
        }
    }
    if (m_log)
        m_log->flush();
    end(m_exitCode);
}

DeviceOutcome CliRunner::outcomeOf(const DeviceSession& session)
{
    DeviceOutcome outcome;
    outcome.port = session.device();
    if (m_request.command == CliCommand::Write && !m_request.dryRun)
        outcome.rowsWritten = session.rowsWritten();
    if (session.failed()) {
        outcome.outcome = QStringLiteral("failed");
        outcome.error = session.error();
        outcome.exitCode = ExitDeviceFailed;
        return outcome;
    }
    outcome.values = session.deviceValues();
    switch (m_request.command) {
    case CliCommand::Read:
        outcome.outcome = QStringLiteral("read");
        if (!m_request.output.isEmpty()) {
            QString path = m_request.output;
            path.replace(QLatin1String(PortPlaceholder), CommandLine::portFileName(outcome.port));
            QString error;
            if (ParameterFiles::write(path, *outcome.values, error)) {
                outcome.file = path;
            } else {
                outcome.outcome = QStringLiteral("failed");
                outcome.error = error;
                outcome.exitCode = ExitFileFailed;
            }
        }
        break;
    case CliCommand::Write:
        if (!m_request.dryRun && m_request.noVerify) {
            outcome.values = m_fileValues;
            outcome.outcome = QStringLiteral("written");
            break;
        }
        [[fallthrough]];
    case CliCommand::Verify: {
        outcome.compared = m_fileValues;
        const bool equal = *outcome.values == *m_fileValues;
        outcome.exitCode = equal ? ExitDone : ExitDiffer;
        if (m_request.command == CliCommand::Verify)
            outcome.outcome = equal ? QStringLiteral("equal") : QStringLiteral("differs");
        else if (m_request.dryRun)
            outcome.outcome = equal ? QStringLiteral("equal") : QStringLiteral("would change");
        else
            outcome.outcome = equal ? QStringLiteral("written, read back equal")
                                    : QStringLiteral("written, read back differs");
        break;
    }
    case CliCommand::Watch:
        outcome.outcome = QStringLiteral("watched");
        outcome.lastPressure = session.lastPressure();
        outcome.lowestPressure = session.lowestPressure();
        outcome.highestPressure = session.highestPressure();
        break;
    case CliCommand::Diff:
        break;
    }
    return outcome;
}

DeviceOutcome CliRunner::diffOutcome()
{
    DeviceOutcome outcome;
    outcome.port = m_sides[0].name + QStringLiteral(" and ") + m_sides[1].name;
    outcome.leftName = QStringLiteral("a");
    outcome.rightName = QStringLiteral("b");
    QStringList errors;
    std::optional<ParameterSet> values[2];
    for (int i = 0; i < 2; ++i) {
        const Side& side = m_sides[size_t(i)];
        if (!side.session) {
            values[i] = side.fileValues;
        } else if (side.session->failed()) {
            errors << side.name + QStringLiteral(": ") + side.session->error();
        } else {
            values[i] = side.session->deviceValues();
        }
    }
    if (!errors.isEmpty()) {
        outcome.outcome = QStringLiteral("failed");
        outcome.error = errors.join(QStringLiteral("; "));
        outcome.exitCode = ExitDeviceFailed;
        return outcome;
    }
    outcome.values = values[0];
    outcome.compared = values[1];
    const bool equal = *values[0] == *values[1];
    outcome.outcome = equal ? QStringLiteral("equal") : QStringLiteral("differs");
    outcome.exitCode = equal ? ExitDone : ExitDiffer;
    return outcome;
}

void CliRunner::writeReport(const DeviceSession& session, DeviceOutcome& outcome)
{
    if (m_request.report.isEmpty() || !session.record().asFoundTime())
        return;
    CalibrationRecord record = session.record();
    record.press = m_request.press;
    record.location = m_request.location;
    record.technician = m_request.technician;
    // A sheet is read away from the folder the script ran in.
    if (m_request.command == CliCommand::Write)
        record.fileUsed(QFileInfo(m_request.file).absoluteFilePath(), false);
    else if (!outcome.file.isEmpty())
        record.fileUsed(QFileInfo(outcome.file).absoluteFilePath(), true);
    const QString path =
        QString(m_request.report)
            .replace(QLatin1String(PortPlaceholder), CommandLine::portFileName(outcome.port));
    QString error = QStringLiteral("no report can be drawn here");
    if (m_writeReport && m_writeReport(record, path, error)) {
        outcome.report = path;
        return;
    }
    const QString reason = QStringLiteral("cannot write the report %1: %2").arg(path, error);
    outcome.error =
        outcome.error.isEmpty() ? reason : outcome.error + QStringLiteral("; ") + reason;
    outcome.exitCode = std::max(outcome.exitCode, ExitFileFailed);
}

void CliRunner::report(const DeviceOutcome& outcome)
{
    m_exitCode = std::max(m_exitCode, int(outcome.exitCode));
    const bool failed = outcome.exitCode >= ExitDeviceFailed;
    if (m_request.json) {
        if (!m_request.quiet || failed)
            std::fputs(OutcomePrinter::json(outcome).constData(), m_out);
        std::fflush(m_out);
    }
    // A device that did its work and only its report failed still shows what it did.
    const bool didItsWork = outcome.outcome != QLatin1String("failed");
    if (failed)
        writeLine(m_err, outcome.port + QStringLiteral(": ") + outcome.error);
    if (didItsWork && !m_request.json && !m_request.quiet)
        std::fputs(OutcomePrinter::human(outcome).toLocal8Bit().constData(), m_out);
    std::fflush(m_out);
}

void CliRunner::printWatchLine()
{
    if (m_request.quiet || m_request.json || m_sessions.empty())
        return;
    const DeviceSession& session = *m_sessions.front();
    if (session.stage() != DeviceSession::Stage::Watching)
        return;
    const QString time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    const QString text = session.lastPressure() ? QStringLiteral("%1  %2 PSI  window %3 to %4 PSI")
                                                      .arg(time)
                                                      .arg(*session.lastPressure())
                                                      .arg(session.lowestPressure())
                                                      .arg(session.highestPressure())
                                                : QStringLiteral("%1  no live data yet").arg(time);
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), m_out);
    std::fflush(m_out);
}

bool CliRunner::startRecording()
{
    m_recorder = std::make_unique<PressureRecorder>();
    QString error;
    if (m_recorder->startRecording(m_request.csv, RecordingMaxBytes, m_program,
                                   m_request.ports.value(0), error))
        return true;
    writeLine(m_err, QStringLiteral("cannot write the recording %1: %2").arg(m_request.csv, error));
    m_sessions.clear();
    end(ExitFileFailed);
    return false;
}

void CliRunner::end(int code)
{
    QTimer::singleShot(0, &m_watchTick, [this, code] {
        if (m_onFinished)
            m_onFinished(code);
    });
}

void CliRunner::writeLine(std::FILE* stream, const QString& text)
{
    std::fputs(("vorta-cal: " + text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
    std::fflush(stream);
}
