#include "LoggingSerialLink.h"

#include "DeviceFrames.h"
#include "SerialError.h"

#include <utility>

LoggingSerialLink::LoggingSerialLink(std::unique_ptr<SerialLink> link, TrafficLog& log,
                                     PortNames names)
    : m_link(std::move(link)), m_log(log), m_names(std::move(names))
{}

template <typename Call> auto LoggingSerialLink::logged(Call&& call)
{
    try {
        return call();
    } catch (const SerialError& e) {
        m_log.error(QString::fromStdString(e.what()));
        throw;
    }
}

void LoggingSerialLink::setCommPort(int port)
{
    logged([&] { m_link->setCommPort(port); });
}

void LoggingSerialLink::setSettings(const QString& settings)
{
    // The live stream sets its settings at every tick; only a change is worth a line.
    const bool changed = settings != m_link->settings();
    logged([&] { m_link->setSettings(settings); });
    if (changed)
        m_log.event(QStringLiteral("Settings %1").arg(settings));
}

void LoggingSerialLink::setPortOpen(bool open)
{
    const bool wasOpen = m_link->portOpen();
    logged([&] { m_link->setPortOpen(open); });
    const QString port = QStringLiteral("Comm Port %1 (%2)")
                             .arg(m_link->commPort())
                             .arg(m_names.deviceFor(m_link->commPort()));
    if (open && !wasOpen) {
        m_log.event(QStringLiteral("Opened %1 %2").arg(port, m_link->settings()));
        m_log.setPort(port);
    } else if (!open && wasOpen) {
        m_log.event(QStringLiteral("Closed Comm Port %1").arg(m_link->commPort()));
        m_log.setPort(port + QStringLiteral(" closed"));
    }
}

int LoggingSerialLink::inBufferCount()
{
    return logged([&] { return m_link->inBufferCount(); });
}

QByteArray LoggingSerialLink::input()
{
    QByteArray bytes = logged([&] { return m_link->input(); });
    if (!bytes.isEmpty())
        m_log.received(bytes, DescribeFrames(bytes));
    return bytes;
}

void LoggingSerialLink::output(const QByteArray& bytes)
{
    if (!bytes.isEmpty())
        m_log.sent(bytes, DescribeFrames(bytes));
    logged([&] { m_link->output(bytes); });
}
