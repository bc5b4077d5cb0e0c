#include "DeviceFrames.h"

#include "FrameScanner.h"
#include "ParameterTable.h"

#include <QStringList>

#include <string>

using DeviceFrames::Function;

namespace {

QByteArray withChecksum(QByteArray frame)
{
    frame.append(static_cast<char>(FrameChecksum(frame)));
    return frame;
}

QByteArray frameHead(std::uint8_t length, std::uint8_t command)
{
    QByteArray frame;
    frame.append(static_cast<char>(FrameScanner::StartByte));
    frame.append(static_cast<char>(length));
    frame.append(static_cast<char>(command));
    return frame;
}

QByteArray dataFrame(Parameter p, Function function, std::uint32_t data)
{
    QByteArray frame =
        frameHead(static_cast<std::uint8_t>(DataFrameLength(p)), FrameCommandByte(p, function));
    for (int shift = 8 * (parameterInfo(p).device.dataBytes - 1); shift >= 0; shift -= 8)
        frame.append(static_cast<char>((data >> shift) & 0xFFu));
    return withChecksum(frame);
}

// The parameter whose frame of this function has this command byte and length.
const ParameterInfo* frameParameter(std::uint8_t command, int length)
{
    for (const ParameterInfo& info : parameterTable()) {
        const auto function = static_cast<Function>(command & 0x0Fu);
        const int expected = function == Function::ReadRequest ? DeviceFrames::ReadRequestLength
                                                               : DataFrameLength(info.parameter);
        if (command >> 4 == info.device.address && function <= Function::WriteRequest &&
            length == expected)
            return &info;
    }
    return nullptr;
}

QString describeFrame(const std::uint8_t* frame, int length)
{
    const std::uint8_t command = frame[2];
    if (command == DeviceFrames::WriteAckCommand && length == DeviceFrames::WriteAckLength)
        return QStringLiteral("acknowledged");
    const ParameterInfo* info = frameParameter(command, length);
    if (!info)
        return {};
    const QString name = QString::fromLatin1(info->grid.caption);
    std::int32_t value = 0;
    for (int i = 3; i < length - 1; ++i)
        value = value * 256 + frame[i];
    switch (static_cast<Function>(command & 0x0Fu)) {
    case Function::ReadRequest:
        return QStringLiteral("read ") + name;
    case Function::ReadReply:
        return QStringLiteral("%1 is %2").arg(name).arg(value);
    case Function::WriteRequest:
        break;
    }
    return QStringLiteral("write %1 %2").arg(name).arg(value);
}

} // namespace

int DataFrameLength(Parameter p)
{
    return 4 + parameterInfo(p).device.dataBytes;
}

std::uint8_t FrameCommandByte(Parameter p, Function function)
{
    return static_cast<std::uint8_t>(parameterInfo(p).device.address * 16 +
                                     static_cast<int>(function));
}

QByteArray BuildReadReply(Parameter p, std::int32_t value)
{
    return dataFrame(p, Function::ReadReply, static_cast<std::uint32_t>(value));
}

QByteArray BuildWriteAck()
{
    return withChecksum(frameHead(DeviceFrames::WriteAckLength, DeviceFrames::WriteAckCommand));
}

QByteArray BuildPressureFrame(std::uint8_t psi)
{
    QByteArray frame = frameHead(DeviceFrames::PressureFrameLength, DeviceFrames::PressureCommand);
    frame.append(static_cast<char>(psi));
    return withChecksum(frame);
}

std::uint8_t FrameChecksum(const QByteArray& leadingBytes)
{
    unsigned sum = 0;
    for (char c : leadingBytes)
        sum += static_cast<std::uint8_t>(c);
    return static_cast<std::uint8_t>((256u - (sum & 0xFFu)) & 0xFFu);
}

QByteArray BuildReadRequest(Parameter p)
{
    return withChecksum(
        frameHead(DeviceFrames::ReadRequestLength, FrameCommandByte(p, Function::ReadRequest)));
}

QByteArray BuildWriteRequest(Parameter p, std::int32_t value)
{
    const int dataBytes = parameterInfo(p).device.dataBytes;
    std::uint32_t data = 0;
    if (dataBytes == 3) {
        data = static_cast<std::uint32_t>(value) & 0xFFFFFFu;
    } else {
        const std::int32_t highest = dataBytes == 2 ? 0xFFFF : 0xFF;
        if (value < 0 || value > highest)
            throw FrameError("value " + std::to_string(value) + " does not fit " +
                             std::to_string(dataBytes) + " data byte(s)");
        data = static_cast<std::uint32_t>(value);
    }
    return dataFrame(p, Function::WriteRequest, data);
}

std::vector<std::int32_t> ScanReadReplies(const QByteArray& batch, int count, Parameter p)
{
    const int dataBytes = parameterInfo(p).device.dataBytes;
    std::vector<std::int32_t> values;
    FrameScanner::scan(batch, count, DataFrameLength(p), FrameCommandByte(p, Function::ReadReply),
                       [&](const std::uint8_t* frame) {
                           std::int32_t raw = 0;
                           for (int i = 0; i < dataBytes; ++i)
                               raw = raw * 256 + frame[3 + i];
                           values.push_back(applyUploadLimit(p, raw));
                       });
    return values;
}

int CountWriteAcks(const QByteArray& batch, int count)
{
    int acks = 0;
    FrameScanner::scan(batch, count, DeviceFrames::WriteAckLength, DeviceFrames::WriteAckCommand,
                       [&](const std::uint8_t*) { ++acks; });
    return acks;
}

std::vector<std::uint8_t> ScanPressureFrames(const QByteArray& batch, int count)
{
    std::vector<std::uint8_t> pressures;
    FrameScanner::scan(batch, count, DeviceFrames::PressureFrameLength,
                       DeviceFrames::PressureCommand,
                       [&](const std::uint8_t* frame) { pressures.push_back(frame[3]); });
    return pressures;
}

QString DescribeFrames(const QByteArray& bytes)
{
    constexpr int ShortestFrame = 4;
    constexpr int LongestFrame = 7;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const int size = static_cast<int>(bytes.size());
    QStringList meanings;
    for (int p = 0; p + ShortestFrame <= size;) {
        const int length = data[p + 1];
        unsigned sum = 0;
        const bool candidate = data[p] == FrameScanner::StartByte && length >= ShortestFrame &&
                               length <= LongestFrame && p + length <= size;
        for (int i = 0; candidate && i < length; ++i)
            sum += data[p + i];
        const QString meaning =
            candidate && (sum & 0xFFu) == 0 ? describeFrame(data + p, length) : QString();
        if (meaning.isEmpty()) {
            ++p;
            continue;
        }
        meanings.append(meaning);
        p += length;
    }
    return meanings.join(QStringLiteral("; "));
}
