#pragma once

#include <QByteArray>
#include <QString>

// The one way to the serial line. The communication cycle polls it from its timer:
// there are no receive or transmit events. Every operation that fails throws SerialError.
class SerialLink
{
public:
    virtual ~SerialLink() = default;

    // Port number 1 or 2; applies to the next opening.
    virtual void setCommPort(int port) = 0;
    virtual int commPort() const = 0;

    // Line settings such as "9600,n,8,1"; take effect at once, also on an open port.
    virtual void setSettings(const QString& settings) = 0;
    virtual QString settings() const = 0;

    virtual bool portOpen() const = 0;
    virtual void setPortOpen(bool open) = 0;

    // Received bytes not yet read.
    virtual int inBufferCount() = 0;
    // All waiting bytes, in order of arrival; empties the receive buffer.
    virtual QByteArray input() = 0;
    // Sends the bytes in order, without waiting for the line.
    virtual void output(const QByteArray& bytes) = 0;

    // How many received bytes make the line wake the program: 1 wakes it at every byte.
    // A higher threshold spares wake-ups while a stream runs; inBufferCount() still counts
    // the fewer bytes that wait. Kept like the settings, also across a reopening.
    virtual void setReadThreshold(int bytes) = 0;
};
