#pragma once

#include <QString>

// A line-settings text such as "9600,n,8,1": baud rate, parity (n, e, o, m, s),
// data bits, stop bits.
struct SerialSettings
{
    enum class Parity
    {
        None,
        Even,
        Odd,
        Mark,
        Space
    };
    enum class StopBits
    {
        One,
        OneAndHalf,
        Two
    };

    int baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    bool operator==(const SerialSettings&) const = default;

    // Throws SerialError for a malformed text; there is no silent default.
    static SerialSettings parse(const QString& text);
};
