#include "SerialSettings.h"

#include "SerialError.h"

#include <QStringList>

SerialSettings SerialSettings::parse(const QString& text)
{
    const auto fail = [&text]() -> SerialSettings {
        throw SerialError("malformed line settings: \"" + text.toStdString() + "\"");
    };
    const QStringList fields = text.trimmed().split(QLatin1Char(','));
    if (fields.size() != 4)
        return fail();

    SerialSettings s;
    bool ok = false;
    s.baudRate = fields[0].trimmed().toInt(&ok);
    if (!ok || s.baudRate <= 0)
        return fail();

    const QString parity = fields[1].trimmed().toLower();
    if (parity == QLatin1String("n"))
        s.parity = Parity::None;
    else if (parity == QLatin1String("e"))
        s.parity = Parity::Even;
    else if (parity == QLatin1String("o"))
        s.parity = Parity::Odd;
    else if (parity == QLatin1String("m"))
        s.parity = Parity::Mark;
    else if (parity == QLatin1String("s"))
        s.parity = Parity::Space;
    else
        return fail();

    s.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8)
        return fail();

    const QString stop = fields[3].trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = StopBits::One;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = StopBits::OneAndHalf;
    else if (stop == QLatin1String("2"))
        s.stopBits = StopBits::Two;
    else
        return fail();
    return s;
}
