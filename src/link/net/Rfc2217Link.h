#pragma once

#include "PortNames.h"
#include "SerialError.h"
#include "SerialLink.h"
#include "SerialServerAddress.h"
#include "SerialSettings.h"
#include "TelnetComPort.h"

#include <QByteArrayView>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>
#include <optional>

// The serial line of a serial server on the network, reached by Telnet with the
// COM-PORT-OPTION (rfc2217://HOST:PORT in place of a device). Polled by the communication
// cycle like the serial port, and like it never waits: the connection, the negotiation and
// each speed change's confirmation follow the socket's signals, and what arrives is kept for
// the next tick. Data written before the far line is set waits until it is.
//
// Every failure throws SerialError; one that happens between ticks (the server refuses, goes
// quiet or drops the connection) closes the link and is thrown once by the next operation.
class Rfc2217Link : public SerialLink
{
public:
    // How long the server has to accept the connection, to agree to the COM-PORT-OPTION and to
    // confirm a speed change.
    static constexpr std::chrono::milliseconds DefaultAnswerTime{5000};

    explicit Rfc2217Link(PortNames names = {},
                         std::chrono::milliseconds answerTime = DefaultAnswerTime);
    ~Rfc2217Link() override;

    Rfc2217Link(const Rfc2217Link&) = delete;
    Rfc2217Link& operator=(const Rfc2217Link&) = delete;

    void setCommPort(int port) override;
    int commPort() const override { return m_port; }
    void setSettings(const QString& settings) override;
    QString settings() const override { return m_settingsText; }
    bool portOpen() const override { return m_open; }
    void setPortOpen(bool open) override;
    int inBufferCount() override;
    QByteArray input() override;
    void output(const QByteArray& bytes) override;
    // Above 1 nothing reads the socket between ticks: each tick takes what waits, as the
    // serial port does, instead of a wake-up at every chunk the server sends.
    void setReadThreshold(int bytes) override;

    // The far line is set and every speed change confirmed: data goes out at once.
    bool lineReady() const;
    QString serverSignature() const { return m_telnet.serverSignature(); }

private:
    void onConnected();
    void onReadyRead();
    // The server's bytes: the data kept for the tick, the requests answered, the negotiation
    // and the speed changes followed.
    void takeFromServer(QByteArrayView bytes);
    void applyReadThreshold();
    // Above a threshold of 1, the tick takes every waiting byte from the system itself.
    void collectWaiting();
    void onSocketError(QAbstractSocket::SocketError error);
    void onDeadline();
    void sendLineSettings();
    void sendHeldData();
    void write(const QByteArray& bytes);
    // Closes the link and keeps the failure for the next operation.
    void lose(const QString& message, const QString& cause);
    void loseConnection(const QString& reason);
    void closeConnection();
    void requireOpen();
    void throwPendingError();
    QString where() const;

    PortNames m_names;
    std::chrono::milliseconds m_answerTime;
    QTcpSocket m_socket;
    QTimer m_deadline;
    TelnetComPort m_telnet;
    int m_port = 1;
    QString m_settingsText = QStringLiteral("9600,n,8,1");
    SerialSettings m_settings;
    // What the far line was last told; empty until the server agrees to be told.
    std::optional<SerialSettings> m_sentSettings;
    bool m_open = false;
    QString m_device;
    SerialServerAddress m_address;
    QByteArray m_received;
    QByteArray m_held;
    int m_readThreshold = 1;
    // What the connected socket has; a connection starts with its notifier watching.
    int m_appliedThreshold = 1;
    std::optional<SerialError> m_pendingError;
};
