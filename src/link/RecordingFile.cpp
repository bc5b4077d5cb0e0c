#include "RecordingFile.h"

#include "TrafficLog.h"

#include <QAbstractEventDispatcher>

#include <cstdio>
#include <limits>

namespace {
// A stalled timer cannot grow the buffer past this; about half a minute of the live stream.
constexpr qsizetype MostBuffered = 1024 * 1024;
} // namespace

RecordingFile::RecordingFile(const QString& path, qint64 maxBytes, const QByteArray& header)
    : m_file(path), m_maxBytes(maxBytes), m_header(header)
{
    m_clock.start();
    // "-" is standard output, which is never renamed: it has no cap.
    const bool toStandardOutput = path == QLatin1String("-");
    if (toStandardOutput)
        m_maxBytes = std::numeric_limits<qint64>::max();
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered;
    if (toStandardOutput ? !m_file.open(stdout, mode) : !m_file.open(mode)) {
        m_failure = m_file.errorString();
        return;
    }
    m_buffer = m_header;
    flush();
    if (QAbstractEventDispatcher::instance()) {
        m_flushTimer.setInterval(FlushInterval);
        QObject::connect(&m_flushTimer, &QTimer::timeout, &m_flushTimer, [this] { flush(); });
        m_flushTimer.start();
    }
}

RecordingFile::~RecordingFile()
{
    flush();
}

void RecordingFile::add(const PressureRecording::Row& row)
{
    if (!m_file.isOpen())
        return;
    m_buffer += PressureRecording::line(row);
    if (m_buffer.size() >= MostBuffered)
        flush();
}

void RecordingFile::flushIfDue()
{
    if (m_clock.elapsed() - m_lastFlush >= FlushInterval)
        flush();
}

void RecordingFile::flush()
{
    m_lastFlush = m_clock.elapsed();
    if (!m_file.isOpen() || m_buffer.isEmpty())
        return;
    if (m_size > 0 && m_size + m_buffer.size() > m_maxBytes)
        rotate();
    if (!m_file.isOpen())
        return;
    if (m_file.write(m_buffer) != m_buffer.size()) {
        stop(m_file.errorString());
        return;
    }
    m_size += m_buffer.size();
    m_buffer.clear();
}

void RecordingFile::rotate()
{
    if (!TrafficLog::startAfresh(m_file)) {
        stop(m_file.errorString());
        return;
    }
    m_size = 0;
    m_buffer.prepend(m_header);
}

void RecordingFile::stop(const QString& reason)
{
    m_file.close();
    m_buffer.clear();
    m_flushTimer.stop();
    m_failure = reason;
}
