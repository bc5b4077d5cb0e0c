#pragma once

#include <QString>

#include <optional>

// A serial server's address as the user writes it in place of a device: rfc2217://HOST:PORT,
// the host a name or an address (IPv6 in brackets).
struct SerialServerAddress
{
    QString host;
    quint16 port = 0;

    // Whether the text names a serial server rather than a device, well formed or not.
    static bool isServer(const QString& device);
    // The host and port of a well-formed address.
    static std::optional<SerialServerAddress> parse(const QString& device);
};
