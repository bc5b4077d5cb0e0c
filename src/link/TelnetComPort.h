#pragma once

#include "SerialSettings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

// The client's side of a Telnet connection to a serial server that speaks the COM-PORT-OPTION:
// what the program sends to open the negotiation and to set the far line, what it answers to
// the server's requests, and the line's data taken out of the stream. It only reads and builds
// bytes; the socket, the time and the failures belong to its owner.
//
// The line's data goes both ways in Telnet's binary mode, where the only escape is the byte
// 255 (IAC), doubled; bytes come in any chunking, a command may be split anywhere.
class TelnetComPort
{
public:
    // What the client says when the connection is made: it will use the COM-PORT-OPTION and
    // send binary data, and asks the server to send binary data.
    static QByteArray greeting();
    // The data with every IAC doubled, as it goes into the stream.
    static QByteArray escape(QByteArrayView data);

    // Takes the server's bytes; returns the line's data among them, unescaped. Answers to the
    // server's requests gather for takeReplies().
    QByteArray receive(QByteArrayView bytes);
    // What the server's requests asked the client to answer, since the last call.
    QByteArray takeReplies();

    // The commands that set the far line's speed, data size, parity and stop bits. Each one
    // sets the count of speed changes awaiting the server's confirmation.
    QByteArray lineCommands(const SerialSettings& settings);
    // No flow control, DTR and RTS on, as a serial port opens. Servers need not confirm these.
    static QByteArray modemCommands();

    // The server said DO to the COM-PORT-OPTION: the line's settings reach the far end.
    bool comPortAgreed() const { return m_comPortAgreed; }
    // The server said DONT: it serves the data but cannot set the line.
    bool comPortRefused() const { return m_comPortRefused; }
    // Speed changes sent and not yet confirmed.
    int speedChangesAwaited() const { return m_speedChangesAwaited; }
    // The speed the server last confirmed; 0 before any.
    std::uint32_t confirmedBaudRate() const { return m_confirmedBaudRate; }
    // What the server calls itself, when it says.
    QString serverSignature() const { return m_serverSignature; }

private:
    enum class State
    {
        Data,
        Command,
        Option,
        SubOption,
        SubData,
        SubCommand
    };

    void appendToSubnegotiation(char byte);
    // A command byte after IAC, other than IAC itself.
    void commandByte(std::uint8_t byte);
    void command(std::uint8_t verb, std::uint8_t option);
    void subnegotiation();
    void reply(std::uint8_t verb, std::uint8_t option);

    State m_state = State::Data;
    std::uint8_t m_verb = 0;
    std::uint8_t m_subOption = 0;
    QByteArray m_sub;
    bool m_subOverflow = false;
    QByteArray m_replies;
    bool m_comPortAgreed = false;
    bool m_comPortRefused = false;
    bool m_serverSendsBinary = false;
    int m_speedChangesAwaited = 0;
    std::uint32_t m_confirmedBaudRate = 0;
    QString m_serverSignature;
};
