#include "TestSupport.h"

#include "DeviceFrames.h"

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

QByteArray readReplyFrame(Parameter p, std::int32_t value)
{
    // A reply carries the data bytes of a write request, with the reply function (one
    // below the write function) in the command byte.
    QByteArray frame = BuildWriteRequest(p, value);
    frame[2] = static_cast<char>(frame[2] - 1);
    frame.chop(1);
    frame.append(static_cast<char>(FrameChecksum(frame)));
    return frame;
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
