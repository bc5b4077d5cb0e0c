#pragma once

#include "ModVars.h"

#include <QString>

#include <optional>

// Parameter files on the command line, named by host paths as a script gives them.
class ParameterFiles
{
public:
    // Reads a parameter file as Read File does, with its limits. A file that cannot be read
    // or holds fewer than the nine values gives nothing, with the reason in error.
    static std::optional<ParameterSet> read(const QString& path, QString& error);
    // Writes the file byte for byte as Save File writes it for that path (the path it names
    // inside is its drive-letter form); false, with the reason in error, when it cannot.
    static bool write(const QString& path, const ParameterSet& values, QString& error);
};
