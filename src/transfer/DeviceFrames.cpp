#include "DeviceFrames.h"

#include "FrameScanner.h"
#include "ParameterTable.h"

#include <string>

namespace {

std::uint8_t commandByte(Parameter p, int function)
{
    return static_cast<std::uint8_t>(deviceParameter(p).address * 16 + function);
}

constexpr int ReadRequestFunction = 0;
constexpr int ReadReplyFunction = 1;
constexpr int WriteRequestFunction = 2;

QByteArray withChecksum(QByteArray frame)
{
    frame.append(static_cast<char>(FrameChecksum(frame)));
    return frame;
}

} // namespace

int DeviceFrames::dataFrameLength(Parameter p)
{
    return 4 + deviceParameter(p).dataBytes;
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
    QByteArray frame;
    frame.append(static_cast<char>(FrameScanner::StartByte));
    frame.append(static_cast<char>(DeviceFrames::ReadRequestLength));
    frame.append(static_cast<char>(commandByte(p, ReadRequestFunction)));
    return withChecksum(frame);
}

QByteArray BuildWriteRequest(Parameter p, std::int32_t value)
{
    const int dataBytes = deviceParameter(p).dataBytes;
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

    QByteArray frame;
    frame.append(static_cast<char>(FrameScanner::StartByte));
    frame.append(static_cast<char>(DeviceFrames::dataFrameLength(p)));
    frame.append(static_cast<char>(commandByte(p, WriteRequestFunction)));
    for (int shift = 8 * (dataBytes - 1); shift >= 0; shift -= 8)
        frame.append(static_cast<char>((data >> shift) & 0xFFu));
    return withChecksum(frame);
}

std::vector<std::int32_t> ScanReadReplies(const QByteArray& batch, int count, Parameter p)
{
    const int dataBytes = deviceParameter(p).dataBytes;
    std::vector<std::int32_t> values;
    FrameScanner::scan(batch, count, DeviceFrames::dataFrameLength(p),
                       commandByte(p, ReadReplyFunction), [&](const std::uint8_t* frame) {
                           std::int32_t raw = 0;
                           for (int i = 0; i < dataBytes; ++i)
                               raw = raw * 256 + frame[3 + i];
                           values.push_back(applyReadLimit(p, raw));
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
