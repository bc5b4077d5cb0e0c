#include "PortFailure.h"

#include <QFileInfo>

DeviceAccess deviceAccess(const QString& device)
{
#ifdef Q_OS_WIN
    // Ports there are not files; the system's reason says it all.
    Q_UNUSED(device);
    return {};
#else
    const QFileInfo file(device);
    return {file.exists(), file.isReadable() && file.isWritable(), file.group()};
#endif
}

QString openFailureCause(const QString& device, const QString& reason, const DeviceAccess& access)
{
    if (!access.exists) {
        return QStringLiteral("%1 is not present (%2). Plug in the adapter, or right-click "
                              "the Comm Port to choose another device.")
            .arg(device, reason);
    }
    if (!access.permitted && !access.group.isEmpty()) {
        return QStringLiteral("You may not open %1 (%2): it belongs to the group \"%3\". Join "
                              "the group with\n\nsudo usermod -aG %3 $USER\n\nthen log out and "
                              "back in.")
            .arg(device, reason, access.group);
    }
    return QStringLiteral("%1: %2.").arg(device, reason);
}

QString lostLineCause(const QString& device, const QString& reason)
{
    return QStringLiteral("%1 went away during use (%2): the adapter was unplugged or the line "
                          "hung up. Plug it in again and press Connect.")
        .arg(device, reason);
}
