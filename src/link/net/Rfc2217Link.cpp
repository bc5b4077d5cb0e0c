#include "Rfc2217Link.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#ifdef Q_OS_LINUX
#include <sys/socket.h>
#endif

namespace {

[[noreturn]] void fail(const QString& message, const QString& cause)
{
    throw SerialError(message.toStdString(), cause);
}

QString seconds(std::chrono::milliseconds time)
{
    return QString::number(double(time.count()) / 1000.0);
}

} // namespace

Rfc2217Link::Rfc2217Link(PortNames names, std::chrono::milliseconds answerTime)
    : m_names(std::move(names)), m_answerTime(answerTime)
{
    m_settings = SerialSettings::parse(m_settingsText);
    m_deadline.setSingleShot(true);
    QObject::connect(&m_deadline, &QTimer::timeout, &m_deadline, [this] { onDeadline(); });
    QObject::connect(&m_socket, &QTcpSocket::connected, &m_socket, [this] { onConnected(); });
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { onReadyRead(); });
    QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &m_socket,
                     [this](QAbstractSocket::SocketError error) { onSocketError(error); });
}

Rfc2217Link::~Rfc2217Link()
{
    QObject::disconnect(&m_socket, nullptr, nullptr, nullptr);
    closeConnection();
}

QString Rfc2217Link::where() const
{
    return QStringLiteral("%1:%2").arg(m_address.host).arg(m_address.port);
}

void Rfc2217Link::setCommPort(int port)
{
    closeConnection();
    m_pendingError.reset();
    m_port = port;
}

void Rfc2217Link::setSettings(const QString& settings)
{
    m_settings = SerialSettings::parse(settings);
    m_settingsText = settings;
    // The live stream sets the same text at every tick; only a change goes to the server.
    if (m_sentSettings && m_sentSettings != m_settings)
        sendLineSettings();
}

void Rfc2217Link::setPortOpen(bool open)
{
    if (!open) {
        closeConnection();
        m_pendingError.reset();
        return;
    }
    if (m_open)
        return;
    throwPendingError();
    m_device = m_names.deviceFor(m_port);
    const std::optional<SerialServerAddress> address = SerialServerAddress::parse(m_device);
    if (!address) {
        fail(QStringLiteral("%1 is not a serial server address").arg(m_device),
             QStringLiteral("\"%1\" is not a serial server's address. Write it as "
                            "rfc2217://HOST:PORT, such as rfc2217://192.168.1.20:4001 "
                            "(right-click the Comm Port to change it).")
                 .arg(m_device));
    }
    m_address = *address;
    m_telnet = TelnetComPort();
    m_open = true;
    m_socket.connectToHost(m_address.host, m_address.port);
    m_deadline.start(m_answerTime);
}

bool Rfc2217Link::lineReady() const
{
    return m_open && m_sentSettings && m_telnet.speedChangesAwaited() == 0;
}

int Rfc2217Link::inBufferCount()
{
    requireOpen();
    collectWaiting();
    requireOpen();
    return int(m_received.size());
}

QByteArray Rfc2217Link::input()
{
    requireOpen();
    return std::exchange(m_received, {});
}

void Rfc2217Link::output(const QByteArray& bytes)
{
    requireOpen();
    if (lineReady())
        write(TelnetComPort::escape(bytes));
    else
        m_held += TelnetComPort::escape(bytes);
}

void Rfc2217Link::write(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    m_socket.write(bytes);
    // Handed to the system now, without waiting for the network; the rest goes out from the
    // event loop.
    m_socket.flush();
}

void Rfc2217Link::onConnected()
{
    if (!m_open)
        return;
    write(TelnetComPort::greeting());
    applyReadThreshold();
}

void Rfc2217Link::onReadyRead()
{
    if (m_open)
        takeFromServer(m_socket.readAll());
}

void Rfc2217Link::setReadThreshold(int bytes)
{
    m_readThreshold = std::max(bytes, 1);
    if (!m_open || m_socket.state() != QAbstractSocket::ConnectedState ||
        m_appliedThreshold == m_readThreshold)
        return;
    // What arrived while no notifier watched the socket comes first.
    collectWaiting();
    applyReadThreshold();
}

void Rfc2217Link::applyReadThreshold()
{
    // The socket's own read notifier; Qt gives no other way to leave a socket unwatched.
    const auto notifiers = m_socket.findChildren<QSocketNotifier*>();
    for (QSocketNotifier* notifier : notifiers) {
        if (notifier->type() == QSocketNotifier::Read)
            notifier->setEnabled(m_readThreshold <= 1);
    }
    m_appliedThreshold = m_readThreshold;
}

