#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The text of a pressure recording: comment lines starting with '#' (the program, the port,
// the start), the column line "time,psi,event", then one line per live frame or event:
//
//     2026-12-07T19:21:34.125Z,,Connect
//     2026-12-07T19:21:35.001Z,57,
//
// The time is UTC, ISO 8601 with milliseconds; the pressure is in PSI, empty on a line that
// only names an event. Every line ends with a line feed. Text that reads without an error
// writes back to the same bytes.
class PressureRecording
{
public:
    struct Row
    {
        qint64 timeMs = 0; // since 1970 UTC
        std::optional<int> psi;
        QString event;

        friend bool operator==(const Row&, const Row&) = default;
    };

    QStringList comments; // whole lines, each starting with '#'
    QList<Row> rows;

    static constexpr int HighestPsi = 255;
    static const char* const ColumnLine;

    // The comment lines and the column line that start a recording.
    static QByteArray header(const QString& program, const QString& port, qint64 startMs);
    static QByteArray line(const Row& row);
    static QString timeText(qint64 timeMs);
    // An event's name as a line can carry it: commas and line breaks become spaces.
    static QString eventText(const QString& label);

    QByteArray text() const;
    // Nothing, with "line N: what is wrong" in error, for text that is not a recording.
    static std::optional<PressureRecording> read(const QByteArray& text, QString& error);
};
