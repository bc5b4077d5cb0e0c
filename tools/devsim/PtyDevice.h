#pragma once

#include <QByteArray>
#include <QString>

#include <termios.h>

// The device's end of a pseudo-terminal pair. The tool opens the slave by its path; the
// device reads and writes the master. The device holds a slave descriptor of its own for
// the pair's whole life: without one the master fails every read while the tool is away,
// and the line settings would fall back to their defaults whenever the tool closes.
class PtyDevice
{
public:
    PtyDevice() = default;
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // Creates the pair with the slave raw at 9600 baud and the master non-blocking.
    bool open(QString& error);
    QString slavePath() const { return m_path; }
    int masterDescriptor() const { return m_master; }

    // The speed the tool last set on its side. On Linux the master reports the slave's
    // settings, so no extra descriptor is needed to watch them.
    speed_t lineSpeed() const;

    // Appends every byte waiting on the master; false on a failure of the line.
    bool readAvailable(QByteArray& into, QString& error);
    // Bytes the line cannot take now (the tool is not reading) are lost, as on a real line;
    // written, where given, learns how many it took.
    bool write(const QByteArray& bytes, QString& error, qsizetype* written = nullptr);

    // Closes both descriptors: the tool's side sees the line hang up.
    void hangUp();

    // The baud rate of a termios speed, 0 when unknown.
    static int baudRate(speed_t speed);

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