void Rfc2217Link::collectWaiting()
{
#ifdef Q_OS_LINUX
    if (m_appliedThreshold <= 1 || m_socket.state() != QAbstractSocket::ConnectedState)
        return;
    // What the socket buffered came first. Reading it starts its notifier again.
    if (m_socket.bytesAvailable() > 0) {
        takeFromServer(m_socket.readAll());
        applyReadThreshold();
    }
    char chunk[4096];
    while (m_open) {
        const ssize_t got =
            ::recv(int(m_socket.socketDescriptor()), chunk, sizeof chunk, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        if (got <= 0) {
            const QString reason = got == 0 ? QStringLiteral("the server closed the connection")
                                            : QString::fromLocal8Bit(std::strerror(errno));
            loseConnection(reason);
            return;
        }
        takeFromServer(QByteArrayView(chunk, got));
        if (got < qsizetype(sizeof chunk))
            return;
    }
#endif
}

void Rfc2217Link::takeFromServer(QByteArrayView bytes)
{
    m_received += m_telnet.receive(bytes);
    write(m_telnet.takeReplies());
    if (m_telnet.comPortRefused()) {
        lose(QStringLiteral("%1 refuses the COM-PORT-OPTION").arg(m_device),
             QStringLiteral("%1 answers but refuses to set the serial line (RFC 2217). Set its "
                            "port to Telnet with RFC 2217 (in ser2net: accepter: "
                            "telnet(rfc2217),tcp,PORT); raw TCP cannot switch the line's speed.")
                 .arg(where()));
        return;
    }
    if (m_telnet.comPortAgreed() && !m_sentSettings) {
        write(TelnetComPort::modemCommands());
        sendLineSettings();
    }
    if (m_sentSettings && m_telnet.speedChangesAwaited() == 0 && m_deadline.isActive()) {
        m_deadline.stop();
        if (m_telnet.confirmedBaudRate() != std::uint32_t(m_sentSettings->baudRate)) {
            lose(QStringLiteral("%1 set the line to %2 baud instead of %3")
                     .arg(m_device)
                     .arg(m_telnet.confirmedBaudRate())
                     .arg(m_sentSettings->baudRate),
                 QStringLiteral("The serial server %1 cannot run its line at %2 baud (it set %3). "
                                "Check the serial server's port settings.")
                     .arg(where())
                     .arg(m_sentSettings->baudRate)
                     .arg(m_telnet.confirmedBaudRate()));
            return;
        }
        sendHeldData();
    }
}

void Rfc2217Link::sendLineSettings()
{
    m_sentSettings = m_settings;
    write(m_telnet.lineCommands(m_settings));
    m_deadline.start(m_answerTime);
}

void Rfc2217Link::sendHeldData()
{
    write(std::exchange(m_held, {}));
}

void Rfc2217Link::onDeadline()
{
    if (!m_open)
        return;
    const QString wait = seconds(m_answerTime);
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        lose(QStringLiteral("no connection to %1 within %2 s").arg(m_device, wait),
             QStringLiteral("The serial server %1 did not answer within %2 s. Check the address, "
                            "that the server is switched on and that the network reaches it.")
                 .arg(where(), wait));
    } else if (!m_sentSettings) {
        lose(QStringLiteral("%1 does not speak RFC 2217").arg(m_device),
             QStringLiteral("%1 accepted the connection but does not speak RFC 2217 (no "
                            "COM-PORT-OPTION within %2 s). Set its port to Telnet with RFC 2217 "
                            "(in ser2net: accepter: telnet(rfc2217),tcp,PORT); raw TCP cannot "
                            "switch the line's speed.")
                 .arg(where(), wait));
    } else {
        lose(QStringLiteral("%1 did not confirm the line speed %2")
                 .arg(m_device)
                 .arg(m_sentSettings->baudRate),
             QStringLiteral("The serial server %1 did not confirm the line speed of %2 baud "
                            "within %3 s. Check the server, then press Connect.")
                 .arg(where())
                 .arg(m_sentSettings->baudRate)
                 .arg(wait));
    }
}

void Rfc2217Link::onSocketError(QAbstractSocket::SocketError error)
{
    if (!m_open)
        return;
    const QString reason = m_socket.errorString();
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        lose(QStringLiteral("serial server %1 not found: %2").arg(m_device, reason),
             QStringLiteral("The serial server \"%1\" was not found (%2). Check the host name in "
                            "%3 (right-click the Comm Port to change it) and the network.")
                 .arg(m_address.host, reason, m_device));
        break;
    case QAbstractSocket::ConnectionRefusedError:
        lose(QStringLiteral("serial server %1 refused the connection: %2").arg(m_device, reason),
             QStringLiteral("%1 refused the connection (%2): nothing serves port %3 there. Check "
                            "the port number and that the serial server runs.")
                 .arg(m_address.host, reason)
                 .arg(m_address.port));
        break;
    default:
        if (m_sentSettings) {
            loseConnection(reason);
        } else {
            lose(QStringLiteral("cannot connect to %1: %2").arg(m_device, reason),
                 QStringLiteral("The serial server %1 ended the connection before it was set up "
                                "(%2). It may be serving another program, or its serial port "
                                "may be unusable; check the server, then press Connect.")
                     .arg(where(), reason));
        }
        break;
    }
}

void Rfc2217Link::lose(const QString& message, const QString& cause)
{
    m_pendingError.emplace(message.toStdString(), cause);
    closeConnection();
}

void Rfc2217Link::loseConnection(const QString& reason)
{
    lose(QStringLiteral("connection to %1 lost: %2").arg(m_device, reason),
         QStringLiteral("The connection to the serial server %1 was lost during use (%2). Check "
                        "the network and the server, then press Connect.")
             .arg(where(), reason));
}

void Rfc2217Link::closeConnection()
{
    m_deadline.stop();
    const bool wasOpen = std::exchange(m_open, false);
    m_appliedThreshold = 1;
    m_sentSettings.reset();
    m_received.clear();
    m_held.clear();
    if (!wasOpen)
        return;
    // What is written is handed to the system before the connection goes.
    if (m_socket.state() == QAbstractSocket::ConnectedState)
        m_socket.flush();
    m_socket.abort();
}

void Rfc2217Link::requireOpen()
{
    if (m_open)
        return;
    throwPendingError();
    fail(QStringLiteral("serial server %1 is not connected").arg(m_device),
         QStringLiteral("The serial server %1 is not connected.").arg(m_device));
}

void Rfc2217Link::throwPendingError()
{
    if (m_pendingError)
        throw *std::exchange(m_pendingError, std::nullopt);
}
