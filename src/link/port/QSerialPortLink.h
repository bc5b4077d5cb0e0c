#pragma once

#include "PortNames.h"
#include "SerialError.h"
#include "SerialLink.h"
#include "SerialSettings.h"

#include <QSerialPort>

#include <optional>

class QSocketNotifier;

// The serial line on a real port, through QSerialPort. Polled by the communication
// cycle; every failure throws SerialError.
//
// A port whose device goes away (an unplugged USB adapter, a closed pseudo-terminal)
// closes itself at the first failure it reports; the next operation on it throws that
// failure once, so the cycle shows one error instead of spinning on a dead line.
class QSerialPortLink : public SerialLink
{
public:
    explicit QSerialPortLink(PortNames names = {});
    ~QSerialPortLink() override;

    QSerialPortLink(const QSerialPortLink&) = delete;
    QSerialPortLink& operator=(const QSerialPortLink&) = delete;

    void setCommPort(int port) override;
    int commPort() const override { return m_port; }
    void setSettings(const QString& settings) override;
    QString settings() const override { return m_settingsText; }
    bool portOpen() const override;
    void setPortOpen(bool open) override;
    int inBufferCount() override;
    QByteArray input() override;
    void output(const QByteArray& bytes) override;
    void setReadThreshold(int bytes) override;

    // How many failures of an open port were handled; one per lost device, however
    // often the device keeps failing.
    int deviceFailureCount() const { return m_deviceFailures; }

private:
    void applySettings();
    void applyReadThreshold();
    QSocketNotifier* readNotifier() const;
    // Above a threshold of 1 nothing reads the line between ticks: the tick takes every
    // waiting byte from the driver itself.
    void collectWaiting();
    // The open port's device failed: closes it and keeps the failure for the next operation.
    void loseDevice(const QString& kind, const QString& reason);
    void onError(QSerialPort::SerialPortError error);
    void closePort();
    void requireOpen();
    void throwPendingError();
    QString device() const;

    PortNames m_names;
    QSerialPort m_serial;
    int m_port = 1;
    QString m_settingsText = QStringLiteral("9600,n,8,1");
    SerialSettings m_settings;
    // What the open device runs at now; empty while closed or after a failed apply.
    std::optional<SerialSettings> m_applied;
    // The device the port was last opened on, for messages.
    QString m_openDevice;
    // A failure of the open port, thrown once by the next operation.
    std::optional<SerialError> m_pendingError;
    int m_deviceFailures = 0;
    int m_readThreshold = 1;
    // What the open device has; a port opens with the driver waking it at every byte.
    int m_appliedThreshold = 1;
    // Bytes a tick took from the driver, older than any the port has buffered since.
    QByteArray m_collected;
    bool m_closing = false;
};
