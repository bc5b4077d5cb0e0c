#include "TrafficLog.h"

#include <QAbstractEventDispatcher>
#include <QCommandLineParser>
#include <QDateTime>

#include <cstdio>

namespace {

// A stalled timer cannot grow the buffer past this; about a minute of the live stream.
constexpr qsizetype MostBuffered = 1024 * 1024;

const char* kindText(TrafficLog::Kind kind)
{
    switch (kind) {
    case TrafficLog::Kind::Sent:
        return "TX";
    case TrafficLog::Kind::Received:
        return "RX";
    case TrafficLog::Kind::Error:
        return "ER";
    case TrafficLog::Kind::Event:
        break;
    }
    return "EV";
}

} // namespace

TrafficLog::TrafficLog(const QString& path, qint64 maxBytes, const QString& program,
                       const QString& port)
    : m_file(path), m_maxBytes(maxBytes), m_program(program), m_port(port)
{
    m_clock.start();
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        m_failure = m_file.errorString();
        return;
    }
    m_size = m_file.size();
    m_buffer = header();
    if (QAbstractEventDispatcher::instance()) {
        m_flushTimer.setInterval(FlushInterval);
        QObject::connect(&m_flushTimer, &QTimer::timeout, &m_flushTimer, [this] { flush(); });
        m_flushTimer.start();
    }
}

TrafficLog::TrafficLog(TrafficLog& shared, const QString& source)
    : m_maxBytes(shared.m_maxBytes), m_shared(&shared), m_source(source.toUtf8() + ": ")
{}

TrafficLog::~TrafficLog()
{
    flush();
}

QByteArray TrafficLog::header() const
{
    // The wall-clock time lets the logs of the two ends of a line be laid side by side.
    QStringList parts{QDateTime::currentDateTime().toString(Qt::ISODateWithMs), m_program, m_port};
    parts.removeAll(QString());
    return line(m_clock.elapsed(), Kind::Event,
                QStringLiteral("Log started %1").arg(parts.join(QStringLiteral(", "))).toUtf8());
}

QByteArray TrafficLog::withMeaning(const QByteArray& bytes, const QString& meaning)
{
    QByteArray text = bytes.toHex(' ').toUpper();
    if (!meaning.isEmpty())
        text += "  " + meaning.toUtf8();
    return text;
}

QByteArray TrafficLog::line(qint64 milliseconds, Kind kind, const QByteArray& text)
{
    char head[40];
    const int length = std::snprintf(head, sizeof head, "%7lld.%03lld %s ", milliseconds / 1000,
                                     milliseconds % 1000, kindText(kind));
    return QByteArray(head, length) + text + '\n';
}

void TrafficLog::record(Kind kind, const QByteArray& text)
{
    if (m_shared) {
        m_shared->record(kind, m_source + text);
        return;
    }
    if (!m_file.isOpen())
        return;
    m_buffer += line(m_clock.elapsed(), kind, text);
    if (m_buffer.size() >= MostBuffered)
        flush();
}

void TrafficLog::flushIfDue()
{
    if (m_clock.elapsed() - m_lastFlush >= FlushInterval)
        flush();
}

void TrafficLog::flush()
{
    m_lastFlush = m_clock.elapsed();
    if (!m_file.isOpen() || m_buffer.isEmpty())
        return;
    if (m_size > 0 && m_size + m_buffer.size() > m_maxBytes)
        rotate();
    if (m_file.write(m_buffer) != m_buffer.size()) {
        stop(m_file.errorString());
        return;
    }
    m_size += m_buffer.size();
    m_buffer.clear();
}

bool TrafficLog::startAfresh(QFile& file)
{
    const QString path = file.fileName();
    const QString older = path + QStringLiteral(".1");
    file.close();
    QFile::remove(older);
    QFile::rename(path, older);
    // Where the rename failed the cap still holds: the file starts again empty.
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
}

void TrafficLog::rotate()
{
    if (!startAfresh(m_file)) {
        stop(m_file.errorString());
        return;
    }
    m_size = 0;
    m_buffer.prepend(header());
}

void TrafficLog::stop(const QString& reason)
{
    std::fprintf(stderr, "traffic log %s stopped: %s\n", qPrintable(m_file.fileName()),
                 qPrintable(reason));
    m_file.close();
    m_buffer.clear();
    m_flushTimer.stop();
    m_failure = reason;
    if (m_onFailure)
        m_onFailure(reason);
}

void TrafficLog::addOptions(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("log"),
                      QStringLiteral("Record the serial traffic and events in the file, "
                                     "appending (also from the environment's VORTA_LOG)."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("log-max-mb"),
                      QStringLiteral("Start the log afresh when it would pass N megabytes, "
                                     "keeping the last as <file>.1 (default 20)."),
                      QStringLiteral("N")});
}

std::optional<TrafficLog::Options> TrafficLog::options(const QCommandLineParser& parser,
                                                       QString& error)
{
    Options options;
    const QString log = QStringLiteral("log");
    options.path = parser.isSet(log) ? parser.value(log) : qEnvironmentVariable("VORTA_LOG");
    const std::optional<qint64> maxBytes =
        capOption(parser, QStringLiteral("log-max-mb"), DefaultMaxBytes, error);
    if (!maxBytes)
        return std::nullopt;
    options.maxBytes = *maxBytes;
    return options;
}

std::optional<qint64> TrafficLog::capOption(const QCommandLineParser& parser, const QString& name,
                                            qint64 fallback, QString& error)
{
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const qint64 megabytes = parser.value(name).toLongLong(&ok);
    if (!ok || megabytes < 1 || megabytes > MostMegabytes) {
        error = QStringLiteral("--%1 takes a whole number from 1 to %2, not '%3'")
                    .arg(name)
                    .arg(MostMegabytes)
                    .arg(parser.value(name));
        return std::nullopt;
    }
    return megabytes * Megabyte;
}
