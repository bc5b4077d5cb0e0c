#include "TrendColumns.h"

std::vector<TrendColumns::Column> TrendColumns::thin(const PressureHistory& history, qint64 fromUs,
                                                     qint64 toUs, int columns)
{
    std::vector<Column> result(static_cast<std::size_t>(std::max(columns, 0)));
    if (columns <= 0 || toUs <= fromUs)
        return result;
    qint64 first = history.lowerBound(fromUs);
    for (int c = 0; c < columns; ++c) {
        const qint64 end = history.lowerBound(columnStart(fromUs, toUs, columns, c + 1));
        if (end > first) {
            const PressureHistory::Range range = history.range(first, end);
            result[static_cast<std::size_t>(c)] =
                Range{range.low, range.high, history.at(end - 1).psi};
        }
        first = end;
    }
    return result;
}

qint64 TrendColumns::columnStart(qint64 fromUs, qint64 toUs, int columns, int c)
{
    // Whole columns first and the remainder apart, so that no product can overflow.
    const qint64 span = toUs - fromUs;
    return fromUs + span / columns * c + span % columns * c / columns;
}
