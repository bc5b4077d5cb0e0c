#pragma once

#include <QByteArray>

#include <algorithm>
#include <cstdint>

namespace FrameScanner {

inline constexpr std::uint8_t StartByte = 0x80;

// The one scan for every frame kind the device sends (read replies, write
// acknowledgements, live pressure). Examines positions 1 to count of the batch; a
// position starts a candidate when its byte is the start byte and the whole frame lies
// within the examined bytes. A candidate is valid when its command byte (byte 3) is the
// expected one and all its bytes add up to a multiple of 256; the length byte takes part
// in the sum only. Every position is examined, also those inside a valid frame, and
// onFrame receives a pointer to each valid frame in batch order. The caller owns all state.
template <typename OnFrame>
void scan(const QByteArray& batch, int count, int length, std::uint8_t command, OnFrame&& onFrame)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(batch.constData());
    const int examined = std::min(count, static_cast<int>(batch.size()));
    for (int p = 0; p + length <= examined; ++p) {
        if (bytes[p] != StartByte || bytes[p + 2] != command)
            continue;
        unsigned sum = 0;
        for (int i = 0; i < length; ++i)
            sum += bytes[p + i];
        if ((sum & 0xFFu) == 0)
            onFrame(bytes + p);
    }
}

} // namespace FrameScanner
