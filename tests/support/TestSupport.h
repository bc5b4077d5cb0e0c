#pragma once

#include "ModVars.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// u"..."_s literals in every test.
using namespace Qt::StringLiterals;

// Bytes written as hex, "80 04 00 7C", for readable frame tables.
QByteArray hexBytes(const char* spacedHex);
QString hexText(const QByteArray& bytes);

// The values of the example parameter file (5000, 4500, 1234, 45, 10, 60, 50, 3, 0).
ParameterSet exampleValues();

// A file kept under tests/data.
QString keptFile(const char* name);

// A whole file's bytes, empty when it cannot be read; and a file written anew.
QByteArray fileContents(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);
