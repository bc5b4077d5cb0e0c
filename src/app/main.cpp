#include "CalibrationReport.h"
#include "CliRunner.h"
#include "CommandLine.h"
#include "ExitCode.h"
#include "FrmPressureMonitor.h"
#include "InterruptNotifier.h"
#include "LoggingSerialLink.h"
#include "PortLink.h"
#include "PortNames.h"
#include "QtMessageBoxes.h"
#include "SerialPortList.h"
#include "TrafficLog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QGuiApplication>
#include <QSettings>

#include <cstdio>
#include <memory>

namespace {

// Qt's own options, which QApplication takes out of the command line itself; known here so
// that they are not refused before it sees them.
void acceptQtOptions(QCommandLineParser& parser)
{
    const auto hidden = [&](const char* name, const char* valueName) {
        QCommandLineOption option(QString::fromLatin1(name));
        if (valueName)
            option.setValueName(QString::fromLatin1(valueName));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    };
    for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin",
                             "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display",
                             "geometry", "style", "stylesheet", "qmljsdebugger"})
        hidden(name, "value");
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
        hidden(name, nullptr);
}

QStringList argumentList(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

QtMessageHandler qtMessages = nullptr;

// A script run from cron has no session's runtime folder; the offscreen platform needs none,
// and a warning about it would read as the command's own error.
void withoutRuntimeDirWarning(QtMsgType type, const QMessageLogContext& context,
                              const QString& message)
{
    if (!message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        qtMessages(type, context, message);
}

bool writeReport(const CalibrationRecord& record, const QString& path, QString& error)
{
    const CalibrationReport report(record, QDateTime::currentDateTime());
    return report.savePdf(path, &error);
}

// A subcommand runs without a window and without a display.
int runSubcommand(int argc, char* argv[])
{
    std::optional<CliRequest> request;
    {
        const QCoreApplication parsing(argc, argv);
        QString error;
        request = CommandLine::parse(argumentList(argc, argv), error);
        if (!request) {
            std::fprintf(stderr, "vorta-cal %s: %s\nTry 'vorta-cal %s --help' for the options.\n",
                         argv[1], qPrintable(error), argv[1]);
            return ExitUsage;
        }
        if (!request->helpText.isEmpty()) {
            std::fputs(qPrintable(request->helpText), stdout);
            return ExitDone;
        }
    }
    // The report is drawn with fonts, which only a GUI application has; its offscreen
    // platform needs no display, and without a report the program loads none.
    std::unique_ptr<QCoreApplication> app;
    if (request->report.isEmpty()) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qtMessages = qInstallMessageHandler(withoutRuntimeDirWarning);
        app = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(qtMessages);
    }
    CliRunner runner(*request, &PortLink::create,
                     QStringLiteral("vorta-cal %1").arg(VORTA_VERSION));
    runner.setReportWriter(&writeReport);
    const InterruptNotifier interrupts([&runner] { runner.interrupt(); });
    runner.setOnFinished([](int code) { QCoreApplication::exit(code); });
    runner.start();
    return QCoreApplication::exec();
}

// The trend's options: open it at start, record from the start, the recording's cap.
struct TrendOptions
{
    bool open = false;
    QString recordPath;
    qint64 recordMaxBytes = 100 * TrafficLog::Megabyte;
};

void addTrendOptions(QCommandLineParser& parser)
{
    parser.addOption(
        {QStringLiteral("trend"), QStringLiteral("Open the pressure trend at start.")});
    parser.addOption({QStringLiteral("record"),
                      QStringLiteral("Record every pressure frame and event into the CSV file "
                                     "from the start, as the trend's Record does."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("record-max-mb"),
                      QStringLiteral("Start a recording afresh when it would pass N megabytes, "
                                     "keeping the last as <file>.1 (default 100)."),
                      QStringLiteral("N")});
}

std::optional<TrendOptions> trendOptions(const QCommandLineParser& parser, QString& error)
{
    TrendOptions options;
    options.open = parser.isSet(QStringLiteral("trend"));
    options.recordPath = parser.value(QStringLiteral("record"));
    const std::optional<qint64> maxBytes = TrafficLog::capOption(
        parser, QStringLiteral("record-max-mb"), options.recordMaxBytes, error);
    if (!maxBytes)
        return std::nullopt;
    options.recordMaxBytes = *maxBytes;
    return options;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("VORTA"));
    QCoreApplication::setApplicationName(QStringLiteral("vorta-cal"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORTA_VERSION));
    if (argc > 1 && CommandLine::isSubcommand(QString::fromLocal8Bit(argv[1])))
        return runSubcommand(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads, edits and writes the parameters of a press pressure monitor.") +
        CommandLine::summary());
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    PortNames::addOptions(parser);
    TrafficLog::addOptions(parser);
    addTrendOptions(parser);
    acceptQtOptions(parser);

    // Read before the window system is reached, so that these work without a display.
    const QStringList arguments = argumentList(argc, argv);
    QString error;
    std::optional<TrafficLog::Options> logOptions;
    std::optional<TrendOptions> trend;
    if (!parser.parse(arguments))
        error = parser.errorText();
    else if ((logOptions = TrafficLog::options(parser, error)))
        trend = trendOptions(parser, error);
    const bool parsed = error.isEmpty();
    const bool helpAll = parsed && parser.isSet(QStringLiteral("help-all"));
    if (!parsed || helpAll || parser.isSet(help) || parser.isSet(version)) {
        const QCoreApplication core(argc, argv);
        if (!parsed) {
            std::fprintf(stderr, "vorta-cal: %s\nTry 'vorta-cal --help' for the options.\n",
                         qPrintable(error));
            return 2;
        }
        // Qt prints its own options' help itself, and ends the program there.
        if (helpAll)
            parser.process(core);
        const QString text = parser.isSet(help)
                                 ? parser.helpText()
                                 : QStringLiteral("vorta-cal %1\n").arg(VORTA_VERSION);
        std::fputs(qPrintable(text), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    PortNames names(listSerialPorts, std::make_unique<QSettings>());
    names.setOverrides(parser);

    // Declared before the window, so that the window's last words reach the file.
    std::unique_ptr<TrafficLog> log;
    std::unique_ptr<SerialLink> port = PortLink::create(names);
    if (!logOptions->path.isEmpty()) {
        log = std::make_unique<TrafficLog>(logOptions->path, logOptions->maxBytes,
                                           QStringLiteral("vorta-cal %1").arg(VORTA_VERSION),
                                           QStringLiteral("no port open"));
        // A log that cannot be written stays with the window, which says so.
        if (log->isOpen())
            port = std::make_unique<LoggingSerialLink>(std::move(port), *log, names);
        else
            std::fprintf(stderr,
                         "vorta-cal: cannot write the traffic log %s (%s); running "
                         "without it\n",
                         qPrintable(logOptions->path), qPrintable(log->errorString()));
    }

    QtMessageBoxes messages;
    FrmPressureMonitor window(std::move(port), messages, names, log.get());
    window.setRecordingCap(trend->recordMaxBytes);
    window.show();
    if (trend->open)
        window.showTrend();
    if (!trend->recordPath.isEmpty() && !window.startRecording(trend->recordPath, error))
        std::fprintf(stderr, "vorta-cal: cannot record to %s (%s)\n", qPrintable(trend->recordPath),
                     qPrintable(error));
    return QApplication::exec();
}
