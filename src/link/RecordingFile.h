#pragma once

#include "PressureRecording.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

// A pressure recording being written. Lines collect in memory and reach the file whole,
// once a second (a timer, where the thread has an event loop; elsewhere the owner calls
// flushIfDue()), when a lot has piled up, and when the file is closed, so a tick never waits
// on the disk and a recording cut short by a crash ends on a whole line. A file that would
// pass its cap is renamed to FILE.1, replacing an older one, and a new FILE is started with
// the same header, as the traffic log does.
class RecordingFile
{
public:
    static constexpr int FlushInterval = 1000; // milliseconds

    // Creates or truncates the file ("-" writes to standard output) and writes the header;
    // isOpen() tells whether that worked.
    RecordingFile(const QString& path, qint64 maxBytes, const QByteArray& header);
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    // Why the file cannot be written, once it cannot; empty while it can.
    QString failure() const { return m_failure; }

    void add(const PressureRecording::Row& row);
    void flush();
    void flushIfDue();

private:
    void rotate();
    void stop(const QString& reason);

    QFile m_file;
    qint64 m_maxBytes;
    QByteArray m_header;
    QString m_failure;
    qint64 m_size = 0;
    QByteArray m_buffer;
    QElapsedTimer m_clock;
    qint64 m_lastFlush = 0;
    QTimer m_flushTimer;
};
