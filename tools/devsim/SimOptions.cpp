#include "SimOptions.h"

#include <QCommandLineParser>
#include <QLocale>

#include <cmath>
#include <utility>
#include <vector>

namespace {

struct OptionEntry
{
    const char* name;
    const char* valueName; // empty for a switch
    const char* help;      // wrapped to the width of the help text
};

struct OptionGroup
{
    const char* title;
    std::vector<OptionEntry> options;
};

const std::vector<OptionGroup>& optionGroups()
{
    static const std::vector<OptionGroup> groups{
        {"Device memory",
         {
             {"values", "LIST",
              "Nine comma-separated start values in this order:  "
              "ShutDownCountSP, WarningCountSP, ActualCount,  "
              "StaticTripSP, StaticTripTimer, DynamicTripSP,  "
              "CountTripSP, StaticFaultCount, DynamicFaultCount.  "
              "Counts take 0..16777215, set-points and the timer  "
              "0..255, fault counts 0..65535, as their data bytes  "
              "carry. Default: 500000, 450000, 123456, 60, 5, 80, 70, 3, 7."},
             {"load", "FILE", "Take the start values from a *.PRS parameter file."},
             {"dump", "FILE",
              "On exit (SIGINT, SIGTERM, --hangup-after) write the  "
              "memory to FILE as nine Name=value lines in the order  "
              "of --values, such as StaticTripSP=45. The file is  "
              "replaced as a whole."},
             {"dump-on-write", "",
              "Also write the --dump file at start and after every  "
              "write request the device stores."},
         }},
        {"Live pressure (streamed while the line is at 57600 baud)",
         {
             {"base", "PSI", "Pressure between strokes (0..255, default 20)."},
             {"peak", "PSI", "Pressure at the height of a stroke (base..255, default 75)."},
             {"period", "SECONDS", "Time from one stroke to the next (default 2)."},
             {"noise", "PSI", "Largest random deviation of a reading (default 1)."},
             {"frame-by-frame", "",
              "Write every pressure frame on its own as the line  "
              "finishes the one before (1152 writes a second),  "
              "instead of all the frames of a 5 ms turn at once."},
             {"replay", "FILE",
              "Stream the pressures of a recording (the CSV file of  "
              "vorta-cal's trend: time,psi,event) at the recorded  "
              "pace, in place of the press strokes, from the moment  "
              "the line first enters 57600 baud, and from its start  "
              "again at its end."},
             {"replay-speed", "X", "Replay X times as fast (0.01..100, default 1)."},
             {"replay-once", "", "Stop streaming at the recording's end instead."},
         }},
        {"Faults",
         {
             {"noise-rate", "BYTES_PER_SEC", "Mix this many random bytes a second into the line."},
             {"drop", "FRACTION",
              "Leave this share (0..1) of read replies and  "
              "acknowledgements unsent."},
             {"corrupt", "FRACTION",
              "Spoil the checksum of this share (0..1) of the frames  "
              "sent: replies, acknowledgements and pressure frames."},
             {"duplicate-acks", "", "Send every acknowledgement twice."},
             {"store-wrong", "ADDRESS",
              "Acknowledge every write to this device address (0..7  "
              "or 9) but store a value one above the one sent (one  "
              "below at the largest value its bytes carry)."},
             {"delay", "MS", "Hold every answer this long (0..60000)."},
             {"silent", "",
              "The device sends nothing (noise from --noise-rate still arrives); write "
              "requests are still stored."},
             {"hangup-after", "SECONDS",
              "Close the line after this long, as an unplugged  "
              "adapter does, then write the dump and exit."},
             {"seed", "N", "Seed of the random faults and the pressure noise."},
         }},
        {"Traffic log",
         {
             {"log", "FILE",
              "Record the line in FILE as the device sees it, in the  "
              "format of vorta-cal --log: RX the bytes it reads, TX  "
              "the bytes it writes, EV events such as a change of  "
              "line speed or the hang-up."},
             {"log-max-mb", "N",
              "Start the log afresh when it would pass N megabytes,  "
              "keeping the last as FILE.1 (default 20)."},
         }},
    };
    return groups;
}

QString dashed(const char* name)
{
    return QStringLiteral("--") + QLatin1String(name);
}

// A number within [low, high]; the message names the option and the accepted range.
std::optional<double> number(const QCommandLineParser& parser, const char* name, double low,
                             double high, QString& error)
{
    bool ok = false;
    const QString text = parser.value(QLatin1String(name));
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < low || value > high) {
        error = QStringLiteral("%1 takes a number from %2 to %3, not '%4'")
                    .arg(dashed(name))
                    .arg(QString::number(low, 'g', QLocale::FloatingPointShortest),
                         QString::number(high, 'g', QLocale::FloatingPointShortest), text);
        return std::nullopt;
    }
    return value;
}

