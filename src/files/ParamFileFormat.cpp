#include "ParamFileFormat.h"

#include "ParameterTable.h"

#include <QIODevice>

#ifndef VORTA_VERSION
#define VORTA_VERSION "1.0.0"
#endif

namespace ParamFileFormat {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

enum class LineResult
{
    Line,
    Failed
};

// One line up to CR LF, CR or LF (the end is not part of the line).
LineResult readLine(QIODevice& in, QByteArray& line)
{
    line.clear();
    char c = 0;
    while (in.getChar(&c)) {
        if (c == '\n')
            return LineResult::Line;
        if (c == '\r') {
            char next = 0;
            if (in.peek(&next, 1) == 1 && next == '\n')
                in.getChar(&next);
            return LineResult::Line;
        }
        if (line.size() >= MaxLineLength)
            return LineResult::Failed;
        line.append(c);
    }
    return in.atEnd() ? LineResult::Line : LineResult::Failed;
}

} // namespace

QString softwareVersion()
{
    return QStringLiteral(VORTA_VERSION);
}

QList<QByteArray> lines(const ParameterSet& values, const QString& savedPath,
                        const QString& version)
{
    QList<QByteArray> out;
    out.append(QByteArray(Header));
    out.append(QByteArray(VersionText) + ' ' + version.toLatin1());
    out.append(savedPath.toLocal8Bit());
    out.append(QByteArray(DataLine));
    for (const ParameterInfo& info : parameterTable())
        out.append(QByteArray(info.fileLabel) + ',' +
                   QByteArray::number(values.value(info.parameter)));
    return out;
}

QByteArray contents(const ParameterSet& values, const QString& savedPath, const QString& version)
{
    QByteArray out;
    for (const QByteArray& line : lines(values, savedPath, version))
        out += line + "\r\n";
    return out;
}

std::optional<std::int64_t> recordValue(const QByteArray& line)
{
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n && isBlank(line[i]))
        ++i;
    // The label runs to the first comma; a quoted label may hold commas of its own.
    if (i < n && line[i] == '"') {
        const qsizetype close = line.indexOf('"', i + 1);
        if (close < 0)
            return std::nullopt;
        i = close + 1;
    }
    const qsizetype comma = line.indexOf(',', i);
    if (comma < 0)
        return std::nullopt;
    i = comma + 1;
    while (i < n && isBlank(line[i]))
        ++i;
    qsizetype end = i;
    while (end < n && !isBlank(line[end]) && line[end] != ',')
        ++end;

    bool negative = false;
    if (i < end && (line[i] == '-' || line[i] == '+')) {
        negative = line[i] == '-';
        ++i;
    }
    if (i == end)
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (; i < end; ++i) {
        const char c = line[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > std::int64_t{1} << 31)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return value;
}

ReadOutcome read(QIODevice& in, const ParameterSet& start)
{
    ReadOutcome outcome;
    outcome.values = start;
    QByteArray line;
    for (int counter = 1; counter <= 15; ++counter) {
        if (in.atEnd())
            break;
        if (counter > 13)
            continue;
        if (readLine(in, line) == LineResult::Failed)
            return outcome;
        switch (counter) {
        case 1:
            if (!line.contains(Header))
                return outcome;
            break;
        case 2:
            if (!line.contains(VersionText))
                return outcome;
            break;
        case 3:
            break;
        case 4:
            if (!line.contains(DataLine))
                return outcome;
            break;
        default: {
            const ParameterInfo& record = parameterTable()[static_cast<std::size_t>(counter - 5)];
            const std::optional<std::int64_t> value = recordValue(line);
            if (!value)
                return outcome;
            if (isSixteenBit(record.parameter) && (*value > INT16_MAX || *value < INT16_MIN))
                return outcome;
            std::int64_t limited = *value;
            if (limited > record.fileReadLimit)
                limited = record.fileReadLimit;
            if (limited < 0)
                limited = 0;
            outcome.values.assign(record.parameter, static_cast<std::int32_t>(limited));
            ++outcome.recordsRead;
            break;
        }
        }
    }
    outcome.complete = true;
    return outcome;
}

} // namespace ParamFileFormat
