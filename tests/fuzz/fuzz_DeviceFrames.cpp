#include "DeviceFrames.h"
#include "ParameterTable.h"

#include <QtEndian>

#include <algorithm>
#include <cassert>
#include <numeric>

// The frame scans find what a plain reading of the frame layout finds, and each frame the
// builders make reads back.
namespace {

// The data of each frame of this length and command that starts in the first count bytes,
// most significant byte first. A frame: the start byte, its length, the command, the data and
// a checksum that makes all its bytes add up to a multiple of 256.
std::vector<std::int32_t> framesIn(const QByteArray& batch, int count, int length, int command)
{
    std::vector<std::int32_t> data;
    for (int p = 0; p + length <= std::min(count, int(batch.size())); ++p) {
        const auto* f = reinterpret_cast<const std::uint8_t*>(batch.constData()) + p;
        if (f[0] == 0x80 && f[2] == command && std::accumulate(f, f + length, 0) % 256 == 0)
            data.push_back(std::accumulate(f + 3, f + length - 1, 0,
                                           [](int value, int byte) { return value * 256 + byte; }));
    }
    return data;
}

} // namespace

// Input: a byte that sets how many bytes of the batch are scanned, then the batch.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray batch(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const int count = int(batch.size()) + 2 - data[0] % 8;
    assert(std::ranges::equal(ScanPressureFrames(batch, count), framesIn(batch, count, 5, 0xD0)));
    assert(CountWriteAcks(batch, count) == int(framesIn(batch, count, 4, 0xE0).size()));

    // The batch's first four bytes as a value, least significant first, whole or cut to each
    // parameter's data bytes, built into frames and read back.
    const auto value = qFromLittleEndian<std::int32_t>(batch.leftJustified(4, '\0').constData());
    const auto psi = std::uint8_t(value);
    assert(ScanPressureFrames(BuildPressureFrame(psi), 5) == std::vector{psi});
    assert(CountWriteAcks(BuildWriteAck(), 4) == 1);
    for (int i = 0; i < ParameterCount; ++i) {
        const auto p = Parameter(i);
        const DeviceSlot& slot = parameterInfo(p).device;
        const int length = 4 + slot.dataBytes;
        const int command = slot.address * 16; // low nibble 0 read, 1 reply, 2 write
        const auto limited = [p](std::int32_t raw) { return applyUploadLimit(p, raw); };
        std::vector<std::int32_t> replies = framesIn(batch, count, length, command + 1);
        std::transform(replies.begin(), replies.end(), replies.begin(), limited);
        assert(ScanReadReplies(batch, count, p) == replies);

        const std::int32_t cut = value & ((1 << (8 * (length - 4))) - 1);
        assert(ScanReadReplies(BuildReadReply(p, cut), length, p) == std::vector{limited(cut)});
        const QByteArray request = BuildReadRequest(p);
        assert(request.size() == 4 && framesIn(request, 4, 4, command) == std::vector{0});
        try {
            const QByteArray write = BuildWriteRequest(p, value);
            assert(write.size() == length && (length == 7 || value == cut));
            assert(framesIn(write, length, length, command + 2) == std::vector{cut});
        } catch (const FrameError&) {
            assert(length < 7 && value != cut);
        }
    }
    return 0;
}