// Words laid into lines of at most width characters.
QStringList wrapped(const QString& text, int width)
{
    QStringList lines{QString()};
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!lines.last().isEmpty() && lines.last().size() + 1 + word.size() > width)
            lines.append(QString());
        if (!lines.last().isEmpty())
            lines.last() += QLatin1Char(' ');
        lines.last() += word;
    }
    return lines;
}

} // namespace

std::optional<ParameterSet> SimOptions::parseValues(const QString& list, QString& error)
{
    const QStringList fields = list.split(QLatin1Char(','));
    if (fields.size() != ParameterCount) {
        error = QStringLiteral("--values takes %1 comma-separated numbers, not %2")
                    .arg(ParameterCount)
                    .arg(fields.size());
        return std::nullopt;
    }
    ParameterSet values;
    for (int i = 0; i < ParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        bool ok = false;
        const qlonglong value = fields[i].trimmed().toLongLong(&ok);
        if (!ok || value < 0 || value > DeviceMemory::widthLimit(p)) {
            error = QStringLiteral("--values: %1 takes 0 to %2, not '%3'")
                        .arg(DeviceMemory::name(p))
                        .arg(DeviceMemory::widthLimit(p))
                        .arg(fields[i].trimmed());
            return std::nullopt;
        }
        values.assign(p, static_cast<std::int32_t>(value));
    }
    return values;
}

std::optional<SimOptions> SimOptions::parse(const QStringList& arguments, QString& error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    for (const OptionGroup& group : optionGroups()) {
        for (const OptionEntry& entry : group.options) {
            QCommandLineOption option(QLatin1String(entry.name));
            option.setValueName(QLatin1String(entry.valueName));
            parser.addOption(option);
        }
    }

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        error = unknown.isEmpty() ? parser.errorText()
                                  : QStringLiteral("unknown option '%1'")
                                        .arg((unknown.first().size() == 1 ? QStringLiteral("-")
                                                                          : QStringLiteral("--")) +
                                             unknown.first());
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error =
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first());
        return std::nullopt;
    }

    SimOptions options;
    if (parser.isSet(QStringLiteral("help"))) {
        options.helpRequested = true;
        return options;
    }

    if (parser.isSet(QStringLiteral("values")) && parser.isSet(QStringLiteral("load"))) {
        error = QStringLiteral("--values and --load cannot be given together");
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("values"))) {
        const auto values = parseValues(parser.value(QStringLiteral("values")), error);
        if (!values)
            return std::nullopt;
        options.values = *values;
    }
    if (parser.isSet(QStringLiteral("load"))) {
        options.loadPath = parser.value(QStringLiteral("load"));
        if (options.loadPath.isEmpty()) {
            error = QStringLiteral("--load takes a file name");
            return std::nullopt;
        }
    }
    options.dumpPath = parser.value(QStringLiteral("dump"));
    if (parser.isSet(QStringLiteral("dump")) && options.dumpPath.isEmpty()) {
        error = QStringLiteral("--dump takes a file name");
        return std::nullopt;
    }
    options.logPath = parser.value(QStringLiteral("log"));
    if (parser.isSet(QStringLiteral("log")) && options.logPath.isEmpty()) {
        error = QStringLiteral("--log takes a file name");
        return std::nullopt;
    }
    options.dumpOnWrite = parser.isSet(QStringLiteral("dump-on-write"));
    if (options.dumpOnWrite && options.dumpPath.isEmpty()) {
        error = QStringLiteral("--dump-on-write needs --dump FILE");
        return std::nullopt;
    }

    // Each numeric option: its name, its range and where its value goes.
    struct NumberOption
    {
        const char* name;
        double low;
        double high;
        double* target;
    };
    double delay = options.faults.delayMs;
    double hangupAfter = 0.0;
    double seed = 0.0;
    double logMegabytes = double(options.logMaxBytes) / TrafficLog::Megabyte;
    options.replayPath = parser.value(QStringLiteral("replay"));
    if (parser.isSet(QStringLiteral("replay")) && options.replayPath.isEmpty()) {
        error = QStringLiteral("--replay takes a file name");
        return std::nullopt;
    }
    const NumberOption numbers[] = {
        {"base", 0, 255, &options.pressure.base},
        {"peak", 0, 255, &options.pressure.peak},
        {"period", 0.01, 3600, &options.pressure.period},
        {"noise", 0, 255, &options.pressure.noise},
        {"noise-rate", 0, 100000, &options.faults.noiseRate},
        {"drop", 0, 1, &options.faults.dropFraction},
        {"corrupt", 0, 1, &options.faults.corruptFraction},
        {"delay", 0, 60000, &delay},
        {"hangup-after", 0.01, 86400, &hangupAfter},
        {"seed", 0, 4294967295.0, &seed},
        {"log-max-mb", 1, double(TrafficLog::MostMegabytes), &logMegabytes},
        {"replay-speed", 0.01, 100, &options.replaySpeed},
    };
    for (const NumberOption& option : numbers) {
        if (!parser.isSet(QLatin1String(option.name)))
            continue;
        const auto value = number(parser, option.name, option.low, option.high, error);
        if (!value)
            return std::nullopt;
        *option.target = *value;
    }
    if (options.pressure.peak < options.pressure.base) {
        error = QStringLiteral("--peak (%1) must not be below --base (%2)")
                    .arg(options.pressure.peak)
                    .arg(options.pressure.base);
        return std::nullopt;
    }
    for (const auto& [name, value] : {std::pair{"--delay", delay}, std::pair{"--seed", seed},
                                      std::pair{"--log-max-mb", logMegabytes}}) {
        if (value != std::floor(value)) {
            error = QStringLiteral("%1 takes a whole number").arg(QLatin1String(name));
            return std::nullopt;
        }
    }
    options.logMaxBytes = static_cast<qint64>(logMegabytes) * TrafficLog::Megabyte;
    options.faults.delayMs = static_cast<int>(delay);
    if (parser.isSet(QStringLiteral("hangup-after")))
        options.faults.hangupAfterSeconds = hangupAfter;
    if (parser.isSet(QStringLiteral("seed")))
        options.seed = static_cast<std::uint32_t>(seed);
    options.faults.duplicateAcks = parser.isSet(QStringLiteral("duplicate-acks"));
    if (parser.isSet(QStringLiteral("store-wrong"))) {
        bool ok = false;
        const int address = parser.value(QStringLiteral("store-wrong")).toInt(&ok);
        if (!ok || address < 0 || address > 9 || address == 8) {
            error = QStringLiteral("--store-wrong takes a device address, 0 to 7 or 9");
            return std::nullopt;
        }
        options.faults.storeWrongAddress = address;
    }
    options.faults.silent = parser.isSet(QStringLiteral("silent"));
    options.frameByFrame = parser.isSet(QStringLiteral("frame-by-frame"));
    options.replayOnce = parser.isSet(QStringLiteral("replay-once"));
    for (const char* name : {"replay-speed", "replay-once"}) {
        if (parser.isSet(QLatin1String(name)) && options.replayPath.isEmpty()) {
            error = QStringLiteral("%1 needs --replay FILE").arg(dashed(name));
            return std::nullopt;
        }
    }
    return options;
}

