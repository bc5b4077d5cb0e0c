#include "TestSupport.h"

#include <QFile>

QByteArray hexBytes(const char* spacedHex)
{
    return QByteArray::fromHex(QByteArray(spacedHex));
}

QString hexText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

ParameterSet exampleValues()
{
    return {5000, 4500, 1234, 45, 10, 60, 50, 3, 0};
}

QString keptFile(const char* name)
{
    return QStringLiteral(VORTA_TEST_DATA "/") + QString::fromLatin1(name);
}

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
