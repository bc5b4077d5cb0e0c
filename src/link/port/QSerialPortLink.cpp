#include "QSerialPortLink.h"

#include "PortFailure.h"
#include "SerialError.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

#ifdef Q_OS_LINUX
#include <termios.h>
#include <unistd.h>
#endif

namespace {

QSerialPort::Parity toQt(SerialSettings::Parity parity)
{
    switch (parity) {
    case SerialSettings::Parity::Even:
        return QSerialPort::EvenParity;
    case SerialSettings::Parity::Odd:
        return QSerialPort::OddParity;
    case SerialSettings::Parity::Mark:
        return QSerialPort::MarkParity;
    case SerialSettings::Parity::Space:
        return QSerialPort::SpaceParity;
    case SerialSettings::Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(SerialSettings::StopBits stopBits)
{
    switch (stopBits) {
    case SerialSettings::StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case SerialSettings::StopBits::Two:
        return QSerialPort::TwoStop;
    case SerialSettings::StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

QString failureKind(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ReadError:
        return QStringLiteral("read error");
    case QSerialPort::WriteError:
        return QStringLiteral("write error");
    case QSerialPort::ResourceError:
        return QStringLiteral("device unavailable");
    default:
        return QStringLiteral("error %1").arg(int(error));
    }
}

[[noreturn]] void fail(const QString& message, const QString& cause = {})
{
    throw SerialError(message.toStdString(), cause);
}

} // namespace

QSerialPortLink::QSerialPortLink(PortNames names) : m_names(std::move(names))
{
    m_settings = SerialSettings::parse(m_settingsText);
    QObject::connect(&m_serial, &QSerialPort::errorOccurred, &m_serial,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
}

QSerialPortLink::~QSerialPortLink()
{
    // The port may report a failure while closing; nothing of this object may hear it.
    QObject::disconnect(&m_serial, nullptr, nullptr, nullptr);
    if (m_serial.isOpen())
        m_serial.close();
}

QString QSerialPortLink::device() const
{
    return m_names.deviceFor(m_port);
}

void QSerialPortLink::setCommPort(int port)
{
    // A new number means another device: the old one is closed and its failure forgotten.
    closePort();
    m_pendingError.reset();
    m_port = port;
}

void QSerialPortLink::setSettings(const QString& settings)
{
    const SerialSettings parsed = SerialSettings::parse(settings);
    const SerialSettings previous = std::exchange(m_settings, parsed);
    const QString previousText = std::exchange(m_settingsText, settings);
    // The live stream sets the same text at every tick; only a change reaches the device.
    if (!m_serial.isOpen() || m_applied == m_settings)
        return;
    try {
        applySettings();
    } catch (...) {
        // A setting the device refuses leaves the line as it was, not half changed.
        m_settings = previous;
        m_settingsText = previousText;
        try {
            applySettings();
        } catch (...) {
            // The refusal is what the caller hears about; a line that cannot even go
            // back is marked unset and gets its settings again at the next change.
        }
        throw;
    }
}

bool QSerialPortLink::portOpen() const
{
    return m_serial.isOpen();
}

void QSerialPortLink::setPortOpen(bool open)
{
    if (!open) {
        closePort();
        m_pendingError.reset();
        return;
    }
    if (m_serial.isOpen())
        return;
    // A device lost since the last tick is reported here once, before any new attempt.
    throwPendingError();

    const QString name = device();
    // Pseudo-terminals and adapters are not listed by QSerialPortInfo, so open by name.
    m_serial.setPortName(name);
    m_openDevice = name;
    if (!m_serial.open(QIODevice::ReadWrite)) {
        const QString reason = m_serial.errorString();
        fail(QStringLiteral("cannot open serial port %1: %2").arg(name, reason),
             openFailureCause(name, reason, deviceAccess(name)));
    }
    try {
        applySettings();
        applyReadThreshold();
    } catch (...) {
        closePort();
        throw;
    }
}

int QSerialPortLink::inBufferCount()
{
    requireOpen();
    // Ticks return to the event loop, whose read notifier has already buffered every byte
    // that woke it.
    collectWaiting();
    const qint64 waiting = m_collected.size() + m_serial.bytesAvailable();
    return static_cast<int>(std::min<qint64>(waiting, std::numeric_limits<int>::max()));
}

QByteArray QSerialPortLink::input()
{
    requireOpen();
    // Nothing more is taken from the driver here: the batch is what the count announced.
    // Reading an empty port would start its notifier again.
    QByteArray batch = std::exchange(m_collected, {});
    if (m_serial.bytesAvailable() > 0)
        batch += m_serial.readAll();
    return batch;
}

void QSerialPortLink::output(const QByteArray& bytes)
{
    requireOpen();
    if (bytes.isEmpty())
        return;
    const qint64 queued = m_serial.write(bytes);
    requireOpen();
    if (queued != bytes.size()) {
        const QString why = m_serial.errorString();
        fail(QStringLiteral("cannot write to serial port %1: %2").arg(m_openDevice, why));
    }
    // write() only queues until the event loop runs; flush() hands the frame to the
    // driver now, without waiting for the line. What the driver cannot take yet goes
    // out from the event loop.
    m_serial.flush();
    requireOpen();
}

void QSerialPortLink::setReadThreshold(int bytes)
{
    m_readThreshold = std::max(bytes, 1);
    if (!m_serial.isOpen() || m_appliedThreshold == m_readThreshold)
        return;
    // What arrived while no notifier watched the line is taken now, as the port's notifier
    // would have done: this tick sees it, and before anything that arrives later.
    collectWaiting();
    applyReadThreshold();
}

void QSerialPortLink::applyReadThreshold()
{
#ifdef Q_OS_LINUX
    // In non-canonical mode with VTIME 0, poll reports the line readable once VMIN bytes
    // wait, and a non-blocking read returns whatever waits, fails with EAGAIN when nothing
    // does and returns 0 only at a hang-up. VMIN 0 is the port's own setting, under which
    // an empty line also reads as 0 bytes.
    constexpr int MostBytes = std::numeric_limits<cc_t>::max();
    termios line{};
    const int descriptor = static_cast<int>(m_serial.handle());
    bool applied = ::tcgetattr(descriptor, &line) == 0;
    if (applied) {
        line.c_cc[VMIN] =
            static_cast<cc_t>(m_readThreshold > 1 ? std::min(m_readThreshold, MostBytes) : 0);
        line.c_cc[VTIME] = 0;
        applied = ::tcsetattr(descriptor, TCSANOW, &line) == 0;
    }
    if (!applied) {
        fail(QStringLiteral("cannot set the read threshold of serial port %1: %2")
                 .arg(m_openDevice, QString::fromLocal8Bit(std::strerror(errno))));
    }
    m_appliedThreshold = m_readThreshold;
    // Whatever VMIN says, every byte that arrives wakes a process polling the line inside
    // the kernel, at each frame of a stream. Above a threshold of 1 the port's notifier
    // therefore leaves the line alone and each tick reads it instead.
    if (QSocketNotifier* notifier = readNotifier())
        notifier->setEnabled(m_appliedThreshold <= 1);
#endif
}

QSocketNotifier* QSerialPortLink::readNotifier() const
{
    const auto notifiers = m_serial.findChildren<QSocketNotifier*>(Qt::FindDirectChildrenOnly);
    for (QSocketNotifier* notifier : notifiers) {
        if (notifier->type() == QSocketNotifier::Read)
            return notifier;
    }
    return nullptr;
}

void QSerialPortLink::collectWaiting()
{
#ifdef Q_OS_LINUX
    if (m_appliedThreshold <= 1)
        return;
    // What the port buffered came first. Reading it starts its notifier again.
    if (m_serial.bytesAvailable() > 0) {
        m_collected += m_serial.readAll();
        if (QSocketNotifier* notifier = readNotifier())
            notifier->setEnabled(false);
    }
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(m_serial.handle()), chunk, sizeof chunk);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (got <= 0) {
            loseDevice(QStringLiteral("read error"),
                       got == 0 ? QStringLiteral("the line hung up")
                                : QString::fromLocal8Bit(std::strerror(errno)));
            throwPendingError();
        }
        m_collected.append(chunk, got);
        if (got < static_cast<ssize_t>(sizeof chunk))
            return;
    }
#endif
}

void QSerialPortLink::requireOpen()
{
    if (m_serial.isOpen())
        return;
    throwPendingError();
    fail(QStringLiteral("serial port %1 is not open").arg(device()));
}

void QSerialPortLink::throwPendingError()
{
    if (m_pendingError)
        throw *std::exchange(m_pendingError, std::nullopt);
}

void QSerialPortLink::applySettings()
{
    m_applied.reset();
    const bool applied =
        m_serial.setBaudRate(m_settings.baudRate) && m_serial.setParity(toQt(m_settings.parity)) &&
        m_serial.setDataBits(static_cast<QSerialPort::DataBits>(m_settings.dataBits)) &&
        m_serial.setStopBits(toQt(m_settings.stopBits)) &&
        m_serial.setFlowControl(QSerialPort::NoFlowControl);
    if (!applied) {
        // Thrown now, so a failure that also closed the port is not reported twice.
        m_pendingError.reset();
        fail(QStringLiteral("cannot set serial port %1 to \"%2\": %3")
                 .arg(m_openDevice, m_settingsText, m_serial.errorString()));
    }
    m_applied = m_settings;
}

void QSerialPortLink::closePort()
{
    m_applied.reset();
    m_appliedThreshold = 1;
    m_collected.clear();
    if (!m_serial.isOpen())
        return;
    m_closing = true;
    m_serial.close();
    m_closing = false;
}

void QSerialPortLink::onError(QSerialPort::SerialPortError error)
{
    // Failures of open() and of a setting the driver cannot do are thrown by the call
    // that caused them; the port itself is still sound.
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError ||
        error == QSerialPort::UnsupportedOperationError)
        return;
    if (!m_serial.isOpen() || m_closing)
        return;
    // A device that has gone away keeps reporting read errors for as long as it stays
    // open, many thousand times a second: close it at the first one.
    loseDevice(failureKind(error), m_serial.errorString());
}

void QSerialPortLink::loseDevice(const QString& kind, const QString& reason)
{
    ++m_deviceFailures;
    m_pendingError.emplace(QStringLiteral("serial port %1 stopped working (%2: %3)")
                               .arg(m_openDevice, kind, reason)
                               .toStdString(),
                           lostLineCause(m_openDevice, reason));
    closePort();
}
