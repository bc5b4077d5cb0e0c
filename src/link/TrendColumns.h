#pragma once

#include "PressureHistory.h"

#include <optional>
#include <vector>

// Thins a stretch of the history to one pixel column each: a column holds the lowest and
// highest pressure of every frame whose time falls within it, so a spike of a single frame
// still reaches its column. Column c of n covers the times from + (to - from) * c / n up to,
// not including, the start of column c + 1; a column without a frame is empty.
class TrendColumns
{
public:
    struct Range
    {
        int low = 0;
        int high = 0;
        int last = 0; // the column's latest frame, for the line through the columns
    };
    using Column = std::optional<Range>;

    static std::vector<Column> thin(const PressureHistory& history, qint64 fromUs, qint64 toUs,
                                    int columns);
    // The time at which column c of n starts.
    static qint64 columnStart(qint64 fromUs, qint64 toUs, int columns, int c);
};
