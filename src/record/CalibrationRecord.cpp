#include "CalibrationRecord.h"

#include "ParameterTable.h"

#include <QRegularExpression>

namespace {

int indexOf(Parameter p)
{
    return static_cast<int>(p);
}

QString caption(Parameter p)
{
    return QString::fromLatin1(parameterInfo(p).grid.caption);
}

QString clockTime(const QDateTime& at)
{
    return at.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

std::optional<std::int32_t> RecordRow::asLeft() const
{
    if (state == RecordRowState::NotReadBack)
        return std::nullopt;
    return readBack;
}

std::optional<std::int64_t> RecordRow::change() const
{
    const auto left = asLeft();
    if (!left || !asFound)
        return std::nullopt;
    return std::int64_t(*left) - *asFound;
}

void CalibrationRecord::connected(const QString& port, const QString& device)
{
    if (!m_device.isEmpty() && device != m_device) {
        CalibrationRecord fresh;
        fresh.technician = technician;
        *this = fresh;
    }
    m_device = device;
    m_port = port;
}

void CalibrationRecord::uploadFinished(const ParameterSet& device, const QDateTime& at)
{
    if (m_asFound)
        return;
    m_asFound = device;
    m_asFoundTime = at;
}

void CalibrationRecord::writeAcknowledged(Parameter parameter, std::int32_t value)
{
    m_written[indexOf(parameter)] = value;
    m_writtenSinceReadBack[indexOf(parameter)] = true;
}

void CalibrationRecord::readBackFinished(const ParameterSet& device, const ParameterSet& set,
                                         const QDateTime& at)
{
    for (int i = 0; i < ParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        m_expected.assign(p, m_written[i].value_or(set.value(p)));
        m_writtenSinceReadBack[i] = false;
    }
    m_readBack = device;
    m_readBackTime = at;
    m_readBackFailedAt.reset();
}

void CalibrationRecord::readBackFailed(const QDateTime& at)
{
    m_readBack.reset();
    m_readBackTime.reset();
    m_readBackFailedAt = at;
}

void CalibrationRecord::pressureWindowSeen(int highest, int lowest)
{
    m_highest = highest;
    m_lowest = lowest;
}

void CalibrationRecord::fileUsed(const QString& path, bool saved)
{
    m_file = path;
    m_fileSaved = saved;
}

QString CalibrationRecord::pressureWindowText() const
{
    if (m_highest <= 0)
        return {};
    return QStringLiteral("%1 to %2 PSI").arg(m_lowest).arg(m_highest);
}

QString CalibrationRecord::fileText() const
{
    if (m_file.isEmpty())
        return {};
    return QStringLiteral("%1 (%2)").arg(m_file, m_fileSaved ? QStringLiteral("saved")
                                                             : QStringLiteral("read"));
}

QList<RecordRow> CalibrationRecord::rows() const
{
    QList<RecordRow> rows;
    for (int gridRow = 1; gridRow <= ParameterCount; ++gridRow) {
        const Parameter p = gridParameter(gridRow);
        const int i = indexOf(p);
        RecordRow row{p, {}, m_written[i], {}, {}, RecordRowState::NotReadBack};
        if (m_asFound)
            row.asFound = m_asFound->value(p);
        if (m_readBack) {
            row.expected = m_expected.value(p);
            row.readBack = m_readBack->value(p);
            if (!m_writtenSinceReadBack[i])
                row.state = *row.readBack == *row.expected ? RecordRowState::ReadBackEqual
                                                           : RecordRowState::ReadBackDifferent;
        }
        rows << row;
    }
    return rows;
}

QList<Parameter> CalibrationRecord::differingRows() const
{
    QList<Parameter> differing;
    for (const RecordRow& row : rows())
        if (row.state == RecordRowState::ReadBackDifferent)
            differing << row.parameter;
    return differing;
}

bool CalibrationRecord::writtenSinceReadBack() const
{
    for (bool written : m_writtenSinceReadBack)
        if (written)
            return true;
    return false;
}

QString CalibrationRecord::readBackResult() const
{
    if (m_readBackFailedAt)
        return QStringLiteral("read back failed at %1").arg(clockTime(*m_readBackFailedAt));
    if (!m_readBack)
        return QStringLiteral("not read back");
    const QList<Parameter> differing = differingRows();
    if (differing.isEmpty())
        return QStringLiteral("Read back: all nine equal");
    QStringList names;
    for (Parameter p : differing)
        names << caption(p);
    const QString last = names.takeLast();
    const QString listed =
        names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    return QStringLiteral("Read back: %1 %2")
        .arg(listed, differing.size() == 1 ? QStringLiteral("differs") : QStringLiteral("differ"));
}

QString CalibrationRecord::differencesText() const
{
    QStringList lines;
    for (const RecordRow& row : rows()) {
        if (row.state != RecordRowState::ReadBackDifferent)
            continue;
        lines << QStringLiteral("%1: %2 %3, the device holds %4")
                     .arg(caption(row.parameter),
                          row.written ? QStringLiteral("written") : QStringLiteral("expected"))
                     .arg(*row.expected)
                     .arg(*row.readBack);
    }
    return lines.join(QLatin1Char('\n'));
}

QString CalibrationRecord::reportFileName(const QDateTime& at) const
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]+"));
    QString name = press.trimmed();
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name.prepend(QStringLiteral("press"));
    return QStringLiteral("%1_%2.pdf").arg(name, at.toString(QStringLiteral("yyyy-MM-dd_HHmm")));
}
