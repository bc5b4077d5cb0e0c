#include "DeviceProtocol.h"

#include "DeviceFrames.h"
#include "FrameScanner.h"
#include "ParameterTable.h"

#include <algorithm>

namespace {

// The longest request is a write of three data bytes; any fewer bytes than that left after
// the last answered request may be the start of one still arriving.
constexpr int LongestRequest = 7;

} // namespace

DeviceProtocol::DeviceProtocol(DeviceMemory& memory, const FaultSettings& faults,
                               std::mt19937& random)
    : m_memory(memory), m_faults(faults), m_random(random)
{}

QByteArray DeviceProtocol::pressureFrame(std::uint8_t psi)
{
    QByteArray frame = DeviceFrames::pressureFrame(psi);
    if (happens(m_faults.corruptFraction))
        frame.back() = static_cast<char>(frame.back() + 1);
    return frame;
}

DeviceProtocol::Outcome DeviceProtocol::receive(const QByteArray& bytes)
{
    m_pending += bytes;
    Outcome outcome;
    qsizetype consumed = 0;
    // A request that starts inside one already answered is part of that frame's bytes.
    for (const Request& request : findRequests()) {
        if (request.position < consumed)
            continue;
        answer(request, outcome);
        consumed = request.position + request.length;
    }
    const qsizetype tail = std::min<qsizetype>(m_pending.size() - consumed, LongestRequest - 1);
    m_pending = m_pending.right(tail);
    return outcome;
}

QList<DeviceProtocol::Request> DeviceProtocol::findRequests() const
{
    QList<Request> requests;
    const auto* start = reinterpret_cast<const std::uint8_t*>(m_pending.constData());
    const int count = static_cast<int>(m_pending.size());
    for (int i = 0; i < ParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        FrameScanner::scan(
            m_pending, count, DeviceFrames::ReadRequestLength,
            DeviceFrames::commandByte(p, DeviceFrames::Function::ReadRequest),
            [&](const std::uint8_t* frame) {
                requests.append({frame - start, DeviceFrames::ReadRequestLength, p, false});
            });
        const int writeLength = DeviceFrames::dataFrameLength(p);
        FrameScanner::scan(m_pending, count, writeLength,
                           DeviceFrames::commandByte(p, DeviceFrames::Function::WriteRequest),
                           [&](const std::uint8_t* frame) {
                               requests.append({frame - start, writeLength, p, true});
                           });
    }
    std::sort(requests.begin(), requests.end(),
              [](const Request& a, const Request& b) { return a.position < b.position; });
    return requests;
}

void DeviceProtocol::answer(const Request& request, Outcome& outcome)
{
    if (!request.write) {
        send(DeviceFrames::readReply(request.parameter, m_memory.value(request.parameter)), 1,
             outcome);
        return;
    }
    const auto* data =
        reinterpret_cast<const std::uint8_t*>(m_pending.constData()) + request.position + 3;
    std::int32_t value = 0;
    for (int i = 0; i < deviceParameter(request.parameter).dataBytes; ++i)
        value = value * 256 + data[i];
    m_memory.store(request.parameter, value);
    ++outcome.stored;
    send(DeviceFrames::writeAck(), m_faults.duplicateAcks ? 2 : 1, outcome);
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
