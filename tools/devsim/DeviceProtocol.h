#pragma once

#include "DeviceMemory.h"
#include "FaultSettings.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>
#include <random>

// The device's side of the parameter frames: it takes the bytes the tool sends, finds the
// read and write requests among them and gives back the answers, with the configured faults
// applied. Unlike the tool, the device keeps the start of a frame that has not fully arrived
// and completes it with the next bytes, so how the bytes are split over calls to receive
// changes neither the answers nor what is stored.
class DeviceProtocol
{
public:
    struct Outcome
    {
        QList<QByteArray> answers; // in the order of the requests
        int stored = 0;            // write requests stored in memory
    };

    DeviceProtocol(DeviceMemory& memory, const FaultSettings& faults, std::mt19937& random);

    Outcome receive(const QByteArray& bytes);
    // Forgets a partly received frame, as after a change of line speed.
    void discardPending() { m_pending.clear(); }
    qsizetype pendingSize() const { return m_pending.size(); }

    // One live frame carrying the pressure, its checksum spoilt at the corrupt fraction.
    QByteArray pressureFrame(std::uint8_t psi);

private:
    struct Request
    {
        Parameter parameter;
        bool write;
        int length;
    };

    // The request a command byte names, if any.
    static std::optional<Request> requestNamedBy(std::uint8_t command);
    void answer(const Request& request, const std::uint8_t* frame, Outcome& outcome);
    void send(QByteArray frame, int copies, Outcome& outcome);
    bool happens(double fraction);

    DeviceMemory& m_memory;
    FaultSettings m_faults;
    std::mt19937& m_random;
    QByteArray m_pending;
};
