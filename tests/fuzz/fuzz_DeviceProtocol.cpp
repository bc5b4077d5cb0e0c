#include "DeviceProtocol.h"

#include <cassert>
#include <tuple>

// The simulated device gives the same answers, stores the same values and keeps the same
// bytes waiting whether the bytes it receives come whole or split at any points.
namespace {

auto feed(const FaultSettings& faults, const QByteArray& stream, const std::uint8_t* chunks,
          int chunkCount)
{
    DeviceMemory memory;
    std::mt19937 random(7);
    DeviceProtocol protocol(memory, faults, random);
    QList<QByteArray> answers;
    qsizetype position = 0;
    for (int i = 0; i < chunkCount; ++i) {
        answers += protocol.receive(stream.mid(position, chunks[i])).answers;
        position += chunks[i];
    }
    answers += protocol.receive(stream.mid(position)).answers;
    return std::tuple{answers, memory.values(), protocol.pendingSize()};
}

} // namespace

// Input: a fault byte, a count n, n chunk lengths, then the stream; the bytes after the last
// chunk go in one.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size < 2u + data[1])
        return 0;
    FaultSettings faults;
    faults.duplicateAcks = data[0] & 1;
    faults.dropFraction = data[0] & 2 ? 0.5 : 0.0;
    faults.corruptFraction = data[0] & 4 ? 0.5 : 0.0;
    const QByteArray stream(reinterpret_cast<const char*>(data + 2 + data[1]),
                            qsizetype(size - 2 - data[1]));
    assert(feed(faults, stream, data + 2, data[1]) == feed(faults, stream, nullptr, 0));
    return 0;
}
