#include "CommandLine.h"

#include "ExitCode.h"
#include "SerialServerAddress.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <sys/stat.h>

#include <array>
#include <cmath>
#include <utility>

namespace {

struct Subcommand
{
    const char* name;
    CliCommand command;
    const char* synopsis;
    const char* purpose;
    void (*addOptions)(QCommandLineParser&);
};

QCommandLineOption option(const QStringList& names, const char* description,
                          const char* valueName = nullptr)
{
    QCommandLineOption made(names, QString::fromLatin1(description));
    if (valueName)
        made.setValueName(QString::fromLatin1(valueName));
    return made;
}

void addReportOptions(QCommandLineParser& parser)
{
    parser.addOption(option({QStringLiteral("report")},
                            "Write the calibration report as a PDF: the values as found, as left "
                            "and the change; with several ports PDF holds {port}.",
                            "PDF"));
    parser.addOption(option({QStringLiteral("press")},
                            "The press the report is for, by name or number (with --report).",
                            "TEXT"));
    parser.addOption(
        option({QStringLiteral("location")}, "Where the press stands (with --report).", "TEXT"));
    parser.addOption(option({QStringLiteral("technician")},
                            "Who calibrates, for the report (with --report).", "TEXT"));
}

void addReadOptions(QCommandLineParser& parser)
{
    parser.addOption(option({QStringLiteral("o"), QStringLiteral("output")},
                            "Write the values to a parameter file; with several ports FILE holds "
                            "{port}, replaced by each device's name.",
                            "FILE"));
    addReportOptions(parser);
}

void addWriteOptions(QCommandLineParser& parser)
{
    parser.addOption(option({QStringLiteral("dry-run")},
                            "Only read each device and show what the write would change."));
    parser.addOption(
        option({QStringLiteral("no-verify")}, "Do not read the values back after writing them."));
    addReportOptions(parser);
}

void addNoOptions(QCommandLineParser&) {}

void addWatchOptions(QCommandLineParser& parser)
{
    parser.addOption(option({QStringLiteral("seconds")}, "End after N seconds.", "N"));
    parser.addOption(option({QStringLiteral("csv")},
                            "Record every live frame into FILE as time,psi,event lines, the "
                            "trend's recording format; - for standard output.",
                            "FILE"));
}

const std::array<Subcommand, 5> Subcommands{{
    {"read", CliCommand::Read,
     "read PORT... [-o FILE] [--report PDF --press TEXT --technician TEXT]",
     "Reads the nine values of each device and shows them or writes them to a parameter file.",
     addReadOptions},
    {"write", CliCommand::Write,
     "write FILE PORT... [--dry-run] [--no-verify] [--report PDF --press TEXT --technician TEXT]",
     "Writes the values of a parameter file into each device and reads them back.",
     addWriteOptions},
    {"verify", CliCommand::Verify, "verify FILE PORT...",
     "Reads each device and compares its values with a parameter file.", addNoOptions},
    {"diff", CliCommand::Diff, "diff A B",
     "Shows the values that differ between A and B, each a parameter file or a device.",
     addNoOptions},
    {"watch", CliCommand::Watch, "watch PORT [--seconds N] [--csv FILE]",
     "Reads the values, then shows the live pressure and the pressure window once a second.",
     addWatchOptions},
}};

const Subcommand* findSubcommand(const QString& word)
{
    for (const Subcommand& subcommand : Subcommands)
        if (word == QLatin1String(subcommand.name))
            return &subcommand;
    return nullptr;
}

const char ExitCodesText[] =
    "Exit codes (with several devices the highest that applies):\n"
    "  0  done; for verify, diff and write's read-back: all values equal\n"
    "  1  done, but values differ\n"
    "  2  wrong usage\n"
    "  3  a device failed: it could not be opened, went away, stayed silent past\n"
    "     --timeout, held a value its frame cannot carry, or was interrupted\n"
    "  4  a file could not be read or written\n";

QString subcommandHelp(const Subcommand& subcommand, const QCommandLineParser& parser)
{
    QString text = parser.helpText();
    text.replace(QStringLiteral("vorta-cal [options]"),
                 QStringLiteral("vorta-cal %1").arg(QLatin1String(subcommand.synopsis)));
    return text + QLatin1Char('\n') + QLatin1String(ExitCodesText);
}

// A report names the press and the technician, and one file serves one device.
bool checkReport(const CliRequest& request, qsizetype ports, QString& error)
{
    if (request.report.isEmpty()) {
        if (!request.press.isEmpty() || !request.location.isEmpty() ||
            !request.technician.isEmpty())
            error = QStringLiteral("--press, --location and --technician go with --report");
    } else if (request.press.trimmed().isEmpty() || request.technician.trimmed().isEmpty()) {
        error = QStringLiteral("--report needs --press and --technician");
    } else if (request.dryRun) {
        error = QStringLiteral("--dry-run writes nothing to report on; read --report reports "
                               "what the device holds");
    } else if (ports > 1 && !request.report.contains(QLatin1String(PortPlaceholder))) {
        error = QStringLiteral("with several ports the report PDF must contain {port}");
    }
    return error.isEmpty();
}

bool checkOperands(const CliRequest& request, const QStringList& operands, QString& error)
{
    const auto need = [&](bool ok, const char* what) {
        if (!ok)
            error = QString::fromLatin1(what);
        return ok;
    };
    switch (request.command) {
    case CliCommand::Read:
        if (!need(!operands.isEmpty(), "read needs at least one PORT"))
            return false;
        return need(request.output.isEmpty() || operands.size() == 1 ||
                        request.output.contains(QLatin1String(PortPlaceholder)),
                    "with several ports the output FILE must contain {port}") &&
               checkReport(request, operands.size(), error);
    case CliCommand::Write:
        return need(operands.size() >= 2, "FILE and at least one PORT are needed") &&
               checkReport(request, operands.size() - 1, error);
    case CliCommand::Verify:
        return need(operands.size() >= 2, "FILE and at least one PORT are needed");
    case CliCommand::Diff:
        return need(operands.size() == 2, "diff needs exactly two operands, A and B");
    case CliCommand::Watch:
        return need(operands.size() == 1, "watch needs exactly one PORT");
    }
    return true;
}

} // namespace

