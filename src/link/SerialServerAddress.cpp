#include "SerialServerAddress.h"

#include <QUrl>

namespace {

const QString Scheme = QStringLiteral("rfc2217");

} // namespace

bool SerialServerAddress::isServer(const QString& device)
{
    return device.startsWith(Scheme + QStringLiteral("://"), Qt::CaseInsensitive);
}

std::optional<SerialServerAddress> SerialServerAddress::parse(const QString& device)
{
    if (!isServer(device))
        return std::nullopt;
    const QUrl url(device.trimmed(), QUrl::StrictMode);
    const int port = url.port();
    const bool bare = url.path().isEmpty() || url.path() == QStringLiteral("/");
    if (!url.isValid() || url.host().isEmpty() || port < 1 || !bare || url.hasQuery() ||
        url.hasFragment() || !url.userInfo().isEmpty())
        return std::nullopt;
    return SerialServerAddress{url.host(), quint16(port)};
}
