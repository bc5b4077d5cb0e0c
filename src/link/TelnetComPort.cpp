#include "TelnetComPort.h"

#include <utility>

namespace {

constexpr std::uint8_t IAC = 255;
constexpr std::uint8_t DONT = 254;
constexpr std::uint8_t DO = 253;
constexpr std::uint8_t WONT = 252;
constexpr std::uint8_t WILL = 251;
constexpr std::uint8_t SB = 250;
constexpr std::uint8_t SE = 240;

constexpr std::uint8_t BinaryOption = 0;
constexpr std::uint8_t ComPortOption = 44;

// The client's commands of the COM-PORT-OPTION; the server answers each with its code + 100.
constexpr std::uint8_t Signature = 0;
constexpr std::uint8_t SetBaudRate = 1;
constexpr std::uint8_t SetDataSize = 2;
constexpr std::uint8_t SetParity = 3;
constexpr std::uint8_t SetStopSize = 4;
constexpr std::uint8_t SetControl = 5;
constexpr std::uint8_t ServerReply = 100;

constexpr std::uint8_t NoFlowControl = 1;
constexpr std::uint8_t DtrOn = 8;
constexpr std::uint8_t RtsOn = 11;

// Longer subnegotiations are no command of this option: their content is dropped.
constexpr int LongestSubnegotiation = 256;

const char ClientSignature[] = "vorta-cal";

QByteArray comPortCommand(std::uint8_t code, QByteArrayView value)
{
    QByteArray bytes{"\xFF\xFA"};
    bytes.append(char(ComPortOption));
    bytes.append(char(code));
    bytes.append(TelnetComPort::escape(value));
    bytes.append("\xFF\xF0");
    return bytes;
}

QByteArray oneByte(std::uint8_t value)
{
    return QByteArray(1, char(value));
}

std::uint8_t parityCode(SerialSettings::Parity parity)
{
    switch (parity) {
    case SerialSettings::Parity::Odd:
        return 2;
    case SerialSettings::Parity::Even:
        return 3;
    case SerialSettings::Parity::Mark:
        return 4;
    case SerialSettings::Parity::Space:
        return 5;
    case SerialSettings::Parity::None:
        break;
    }
    return 1;
}

std::uint8_t stopSizeCode(SerialSettings::StopBits stopBits)
{
    switch (stopBits) {
    case SerialSettings::StopBits::Two:
        return 2;
    case SerialSettings::StopBits::OneAndHalf:
        return 3;
    case SerialSettings::StopBits::One:
        break;
    }
    return 1;
}

} // namespace

QByteArray TelnetComPort::greeting()
{
    return QByteArray{"\xFF\xFB\x2C"
                      "\xFF\xFB\x00"
                      "\xFF\xFD\x00",
                      9};
}

QByteArray TelnetComPort::escape(QByteArrayView data)
{
    QByteArray escaped;
    escaped.reserve(data.size());
    for (char byte : data) {
        escaped.append(byte);
        if (std::uint8_t(byte) == IAC)
            escaped.append(byte);
    }
    return escaped;
}

QByteArray TelnetComPort::lineCommands(const SerialSettings& settings)
{
    const auto baud = std::uint32_t(settings.baudRate);
    const char rate[4] = {char(baud >> 24), char(baud >> 16), char(baud >> 8), char(baud)};
    ++m_speedChangesAwaited;
    return comPortCommand(SetBaudRate, QByteArrayView(rate, 4)) +
           comPortCommand(SetDataSize, oneByte(std::uint8_t(settings.dataBits))) +
           comPortCommand(SetParity, oneByte(parityCode(settings.parity))) +
           comPortCommand(SetStopSize, oneByte(stopSizeCode(settings.stopBits)));
}

QByteArray TelnetComPort::modemCommands()
{
    return comPortCommand(SetControl, oneByte(NoFlowControl)) +
           comPortCommand(SetControl, oneByte(DtrOn)) + comPortCommand(SetControl, oneByte(RtsOn));
}

