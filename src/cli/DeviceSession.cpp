#include "DeviceSession.h"

#include "DeviceFrames.h"
#include "LoggingSerialLink.h"
#include "ParameterTable.h"
#include "SerialError.h"

#include <QDir>
#include <QFileInfo>

namespace {

// How often the session looks whether the device has been silent too long.
constexpr int WatchdogInterval = 100; // milliseconds
// The cycle's Comm Port that stands for this session's device.
constexpr int SessionPort = 1;

std::unique_ptr<TrafficLog> deviceLog(TrafficLog* shared, const QString& device)
{
    return shared ? std::make_unique<TrafficLog>(*shared, device) : nullptr;
}

std::unique_ptr<SerialLink> loggedLink(std::unique_ptr<SerialLink> link, TrafficLog* log,
                                       const PortNames& names)
{
    if (!log)
        return link;
    return std::make_unique<LoggingSerialLink>(std::move(link), *log, names);
}

QString caption(Parameter parameter)
{
    return QString::fromLatin1(parameterInfo(parameter).grid.caption);
}

// The largest value the write request's data bytes carry; none is below zero.
std::int64_t largestCarried(Parameter parameter)
{
    return (std::int64_t{1} << (8 * parameterInfo(parameter).device.dataBytes)) - 1;
}

// The name that stays with an adapter wherever it is plugged in, when the system gives one;
// the device it stands for when that was the name given.
QString stableName(const QString& device)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    if (device.startsWith(QLatin1String("/dev/serial/")))
        return target.isEmpty() ? device : target;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files))
        if (!target.isEmpty() && link.canonicalFilePath() == target)
            return link.filePath();
    return QStringLiteral("no stable name");
}

} // namespace

DeviceSession::DeviceSession(const QString& device, std::unique_ptr<SerialLink> link,
                             qint64 timeoutMs, TrafficLog* sharedLog)
    : m_device(device), m_timeoutMs(timeoutMs), m_log(deviceLog(sharedLog, device)),
      m_link(loggedLink(std::move(link), m_log.get(), m_names)),
      m_cycle(*m_link, m_set, *this, *this)
{
    m_names.setOverride(SessionPort, device);
    m_record.connected(device, stableName(device));
    m_cycle.setPortNames(m_names);
    m_cycle.setTrafficLog(m_log.get());
    m_watchdog.setInterval(WatchdogInterval);
    QObject::connect(&m_watchdog, &QTimer::timeout, &m_watchdog, [this] { checkSilence(); });
}

DeviceSession::~DeviceSession()
{
    m_cycle.shutDown();
}

void DeviceSession::startRead()
{
    begin(Stage::Reading);
    connectNow();
}

void DeviceSession::connectNow()
{
    m_cycle.connect(SessionPort);
    // The first tick runs at once, so that a script does not wait a timer's interval, or a
    // download's longer one, before the port opens.
    if (m_cycle.timer().isActive())
        m_cycle.tick();
}

void DeviceSession::startWatch(PressureRecorder* recorder)
{
    m_cycle.setPressureRecorder(recorder);
    m_watching = true;
    begin(Stage::Reading);
    connectNow();
}

void DeviceSession::startWrite(const ParameterSet& values, bool readBack, bool readFirst)
{
    m_readBack = readBack;
    for (const ParameterInfo& info : parameterTable()) {
        const std::int32_t value = values.value(info.parameter);
        if (value < 0 || value > largestCarried(info.parameter)) {
            begin(Stage::Writing);
            fail(QStringLiteral("%1 %2 does not fit its write request (0 to %3)")
                     .arg(caption(info.parameter))
                     .arg(value)
                     .arg(largestCarried(info.parameter)));
            return;
        }
    }
    if (readFirst) {
        m_writeAfterRead = values;
        begin(Stage::Reading);
        connectNow();
        return;
    }
    // The download sends its first row once bytes wait on the line, as the window's does from
    // the live stream; at the stream's speed the device sends them at once.
    try {
        m_link->setCommPort(SessionPort);
        m_link->setSettings(QString::fromLatin1(LiveLineSettings));
        m_link->setPortOpen(true);
    } catch (const SerialError& e) {
        begin(Stage::Writing);
        fail(e.cause());
        return;
    }
    writeNow(values);
}

void DeviceSession::writeNow(const ParameterSet& values)
{
    m_set = values;
    m_written = values;
    begin(Stage::Writing);
    m_cycle.startDownload(SessionPort);
}

void DeviceSession::begin(Stage stage)
{
    m_stage = stage;
    m_watchdog.start();
    changed();
}

void DeviceSession::stop()
{
    if (finished())
        return;
    m_cycle.shutDown();
    switch (m_stage) {
    case Stage::Writing:
        fail(QStringLiteral("interrupted"));
        break;
    case Stage::Watching:
        finish();
        break;
    default:
        fail(QStringLiteral("interrupted at %1").arg(currentStep()));
    }
}

void DeviceSession::setStatus(const QString& text)
{
    if (text == QLatin1String("Waiting for data")) {
        uploadEnded();
    } else if (text == QLatin1String("Download Complete")) {
        if (m_readBack) {
            m_stage = Stage::ReadingBack;
            later([this] { connectNow(); });
        } else {
            later([this] { finish(); });
        }
    } else if (text.startsWith(QLatin1String("Pressure = "))) {
        m_lastPressure = text.section(QLatin1Char(' '), 2, 2).toInt();
    }
    changed();
}

