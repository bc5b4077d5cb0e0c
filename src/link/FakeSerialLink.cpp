#include "FakeSerialLink.h"

#include "SerialError.h"
#include "SerialSettings.h"

void FakeSerialLink::check(Operation op) const
{
    if (m_failing.contains(op))
        throw SerialError("injected serial failure");
}

void FakeSerialLink::failOn(Operation op, bool fail)
{
    m_failing.removeAll(op);
    if (fail)
        m_failing.append(op);
}

void FakeSerialLink::setCommPort(int port)
{
    m_port = port;
}

void FakeSerialLink::setSettings(const QString& settings)
{
    check(Operation::Settings);
    SerialSettings::parse(settings);
    m_settings = settings;
    settingsHistory.append(settings);
}

void FakeSerialLink::setPortOpen(bool open)
{
    if (open == m_open)
        return;
    if (open) {
        check(Operation::Open);
        ++openCount;
    } else {
        ++closeCount;
    }
    m_open = open;
}

int FakeSerialLink::inBufferCount()
{
    check(Operation::Count);
    if (!m_open)
        throw SerialError("port not open");
    return static_cast<int>(m_received.size());
}

QByteArray FakeSerialLink::input()
{
    check(Operation::Input);
    if (!m_open)
        throw SerialError("port not open");
    QByteArray all;
    all.swap(m_received);
    return all;
}

void FakeSerialLink::output(const QByteArray& bytes)
{
    check(Operation::Output);
    if (!m_open)
        throw SerialError("port not open");
    writes.append(bytes);
    if (onOutput)
        onOutput(bytes);
}

QByteArray FakeSerialLink::allWritten() const
{
    QByteArray all;
    for (const QByteArray& w : writes)
        all.append(w);
    return all;
}
