#include "TelnetComPort.h"

#include <cassert>
#include <cstdint>

namespace {

// Everything the codec takes, fed in chunks of the given size.
QByteArray receiveInChunks(TelnetComPort& telnet, const QByteArray& stream, int chunk)
{
    QByteArray data;
    for (qsizetype at = 0; at < stream.size(); at += chunk)
        data += telnet.receive(QByteArrayView(stream).sliced(at, qMin(chunk, stream.size() - at)));
    return data;
}

// A server's stream made from the input: bytes below 0xF0 are data, the others start an option
// command, a COM-PORT subnegotiation with up to seven bytes from the input, another command
// without option, or a data byte 255. Returns the stream and the data it carries.
std::pair<QByteArray, QByteArray> serverStream(const std::uint8_t* in, std::size_t size)
{
    QByteArray stream;
    QByteArray data;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = in[i];
        const char next = i + 1 < size ? char(in[i + 1]) : '\0';
        if (byte < 0xF0) {
            stream.append(char(byte));
            data.append(char(byte));
            continue;
        }
        switch (byte & 3) {
        case 0:
            stream += QByteArray("\xFF", 1) + char(0xFB + (byte >> 2) % 4) + next;
            ++i;
            break;
        case 1: {
            const std::size_t length = std::min<std::size_t>(byte >> 5, size - i - 1);
            const QByteArray payload(reinterpret_cast<const char*>(in + i + 1), qsizetype(length));
            stream += QByteArray("\xFF\xFA\x2C", 3) + TelnetComPort::escape(payload) + "\xFF\xF0";
            i += length;
            break;
        }
        case 2:
            stream += QByteArray("\xFF\xF1", 2);
            break;
        default:
            stream += QByteArray("\xFF\xFF", 2);
            data.append('\xFF');
            break;
        }
    }
    return {stream, data};
}

} // namespace

// Input: a chunk size, then bytes. As the server's raw stream they may not crash the codec,
// give no more data than they hold, and give the same data and replies in any chunking; read
// as a well-formed stream of data and commands, the data comes out exactly.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* in, std::size_t size)
{
    if (size < 1)
        return 0;
    const int chunk = 1 + in[0] % 16;
    const QByteArray raw(reinterpret_cast<const char*>(in + 1), qsizetype(size - 1));
    TelnetComPort whole;
    TelnetComPort chunked;
    const QByteArray data = whole.receive(raw);
    assert(data.size() <= raw.size());
    assert(receiveInChunks(chunked, raw, chunk) == data);
    assert(chunked.takeReplies() == whole.takeReplies());
    assert(chunked.comPortAgreed() == whole.comPortAgreed());

    const auto [stream, expected] = serverStream(in + 1, size - 1);
    TelnetComPort server;
    assert(receiveInChunks(server, stream, chunk) == expected);
    return 0;
}
