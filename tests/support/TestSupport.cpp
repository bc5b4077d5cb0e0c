#include "TestSupport.h"

#include "DeviceFrames.h"

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
    ParameterSet v;
    v.ShutDownCountSP = 5000;
    v.WarningCountSP = 4500;
    v.ActualCount = 1234;
    v.StaticTripSP = 45;
    v.StaticTripTimer = 10;
    v.DynamicTripSP = 60;
    v.CountTripSP = 50;
    v.StaticFaultCount = 3;
    v.DynamicFaultCount = 0;
    return v;
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
