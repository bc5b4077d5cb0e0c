#include "DeviceProtocol.h"

#include "DeviceFrames.h"
#include "FrameScanner.h"
#include "ParameterTable.h"

#include <algorithm>
#include <numeric>

DeviceProtocol::DeviceProtocol(DeviceMemory& memory, const FaultSettings& faults,
                               std::mt19937& random)
    : m_memory(memory), m_faults(faults), m_random(random)
{}

QByteArray DeviceProtocol::pressureFrame(std::uint8_t psi)
{
    QByteArray frame = BuildPressureFrame(psi);
    if (happens(m_faults.corruptFraction))
        frame.back() = static_cast<char>(frame.back() + 1);
    return frame;
}

// Each decision rests on bytes that have arrived only: at a start byte the device waits for
// the command byte, then for the whole frame that command names, before it answers the frame
// or moves on by one byte.
DeviceProtocol::Outcome DeviceProtocol::receive(const QByteArray& bytes)
{
    m_pending += bytes;
    Outcome outcome;
    const auto* data = reinterpret_cast<const std::uint8_t*>(m_pending.constData());
    const qsizetype size = m_pending.size();
    qsizetype position = 0;
    for (; position < size; ++position) {
        if (data[position] != FrameScanner::StartByte)
            continue;
        if (position + 2 >= size)
            break;
        const std::optional<Request> request = requestNamedBy(data[position + 2]);
        if (!request)
            continue;
        if (position + request->length > size)
            break;
        const std::uint8_t* frame = data + position;
        if (std::accumulate(frame, frame + request->length, 0u) % 256 != 0)
            continue;
        answer(*request, frame, outcome);
        position += request->length - 1;
    }
    m_pending.remove(0, position);
    return outcome;
}

std::optional<DeviceProtocol::Request> DeviceProtocol::requestNamedBy(std::uint8_t command)
{
    using DeviceFrames::Function;
    for (int i = 0; i < ParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        if (command == FrameCommandByte(p, Function::ReadRequest))
            return Request{p, false, DeviceFrames::ReadRequestLength};
        if (command == FrameCommandByte(p, Function::WriteRequest))
            return Request{p, true, DataFrameLength(p)};
    }
    return std::nullopt;
}

void DeviceProtocol::answer(const Request& request, const std::uint8_t* frame, Outcome& outcome)
{
    if (!request.write) {
        send(BuildReadReply(request.parameter, m_memory.value(request.parameter)), 1, outcome);
        return;
    }
    // The data bytes between command and checksum, most significant first.
    std::int32_t value = 0;
    for (int i = 3; i < request.length - 1; ++i)
        value = value * 256 + frame[i];
    if (m_faults.storeWrongAddress == parameterInfo(request.parameter).device.address)
        value = value < DeviceMemory::widthLimit(request.parameter) ? value + 1 : value - 1;
    m_memory.store(request.parameter, value);
    ++outcome.stored;
    send(BuildWriteAck(), m_faults.duplicateAcks ? 2 : 1, outcome);
}

void DeviceProtocol::send(QByteArray frame, int copies, Outcome& outcome)
{
    if (m_faults.silent || happens(m_faults.dropFraction))
        return;
    if (happens(m_faults.corruptFraction))
        frame.back() = static_cast<char>(frame.back() + 1);
    for (int i = 0; i < copies; ++i)
        outcome.answers.append(frame);
}

bool DeviceProtocol::happens(double fraction)
{
    if (fraction <= 0.0)
        return false;
    return std::bernoulli_distribution(std::min(fraction, 1.0))(m_random);
}
