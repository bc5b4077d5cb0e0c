#include "ParameterTable.h"

#include <stdexcept>

namespace {

constexpr std::int32_t HighestCount = 9999999;
constexpr std::int32_t HighestTimer = 255;
constexpr std::int32_t HighestFaultCount = 65535;
// A file read holds fault counts a little below the largest the grid and the device take;
// that difference is deliberate, and a file with a larger fault count reads back at this.
constexpr std::int32_t HighestFaultCountInFile = 65530;

// A count read from the device above the largest count is taken as unset.
constexpr UploadLimit CountUploadLimit{HighestCount, 0};
constexpr UploadLimit TripUploadLimit{HighestTripPressure, HighestTripPressure};

// Canonical order. One address between the fault counts is not used, and the static fault
// count has the higher address: the upload reads the static one first, the download
// writes the dynamic one first. The grid shows the count trip above the dynamic trip, and
// the dynamic trip's upload text shows again while the static fault count is read.
constexpr ParameterTable Table{{
    {
        .parameter = Parameter::ShutDownCountSP,
        .name = "ShutDownCountSP",
        .field = field(&ParameterSet::ShutDownCountSP),
        .device = {.address = 0, .dataBytes = 3},
        .upload = {.index = 0, .status = "Uploading SDC"},
        .download = {.index = 0, .status = "Writing SD SP"},
        .grid = {.row = 1, .caption = "Overcount S.P.", .units = "Count"},
        .fileLabel = "Shut Down Count Set-Point",
        .gridRange = {.minimum = 2, .maximum = HighestCount},
        .needleLimit = std::nullopt,
        .uploadLimit = CountUploadLimit,
        .fileReadLimit = HighestCount,
    },
    {
        .parameter = Parameter::WarningCountSP,
        .name = "WarningCountSP",
        .field = field(&ParameterSet::WarningCountSP),
        .device = {.address = 1, .dataBytes = 3},
        .upload = {.index = 1, .status = "Uploading WC"},
        .download = {.index = 1, .status = "Writing Warning SP"},
        .grid = {.row = 2, .caption = "Warning S.P.", .units = "Count"},
        .fileLabel = "Warning Count Set-Point",
        .gridRange = {.minimum = 2, .maximum = HighestCount},
        .needleLimit = std::nullopt,
        .uploadLimit = CountUploadLimit,
        .fileReadLimit = HighestCount,
    },
    {
        .parameter = Parameter::ActualCount,
        .name = "ActualCount",
        .field = field(&ParameterSet::ActualCount),
        .device = {.address = 2, .dataBytes = 3},
        .upload = {.index = 2, .status = "Uploading Count"},
        .download = {.index = 2, .status = "Writing Count"},
        .grid = {.row = 3, .caption = "Actual Count", .units = "Count"},
        .fileLabel = "Actual Count",
        .gridRange = {.minimum = 0, .maximum = HighestCount},
        .needleLimit = std::nullopt,
        .uploadLimit = CountUploadLimit,
        .fileReadLimit = HighestCount,
    },
    {
        .parameter = Parameter::StaticTripSP,
        .name = "StaticTripSP",
        .field = field(&ParameterSet::StaticTripSP),
        .device = {.address = 3, .dataBytes = 1},
        .upload = {.index = 3, .status = "Uploading Static P"},
        .download = {.index = 3, .status = "Writing Static SP"},
        .grid = {.row = 4, .caption = "Static Trip Pressure", .units = "PSI"},
        .fileLabel = "Static Trip Set-Point",
        .gridRange = {.minimum = 0, .maximum = HighestTripPressure},
        .needleLimit = HighestTripPressure,
        .uploadLimit = TripUploadLimit,
        .fileReadLimit = HighestTripPressure,
    },
    {
        .parameter = Parameter::StaticTripTimer,
        .name = "StaticTripTimer",
        .field = field(&ParameterSet::StaticTripTimer),
        .device = {.address = 4, .dataBytes = 1},
        .upload = {.index = 4, .status = "Uploading Static Timer"},
        .download = {.index = 4, .status = "Writing Static Timer"},
        .grid = {.row = 5, .caption = "Static Pressure Timer", .units = "Seconds"},
        .fileLabel = "Static Trip Timer",
        .gridRange = {.minimum = 0, .maximum = HighestTimer},
        .needleLimit = std::nullopt,
        .uploadLimit = std::nullopt,
        .fileReadLimit = HighestTimer,
    },
    {
        .parameter = Parameter::DynamicTripSP,
        .name = "DynamicTripSP",
        .field = field(&ParameterSet::DynamicTripSP),
        .device = {.address = 6, .dataBytes = 1},
        .upload = {.index = 6, .status = "Uploading DT SP"},
        .download = {.index = 6, .status = "Writing Dynamic SP"},
        .grid = {.row = 7, .caption = "Dynamic Trip Pressure", .units = "PSI"},
        .fileLabel = "Dynamic Trip Set-Point",
        .gridRange = {.minimum = 0, .maximum = HighestTripPressure},
        .needleLimit = HighestTripPressure,
        .uploadLimit = TripUploadLimit,
        .fileReadLimit = HighestTripPressure,
    },
    {
        .parameter = Parameter::CountTripSP,
        .name = "CountTripSP",
        .field = field(&ParameterSet::CountTripSP),
        .device = {.address = 5, .dataBytes = 1},
        .upload = {.index = 5, .status = "Uploading Count SP"},
        .download = {.index = 5, .status = "Writing Count SP"},
        .grid = {.row = 6, .caption = "Count Trip Pressure", .units = "PSI"},
        .fileLabel = "Count Trip Set-Point",
        .gridRange = {.minimum = 0, .maximum = HighestTripPressure},
        .needleLimit = HighestTripPressure,
        .uploadLimit = TripUploadLimit,
        .fileReadLimit = HighestTripPressure,
    },
    {
        .parameter = Parameter::StaticFaultCount,
        .name = "StaticFaultCount",
        .field = field(&ParameterSet::StaticFaultCount),
        .device = {.address = 9, .dataBytes = 2},
        .upload = {.index = 7, .status = "Uploading DT SP"},
        .download = {.index = 8, .status = "Writing SF Count"},
        .grid = {.row = 8, .caption = "Static Fault Count", .units = "Count"},
        .fileLabel = "Static Fault Count",
        .gridRange = {.minimum = 0, .maximum = HighestFaultCount},
        .needleLimit = std::nullopt,
        .uploadLimit = std::nullopt,
        .fileReadLimit = HighestFaultCountInFile,
    },
    {
        .parameter = Parameter::DynamicFaultCount,
        .name = "DynamicFaultCount",
        .field = field(&ParameterSet::DynamicFaultCount),
        .device = {.address = 7, .dataBytes = 2},
        .upload = {.index = 8, .status = "Uploading ST SP"},
        .download = {.index = 7, .status = "Writing DF Count"},
        .grid = {.row = 9, .caption = "Dynamic Fault Count", .units = "Count"},
        .fileLabel = "Dynamic Fault Count",
        .gridRange = {.minimum = 0, .maximum = HighestFaultCount},
        .needleLimit = std::nullopt,
        .uploadLimit = std::nullopt,
        .fileReadLimit = HighestFaultCountInFile,
    },
}};

using Order = std::array<Parameter, ParameterCount>;

// The parameters sorted by the position `positionOf` gives each, counted from `first`.
template <typename PositionOf> constexpr Order orderBy(PositionOf positionOf, int first)
{
    Order order{};
    std::array<bool, ParameterCount> taken{};
    for (const ParameterInfo& info : Table) {
        const int position = positionOf(info) - first;
        if (position < 0 || position >= ParameterCount || taken[position])
            throw std::logic_error("every position must be taken by exactly one parameter");
        taken[position] = true;
        order[position] = info.parameter;
    }
    return order;
}

constexpr Order UploadOrder = orderBy([](const ParameterInfo& i) { return i.upload.index; }, 0);
constexpr Order DownloadOrder = orderBy([](const ParameterInfo& i) { return i.download.index; }, 0);
constexpr Order GridOrder = orderBy([](const ParameterInfo& i) { return i.grid.row; }, 1);

constexpr bool isCanonical()
{
    for (int i = 0; i < ParameterCount; ++i)
        if (Table[i].parameter != static_cast<Parameter>(i))
            return false;
    return true;
}
static_assert(isCanonical(), "the table is indexed by Parameter");

} // namespace

const ParameterTable& parameterTable()
{
    return Table;
}

const ParameterInfo& parameterInfo(Parameter p)
{
    return Table.at(static_cast<std::size_t>(p));
}

Parameter uploadParameter(int step)
{
    return UploadOrder.at(static_cast<std::size_t>(step));
}

Parameter downloadParameter(int row)
{
    return DownloadOrder.at(static_cast<std::size_t>(row));
}

Parameter gridParameter(int row)
{
    return GridOrder.at(static_cast<std::size_t>(row - 1));
}

std::int32_t applyUploadLimit(Parameter p, std::int32_t raw)
{
    const std::optional<UploadLimit>& limit = parameterInfo(p).uploadLimit;
    return limit && raw > limit->highest ? limit->replacement : raw;
}
