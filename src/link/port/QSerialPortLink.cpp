#include "QSerialPortLink.h"

#include "PortFailure.h"
#include "SerialError.h"

#include <algorithm>
#include <limits>
#include <utility>

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
    } catch (...) {
        closePort();
        throw;
    }
}

int QSerialPortLink::inBufferCount()
{
    requireOpen();
    // Ticks return to the event loop, whose read notifier has already buffered every byte.
    const qint64 waiting = m_serial.bytesAvailable();
    return static_cast<int>(std::min<qint64>(waiting, std::numeric_limits<int>::max()));
}

QByteArray QSerialPortLink::input()
{
    requireOpen();
    return m_serial.readAll();
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
    ++m_deviceFailures;
    const QString reason = m_serial.errorString();
    m_pendingError.emplace(QStringLiteral("serial port %1 stopped working (%2: %3)")
                               .arg(m_openDevice, failureKind(error), reason)
                               .toStdString(),
                           lostLineCause(m_openDevice, reason));
    closePort();
}
