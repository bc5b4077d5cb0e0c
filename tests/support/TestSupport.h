#pragma once

#include <QByteArray>
#include <QString>

// Bytes written as hex, "80 04 00 7C", for readable frame tables.
QByteArray hexBytes(const char* spacedHex);
QString hexText(const QByteArray& bytes);