void DeviceSession::uploadEnded()
{
    m_read = m_set;
    const QDateTime now = QDateTime::currentDateTime();
    if (m_stage == Stage::ReadingBack) {
        m_record.readBackFinished(m_set, m_written, now);
        later([this] { finish(); });
        return;
    }
    m_record.uploadFinished(m_set, now);
    if (m_watching) {
        m_stage = Stage::Watching;
    } else if (m_writeAfterRead) {
        // The download goes on from the live stream the upload has just started.
        later(
            [this, values = *std::exchange(m_writeAfterRead, std::nullopt)] { writeNow(values); });
    } else {
        // Nothing is written: what was found is what is left.
        m_record.readBackFinished(m_set, m_set, now);
        later([this] { finish(); });
    }
}

void DeviceSession::writeAcknowledged(Parameter parameter, std::int32_t value)
{
    m_record.writeAcknowledged(parameter, value);
}

void DeviceSession::noteDeviceValue(Parameter, std::int32_t)
{
    if (m_stage == Stage::Writing)
        ++m_rowsWritten;
}

MessageAnswer DeviceSession::show(const QString& text, MessageIcon icon, MessageButtons buttons,
                                  MessageAnswer defaultAnswer)
{
    return showDetailed(text, {}, icon, buttons, defaultAnswer);
}

MessageAnswer DeviceSession::showDetailed(const QString& text, const QString& details, MessageIcon,
                                          MessageButtons, MessageAnswer)
{
    QString error = details.isEmpty() ? text : details;
    // A device that has answered and then failed is named with the step it was at.
    if (m_cycle.state().CommCount > 0 || m_rowsWritten > 0 || m_stage == Stage::Watching)
        error += QStringLiteral(" (at %1)").arg(currentStep());
    later([this, error] { fail(error); });
    return MessageAnswer::Ok;
}

void DeviceSession::checkSilence()
{
    if (finished() || m_cycle.silentFor() <= m_timeoutMs)
        return;
    m_cycle.shutDown();
    const QString within = QStringLiteral(" within %1 s").arg(double(m_timeoutMs) / 1000.0);
    if (m_stage == Stage::Watching)
        fail(QStringLiteral("no live pressure%1").arg(within));
    else
        fail(QStringLiteral("no answer to %1%2").arg(currentStep(), within));
}

QString DeviceSession::currentStep() const
{
    const CommState& state = m_cycle.state();
    switch (m_stage) {
    case Stage::Writing:
        if (state.CommWriteState < ParameterCount)
            return QStringLiteral("the write of %1")
                .arg(caption(downloadParameter(state.CommWriteState)));
        break;
    case Stage::Reading:
    case Stage::ReadingBack:
        if (state.CommCount < ParameterCount)
            return QStringLiteral("the read of %1").arg(caption(uploadParameter(state.CommCount)));
        break;
    default:
        break;
    }
    return QStringLiteral("the live stream");
}

QString DeviceSession::progressText() const
{
    const CommState& state = m_cycle.state();
    switch (m_stage) {
    case Stage::Idle:
        return QStringLiteral("waiting");
    case Stage::Reading:
        return QStringLiteral("reading, step %1 of %2")
            .arg(state.CommCount + 1)
            .arg(ParameterCount);
    case Stage::Writing:
        return QStringLiteral("writing, row %1 of %2").arg(m_rowsWritten + 1).arg(ParameterCount);
    case Stage::ReadingBack:
        return QStringLiteral("reading back, step %1 of %2")
            .arg(state.CommCount + 1)
            .arg(ParameterCount);
    case Stage::Watching:
        return m_lastPressure ? QStringLiteral("live, %1 PSI").arg(*m_lastPressure)
                              : QStringLiteral("live, waiting for data");
    case Stage::Finished:
        break;
    }
    return failed() ? QStringLiteral("failed: ") + m_error : QStringLiteral("done");
}

int DeviceSession::highestPressure() const
{
    return m_cycle.state().MaxPressure;
}

int DeviceSession::lowestPressure() const
{
    return m_cycle.state().MinPressure;
}

void DeviceSession::fail(const QString& error)
{
    if (finished())
        return;
    m_error = error;
    if (m_stage == Stage::ReadingBack)
        m_record.readBackFailed(QDateTime::currentDateTime());
    if (m_stage == Stage::Writing) {
        if (m_error.endsWith(QLatin1Char('.')))
            m_error.chop(1);
        m_error += QStringLiteral("; %1 of %2 rows written").arg(m_rowsWritten).arg(ParameterCount);
    }
    finish();
}

void DeviceSession::finish()
{
    if (finished())
        return;
    m_cycle.shutDown();
    m_watchdog.stop();
    m_stage = Stage::Finished;
    changed();
    if (m_onFinished)
        m_onFinished();
}

void DeviceSession::later(std::function<void()> work)
{
    QTimer::singleShot(0, &m_watchdog, std::move(work));
}

void DeviceSession::changed()
{
    if (m_onChange)
        m_onChange();
}
