#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

class QCommandLineParser;

// A record of what crossed the serial line, for a fault report. One line per record:
// the time since the log was opened in seconds with milliseconds, right-aligned, then the
// kind and the text, such as "     12.345 TX 80 04 00 7C". TX holds bytes sent, RX bytes
// read, EV an event, ER a failure with its reason.
//
// Recording only appends to memory, so it costs a timer tick nothing but the formatting.
// The records reach the file once a second (a timer, where the thread has an event loop;
// elsewhere the owner calls flushIfDue()), when a lot has piled up, and when the log is
// destroyed. A file that would pass its cap is renamed to FILE.1, replacing an older one,
// and a new FILE is started. Every file the log starts, and every session it appends,
// begins with a header: the wall-clock time, the program and the port.
class TrafficLog
{
public:
    enum class Kind
    {
        Sent,
        Received,
        Event,
        Error
    };

    static constexpr qint64 Megabyte = 1024 * 1024;
    static constexpr qint64 DefaultMaxBytes = 20 * Megabyte;
    // The largest cap --log-max-mb takes, in megabytes.
    static constexpr qint64 MostMegabytes = 1024 * 1024;
    static constexpr int FlushInterval = 1000; // milliseconds

    // Appends to the file; isOpen() tells whether that worked. The program (with its
    // version) and the port go into the header.
    explicit TrafficLog(const QString& path, qint64 maxBytes = DefaultMaxBytes,
                        const QString& program = {}, const QString& port = {});
    // Records into a shared log, each line naming its source after the kind, so that one
    // log holds the lines of several devices.
    TrafficLog(TrafficLog& shared, const QString& source);
    ~TrafficLog();
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;

    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_file.errorString(); }
    QString path() const { return m_file.fileName(); }
    // Why the file cannot be written, once it cannot; empty while it can.
    QString failure() const { return m_failure; }
    // Told the failure when the log stops writing.
    void setFailureHandler(std::function<void(const QString&)> handler)
    {
        m_onFailure = std::move(handler);
    }
    // The port as the next header names it.
    void setPort(const QString& port) { m_port = port; }

    // The bytes, and what they mean to a person where they mean something.
    void sent(const QByteArray& bytes, const QString& meaning = {})
    {
        record(Kind::Sent, withMeaning(bytes, meaning));
    }
    void received(const QByteArray& bytes, const QString& meaning = {})
    {
        record(Kind::Received, withMeaning(bytes, meaning));
    }
    void event(const QString& text) { record(Kind::Event, text.simplified().toUtf8()); }
    void error(const QString& text) { record(Kind::Error, text.simplified().toUtf8()); }

    void flush();
    void flushIfDue();

    // One line of the log, with its line end.
    static QByteArray line(qint64 milliseconds, Kind kind, const QByteArray& text);

    // The command line's --log and --log-max-mb.
    struct Options
    {
        QString path; // empty: no log
        qint64 maxBytes = DefaultMaxBytes;
    };
    static void addOptions(QCommandLineParser& parser);
    // --log, else the environment's VORTA_LOG; nothing, with the reason in error, for a
    // --log-max-mb that is no whole number of megabytes.
    static std::optional<Options> options(const QCommandLineParser& parser, QString& error);
    // A cap option given in megabytes (--log-max-mb, --record-max-mb), in bytes: the fallback
    // where the option is not set, nothing with the reason in error where it is no whole number
    // from 1 to MostMegabytes.
    static std::optional<qint64> capOption(const QCommandLineParser& parser, const QString& name,
                                           qint64 fallback, QString& error);

    // A capped file that is full: renamed to FILE.1, replacing an older one, and FILE opened
    // anew and empty; false when it cannot be opened. Pressure recordings follow the rule too.
    static bool startAfresh(QFile& file);

private:
    static QByteArray withMeaning(const QByteArray& bytes, const QString& meaning);
    QByteArray header() const;
    void record(Kind kind, const QByteArray& text);
    void rotate();
    void stop(const QString& reason);

    QFile m_file;
    qint64 m_maxBytes;
    QString m_program;
    QString m_port;
    QString m_failure;
    std::function<void(const QString&)> m_onFailure;
    qint64 m_size = 0;
    QElapsedTimer m_clock;
    qint64 m_lastFlush = 0;
    QByteArray m_buffer;
    QTimer m_flushTimer;
    TrafficLog* m_shared = nullptr;
    QByteArray m_source;
};
