#pragma once

#include "SerialLink.h"

#include <QList>
#include <QStringList>

#include <functional>

// An in-memory serial line for tests: bytes fed in wait in the receive buffer, every
// write is recorded, and any operation can be made to fail.
class FakeSerialLink : public SerialLink
{
public:
    enum class Operation
    {
        Open,
        Settings,
        Count,
        Input,
        Output
    };

    void setCommPort(int port) override;
    int commPort() const override { return m_port; }
    void setSettings(const QString& settings) override;
    QString settings() const override { return m_settings; }
    bool portOpen() const override { return m_open; }
    void setPortOpen(bool open) override;
    int inBufferCount() override;
    QByteArray input() override;
    void output(const QByteArray& bytes) override;

    // Test side.
    void feed(const QByteArray& bytes) { m_received.append(bytes); }
    void failOn(Operation op, bool fail = true);
    QByteArray allWritten() const;

    QList<QByteArray> writes;    // each output() call, in order
    QStringList settingsHistory; // each settings text applied, in order
    int openCount = 0;
    int closeCount = 0;
    // Called after every write, so a test can answer as the device would.
    std::function<void(const QByteArray&)> onOutput;

private:
    void check(Operation op) const;

    int m_port = 1;
    QString m_settings = QStringLiteral("9600,n,8,1");
    bool m_open = false;
    QByteArray m_received;
    QList<Operation> m_failing;
};
