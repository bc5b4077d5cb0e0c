#pragma once

#include "CliRequest.h"

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

// The subcommands of vorta-cal: which words start one, the options each takes and the
// request they make. Each subcommand adds its own options, so one can gain options without
// touching the others.
class CommandLine
{
public:
    static bool isSubcommand(const QString& word);
    // The arguments from the program's name on; nothing, with the reason in error, for a
    // wrong usage.
    static std::optional<CliRequest> parse(const QStringList& arguments, QString& error);
    // The subcommands and exit codes, for the program's own --help.
    static QString summary();
    // Whether the path names a device (anything under /dev, or a character device such as a
    // serial port or a pseudo-terminal elsewhere) rather than a file.
    static bool namesDevice(const QString& path);
    // The device's file name that stands for {port}: ttyUSB0, or the by-id name.
    static QString portFileName(const QString& device);
};