bool CommandLine::isSubcommand(const QString& word)
{
    return findSubcommand(word) != nullptr;
}

std::optional<CliRequest> CommandLine::parse(const QStringList& arguments, QString& error)
{
    const Subcommand* subcommand = arguments.size() > 1 ? findSubcommand(arguments[1]) : nullptr;
    if (!subcommand) {
        error = QStringLiteral("unknown subcommand");
        return std::nullopt;
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(subcommand->purpose));
    const QCommandLineOption help = parser.addHelpOption();
    subcommand->addOptions(parser);
    const QCommandLineOption json =
        option({QStringLiteral("json")}, "One JSON object per device on standard output.");
    const QCommandLineOption timeout = option(
        {QStringLiteral("timeout")},
        "How long a device may stay silent before it counts as failed (default 10).", "SECONDS");
    const QCommandLineOption log = option(
        {QStringLiteral("log")}, "Record the serial traffic of all devices in FILE.", "FILE");
    const QCommandLineOption quiet =
        option({QStringLiteral("q"), QStringLiteral("quiet")}, "Show only errors.");
    for (const QCommandLineOption& common : {json, timeout, log, quiet})
        parser.addOption(common);

    QStringList rest = arguments;
    rest.removeAt(1);
    if (!parser.parse(rest)) {
        error = parser.errorText();
        return std::nullopt;
    }
    CliRequest request;
    request.command = subcommand->command;
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        request.helpText = subcommandHelp(*subcommand, parser);
        return request;
    }
    request.json = parser.isSet(json);
    request.quiet = parser.isSet(quiet);
    request.logPath = parser.value(log);
    if (parser.isSet(timeout)) {
        bool ok = false;
        const double seconds = parser.value(timeout).toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > 86400) {
            error = QStringLiteral("--timeout takes a number of seconds above 0");
            return std::nullopt;
        }
        request.timeoutMs = std::llround(seconds * 1000);
    }
    const QStringList names = parser.optionNames();
    if (names.contains(QStringLiteral("o")) || names.contains(QStringLiteral("output")))
        request.output = parser.value(QStringLiteral("output"));
    for (const auto& [name, field] :
         {std::pair{"report", &request.report}, std::pair{"press", &request.press},
          std::pair{"location", &request.location}, std::pair{"technician", &request.technician}})
        if (names.contains(QLatin1String(name)))
            *field = parser.value(QLatin1String(name));
    request.dryRun = names.contains(QStringLiteral("dry-run"));
    request.noVerify = names.contains(QStringLiteral("no-verify"));
    request.csv = parser.value(QStringLiteral("csv"));
    if (names.contains(QStringLiteral("seconds"))) {
        bool ok = false;
        request.seconds = parser.value(QStringLiteral("seconds")).toInt(&ok);
        if (!ok || request.seconds <= 0) {
            error = QStringLiteral("--seconds takes a whole number above 0");
            return std::nullopt;
        }
    }
    const QStringList operands = parser.positionalArguments();
    if (!checkOperands(request, operands, error))
        return std::nullopt;
    switch (request.command) {
    case CliCommand::Write:
    case CliCommand::Verify:
        request.file = operands.first();
        request.ports = operands.mid(1);
        break;
    case CliCommand::Diff:
        request.sides = operands;
        break;
    default:
        request.ports = operands;
    }
    return request;
}

QString CommandLine::summary()
{
    QString text = QStringLiteral("\nWith a subcommand no window opens:\n");
    for (const Subcommand& subcommand : Subcommands)
        text += QStringLiteral("  vorta-cal %1\n      %2\n")
                    .arg(QLatin1String(subcommand.synopsis), QLatin1String(subcommand.purpose));
    text += QStringLiteral(
        "Each takes --json, --timeout SECONDS, --log FILE and -q; 'vorta-cal SUBCOMMAND --help' "
        "tells more.\n\n");
    return text + QLatin1String(ExitCodesText);
}

bool CommandLine::namesDevice(const QString& path)
{
    // A device that is absent is still one, so that its message says it is not present.
    if (path.startsWith(QLatin1String("/dev/")) || SerialServerAddress::isServer(path))
        return true;
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISCHR(status.st_mode);
}

QString CommandLine::portFileName(const QString& device)
{
    // A serial server is named by its host and port, without the colons a file name avoids.
    if (const auto server = SerialServerAddress::parse(device))
        return QStringLiteral("%1_%2").arg(server->host).arg(server->port).remove(u':');
    return QFileInfo(device).fileName();
}