QString SimOptions::helpText()
{
    constexpr int HelpColumn = 30;
    constexpr int HelpWidth = 80;
    QString text = QStringLiteral(
        "Usage: vorta-devsim [options]\n"
        "\n"
        "Plays the press pressure-monitoring device on a pseudo-terminal. The first line\n"
        "of standard output is the path of the terminal the tool opens (for example\n"
        "/dev/pts/7; pass it to vorta-cal with --port1). While the tool's side of the\n"
        "line is at 9600 baud the device answers read and write requests for its nine\n"
        "parameters; while it is at 57600 baud it streams live pressure frames at the\n"
        "line's own rate. At other speeds it sends nothing.\n");
    for (const OptionGroup& group : optionGroups()) {
        text += QStringLiteral("\n%1:\n").arg(QLatin1String(group.title));
        for (const OptionEntry& entry : group.options) {
            QString head = QStringLiteral("  ") + dashed(entry.name);
            if (*entry.valueName)
                head += QLatin1Char(' ') + QLatin1String(entry.valueName);
            if (head.size() >= HelpColumn - 1)
                text += head + QLatin1Char('\n') + QString(HelpColumn, QLatin1Char(' '));
            else
                text += head.leftJustified(HelpColumn);
            text += wrapped(QString::fromLatin1(entry.help), HelpWidth - HelpColumn)
                        .join(QLatin1Char('\n') + QString(HelpColumn, QLatin1Char(' '))) +
                    QLatin1Char('\n');
        }
    }
    text += QStringLiteral(
        "\n"
        "  -h, --help                  Show this help.\n"
        "\n"
        "Exit status: 0 after SIGINT, SIGTERM or --hangup-after; 1 when the\n"
        "pseudo-terminal or the dump file fails; 2 for a bad option or an unreadable\n"
        "--load or --replay file.\n");
    return text;
}
