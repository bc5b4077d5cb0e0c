#pragma once

#include "ModVars.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

class QIODevice;

// The *.PRS parameter file: thirteen CR LF lines of 8-bit text, a header, the version,
// the file's own path, an asterisk line and one "label,value" record per parameter in
// canonical order. Works on bytes and devices only, so it knows nothing of paths or widgets.
namespace ParamFileFormat {

inline constexpr char Header[] = "RX7130 PARAMETER ADJUSTING PROGRAM";
inline constexpr char VersionText[] = "Software Version";
inline constexpr char DataLine[] = "**********************  PARAMETER DATA  *******************";

// A line longer than this cannot belong to a parameter file; reading one fails the read
// instead of pulling an arbitrarily large file into memory.
inline constexpr qsizetype MaxLineLength = 65536;

// The program's version as major.minor.revision, written on line 2.
QString softwareVersion();

// The thirteen lines of a saved file, without line ends. The path is written as given.
QList<QByteArray> lines(const ParameterSet& values, const QString& savedPath,
                        const QString& version = softwareVersion());

// The whole file: every line ended by CR LF, the last one included.
QByteArray contents(const ParameterSet& values, const QString& savedPath,
                    const QString& version = softwareVersion());

// The value field of a record line ("label,value"), as a number that fits 32 bits;
// nothing when the field is missing, empty, not a whole decimal number, or too wide.
std::optional<std::int64_t> recordValue(const QByteArray& line);

struct ReadOutcome
{
    bool complete = false;
    // The values as they stand after the records read: the starting values with each
    // record read so far stored in its parameter.
    ParameterSet values;
    // How many of the records, in canonical order, the file held.
    int recordsRead = 0;
};

// Reads a parameter file from the device's current position. Lines end at CR LF, CR or LF.
// The outcome is complete when the file ends or all records have been handled, and a
// failure when a required text is missing, a value is unreadable or does not fit its width,
// or a line is too long.
ReadOutcome read(QIODevice& in, const ParameterSet& start);

} // namespace ParamFileFormat
