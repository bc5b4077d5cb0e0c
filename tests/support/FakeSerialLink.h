#pragma once

#include "SerialError.h"
#include "SerialLink.h"
#include "SerialSettings.h"

#include <QList>
#include <QStringList>

#include <functional>

// An in-memory serial line for tests: bytes fed in wait in the receive buffer, every
// write is recorded, and opening or sending can be made to fail. Traffic on a closed
// port fails as on the real one.
class FakeSerialLink : public SerialLink
{
public:
    void setCommPort(int port) override
    {
        if (failCommPort)
            throw SerialError("injected failure to take the port number");
        m_port = port;
    }
    int commPort() const override { return m_port; }
    void setSettings(const QString& settings) override
    {
        SerialSettings::parse(settings);
        m_settings = settings;
    }
    QString settings() const override { return m_settings; }
    bool portOpen() const override { return m_open; }
    void setPortOpen(bool open) override
    {
        if (open && !m_open && failOpen)
            throw SerialError("injected failure to open");
        m_open = open;
    }
    int inBufferCount() override { return int(requireOpen().m_received.size()); }
    QByteArray input() override { return std::exchange(requireOpen().m_received, {}); }
    void output(const QByteArray& bytes) override
    {
        if (requireOpen().failOutput)
            throw SerialError("injected failure to send");
        writes.append(bytes);
        if (onOutput)
            onOutput(bytes);
    }

    void setReadThreshold(int bytes) override { readThreshold = bytes; }

    void feed(const QByteArray& bytes) { m_received.append(bytes); }

    bool failCommPort = false;
    bool failOpen = false;
    bool failOutput = false;
    QList<QByteArray> writes; // each output() call, in order
    int readThreshold = 1;
    // Called after every write, so a test can answer as the device would.
    std::function<void(const QByteArray&)> onOutput;

private:
    FakeSerialLink& requireOpen()
    {
        if (!m_open)
            throw SerialError("port not open");
        return *this;
    }

    int m_port = 1;
    QString m_settings = QStringLiteral("9600,n,8,1");
    bool m_open = false;
    QByteArray m_received;
};
