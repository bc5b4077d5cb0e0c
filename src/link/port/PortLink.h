#pragma once

#include "PortNames.h"
#include "QSerialPortLink.h"
#include "Rfc2217Link.h"
#include "SerialLink.h"

#include <memory>

// The line to whatever device a Comm Port stands for: a serial device (/dev/ttyUSB0, a
// pseudo-terminal, COM3) through the serial port, a serial server (rfc2217://HOST:PORT)
// through the network. The kind is chosen at each opening, so a device chosen in the window
// takes effect at the next Connect whatever its kind.
class PortLink : public SerialLink
{
public:
    explicit PortLink(const PortNames& names);

    // The one way the window and the command line make the line to a Comm Port.
    static std::unique_ptr<SerialLink> create(const PortNames& names);

    void setCommPort(int port) override;
    int commPort() const override { return m_serial.commPort(); }
    void setSettings(const QString& settings) override;
    QString settings() const override { return m_active->settings(); }
    bool portOpen() const override { return m_active->portOpen(); }
    void setPortOpen(bool open) override;
    int inBufferCount() override { return m_active->inBufferCount(); }
    QByteArray input() override { return m_active->input(); }
    void output(const QByteArray& bytes) override { m_active->output(bytes); }
    void setReadThreshold(int bytes) override;

private:
    PortNames m_names;
    // Both kinds keep the number, the settings and the threshold; only the active one is open.
    QSerialPortLink m_serial;
    Rfc2217Link m_network;
    SerialLink* m_active = &m_serial;
};
