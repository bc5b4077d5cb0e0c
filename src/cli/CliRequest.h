#pragma once

#include <QString>
#include <QStringList>

enum class CliCommand
{
    Read,
    Write,
    Verify,
    Diff,
    Watch
};

// One run of a subcommand as the command line asked for it.
struct CliRequest
{
    CliCommand command = CliCommand::Read;
    QStringList ports;
    // The parameter file that write and verify take.
    QString file;
    // The two sides of diff, each a file or a device.
    QStringList sides;
    // read -o; with several ports it holds PortPlaceholder.
    QString output;
    // --report: the calibration report's PDF; with several ports it holds PortPlaceholder.
    QString report;
    // What the report says of the press and who calibrated it.
    QString press;
    QString location;
    QString technician;
    bool dryRun = false;
    bool noVerify = false;
    // watch --seconds; 0 runs until interrupted.
    int seconds = 0;
    // watch --csv: every live frame into this recording, "-" for standard output.
    QString csv;

    bool json = false;
    bool quiet = false;
    qint64 timeoutMs = 10000;
    QString logPath;
    // --help of the subcommand: its text, to be printed instead of running.
    QString helpText;
};

inline constexpr char PortPlaceholder[] = "{port}";
