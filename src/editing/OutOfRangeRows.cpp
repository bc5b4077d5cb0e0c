#include "OutOfRangeRows.h"

#include "ParameterTable.h"

QList<int> outOfRangeRows(const ParameterSet& set)
{
    QList<int> rows;
    for (int row = 1; row <= ParameterCount; ++row) {
        const Parameter parameter = gridParameter(row);
        const ValueRange range = parameterInfo(parameter).gridRange;
        const std::int32_t value = set.value(parameter);
        if (value < range.minimum || value > range.maximum)
            rows.append(row);
    }
    return rows;
}

QString outOfRangeQuestion(const ParameterSet& set)
{
    const QList<int> rows = outOfRangeRows(set);
    if (rows.isEmpty())
        return {};
    QString question = QStringLiteral("These values are outside their ranges:");
    for (int row : rows) {
        const ParameterInfo& info = parameterInfo(gridParameter(row));
        question += QStringLiteral("\n%1 %2 (%3 to %4)")
                        .arg(QString::fromLatin1(info.grid.caption))
                        .arg(set.value(info.parameter))
                        .arg(info.gridRange.minimum)
                        .arg(info.gridRange.maximum);
    }
    return question + QStringLiteral("\nWrite anyway?");
}
