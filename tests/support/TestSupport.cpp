#include "TestSupport.h"

QByteArray hexBytes(const char* spacedHex)
{
    return QByteArray::fromHex(QByteArray(spacedHex));
}

QString hexText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
