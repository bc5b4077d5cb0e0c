#include "PressureRecording.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringDecoder>

const char* const PressureRecording::ColumnLine = "time,psi,event";

namespace {

const QString TimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz'Z'");

std::optional<qint64> parseTime(const QString& text)
{
    static const QRegularExpression shape(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$"));
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    QDateTime time = QDateTime::fromString(text, TimeFormat);
    time.setTimeSpec(Qt::UTC);
    // A date that does not exist reads as another, or as none, and would not write back.
    if (!time.isValid() || PressureRecording::timeText(time.toMSecsSinceEpoch()) != text)
        return std::nullopt;
    return time.toMSecsSinceEpoch();
}

std::optional<int> parsePsi(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral("^(0|[1-9][0-9]{0,2})$"));
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    const int psi = text.toInt();
    if (psi > PressureRecording::HighestPsi)
        return std::nullopt;
    return psi;
}

} // namespace

QByteArray PressureRecording::header(const QString& program, const QString& port, qint64 startMs)
{
    return QStringLiteral("# %1\n# port %2\n# started %3\n%4\n")
        .arg(eventText(program), eventText(port), timeText(startMs), QLatin1String(ColumnLine))
        .toUtf8();
}

QString PressureRecording::timeText(qint64 timeMs)
{
    return QDateTime::fromMSecsSinceEpoch(timeMs, Qt::UTC).toString(TimeFormat);
}

QString PressureRecording::eventText(const QString& label)
{
    QString text = label;
    for (QChar& c : text) {
        if (c == u',' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text;
}

QByteArray PressureRecording::line(const Row& row)
{
    QByteArray text = timeText(row.timeMs).toLatin1();
    text += ',';
    if (row.psi)
        text += QByteArray::number(*row.psi);
    text += ',';
    text += eventText(row.event).toUtf8();
    text += '\n';
    return text;
}

QByteArray PressureRecording::text() const
{
    QByteArray text;
    for (const QString& comment : comments)
        text += comment.toUtf8() + '\n';
    text += ColumnLine;
    text += '\n';
    for (const Row& row : rows)
        text += line(row);
    return text;
}

std::optional<PressureRecording> PressureRecording::read(const QByteArray& text, QString& error)
{
    PressureRecording recording;
    bool columnsSeen = false;
    qint64 start = 0;
    int number = 0;
    const auto fail = [&error, &number](const QString& what) {
        error = QStringLiteral("line %1: %2").arg(number).arg(what);
        return std::nullopt;
    };
    while (start < text.size()) {
        ++number;
        const qint64 end = text.indexOf('\n', start);
        if (end < 0)
            return fail(QStringLiteral("cut short, no end of line"));
        const QByteArray bytes = text.mid(start, end - start);
        start = end + 1;
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = decoder.decode(bytes);
        if (decoder.hasError() || line.toUtf8() != bytes)
            return fail(QStringLiteral("not UTF-8 text"));
        if (!columnsSeen) {
            if (line == QLatin1String(ColumnLine))
                columnsSeen = true;
            else if (line.startsWith(u'#'))
                recording.comments.append(line);
            else
                return fail(QStringLiteral("expected '#' comments, then '%1'")
                                .arg(QLatin1String(ColumnLine)));
            continue;
        }
        const QStringList fields = line.split(u',');
        if (fields.size() != 3)
            return fail(
                QStringLiteral("expected 3 fields (time,psi,event), found %1").arg(fields.size()));
        Row row;
        const std::optional<qint64> time = parseTime(fields[0]);
        if (!time)
            return fail(QStringLiteral("the time '%1' is not UTC ISO 8601 with milliseconds "
                                       "(2026-12-07T19:21:34.125Z)")
                            .arg(fields[0].left(40)));
        row.timeMs = *time;
        if (!recording.rows.isEmpty() && row.timeMs < recording.rows.last().timeMs)
            return fail(QStringLiteral("the time goes back"));
        if (!fields[1].isEmpty()) {
            row.psi = parsePsi(fields[1]);
            if (!row.psi)
                return fail(QStringLiteral("the pressure '%1' is not a whole number from 0 to %2")
                                .arg(fields[1].left(20))
                                .arg(HighestPsi));
        }
        if (fields[2].contains(u'\r'))
            return fail(QStringLiteral("a carriage return in the event"));
        row.event = fields[2];
        if (!row.psi && row.event.isEmpty())
            return fail(QStringLiteral("neither a pressure nor an event"));
        recording.rows.append(row);
    }
    if (!columnsSeen) {
        ++number;
        return fail(QStringLiteral("no column line '%1'").arg(QLatin1String(ColumnLine)));
    }
    return recording;
}