QByteArray TelnetComPort::takeReplies()
{
    return std::exchange(m_replies, {});
}

QByteArray TelnetComPort::receive(QByteArrayView bytes)
{
    QByteArray data;
    data.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = std::uint8_t(c);
        switch (m_state) {
        case State::Data:
            if (byte == IAC)
                m_state = State::Command;
            else
                data.append(c);
            break;
        case State::Command:
            m_state = State::Data;
            if (byte == IAC)
                data.append(c);
            else
                commandByte(byte);
            break;
        case State::Option:
            command(m_verb, byte);
            m_state = State::Data;
            break;
        case State::SubOption:
            m_subOption = byte;
            m_sub.clear();
            m_subOverflow = false;
            m_state = State::SubData;
            break;
        case State::SubData:
            if (byte == IAC)
                m_state = State::SubCommand;
            else
                appendToSubnegotiation(c);
            break;
        case State::SubCommand:
            if (byte == IAC) {
                appendToSubnegotiation(c);
                m_state = State::SubData;
            } else if (byte == SE) {
                subnegotiation();
                m_state = State::Data;
            } else {
                // A command inside a subnegotiation ends it unfinished; the command counts.
                m_state = State::Data;
                commandByte(byte);
            }
            break;
        }
    }
    return data;
}

void TelnetComPort::appendToSubnegotiation(char byte)
{
    if (m_sub.size() < LongestSubnegotiation)
        m_sub.append(byte);
    else
        m_subOverflow = true;
}

void TelnetComPort::commandByte(std::uint8_t byte)
{
    if (byte >= WILL) {
        m_verb = byte;
        m_state = State::Option;
    } else if (byte == SB) {
        m_state = State::SubOption;
    }
    // Any other command (NOP, a data mark, a break, go ahead) carries nothing here.
}

void TelnetComPort::command(std::uint8_t verb, std::uint8_t option)
{
    switch (verb) {
    case DO:
        if (option == ComPortOption) {
            m_comPortAgreed = true;
            m_comPortRefused = false;
        } else if (option != BinaryOption) {
            reply(WONT, option);
        }
        break;
    case DONT:
        if (option == ComPortOption) {
            m_comPortRefused = !m_comPortAgreed;
            m_comPortAgreed = false;
        }
        break;
    case WILL:
        if (option == BinaryOption) {
            m_serverSendsBinary = true;
        } else {
            reply(DONT, option);
        }
        break;
    case WONT:
        if (option == BinaryOption && m_serverSendsBinary) {
            m_serverSendsBinary = false;
            reply(DONT, option);
        }
        break;
    default:
        break;
    }
}

void TelnetComPort::subnegotiation()
{
    if (m_subOption != ComPortOption || m_sub.isEmpty() || m_subOverflow)
        return;
    const auto code = std::uint8_t(m_sub.at(0));
    const QByteArray value = m_sub.mid(1);
    if (code == ServerReply + Signature) {
        // An empty signature is the server asking for the client's.
        if (value.isEmpty())
            m_replies += comPortCommand(Signature, ClientSignature);
        else
            m_serverSignature = QString::fromLatin1(value);
    } else if (code == ServerReply + SetBaudRate && value.size() == 4) {
        const auto* v = reinterpret_cast<const std::uint8_t*>(value.constData());
        m_confirmedBaudRate = std::uint32_t(v[0]) << 24 | std::uint32_t(v[1]) << 16 |
                              std::uint32_t(v[2]) << 8 | std::uint32_t(v[3]);
        if (m_speedChangesAwaited > 0)
            --m_speedChangesAwaited;
    }
    // The other confirmations and the line and modem state notifications change nothing here.
}

void TelnetComPort::reply(std::uint8_t verb, std::uint8_t option)
{
    m_replies.append(char(IAC));
    m_replies.append(char(verb));
    m_replies.append(char(option));
}
