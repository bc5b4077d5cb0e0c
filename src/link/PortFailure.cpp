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
    const QFileDevice::Permissions groupReadWrite =
        QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    return {file.exists(), file.isReadable() && file.isWritable(), file.group(),
            (file.permissions() & groupReadWrite) == groupReadWrite, file.owner()};
#endif
}

QString openFailureCause(const QString& device, const QString& reason, const DeviceAccess& access)
{
    if (!access.exists) {
        return QStringLiteral("%1 is not present (%2). Plug in the adapter, or right-click "
                              "the Comm Port to choose another device.")
            .arg(device, reason);
    }
    // Joining the group helps only where the group may use the device; a device for its
    // owner alone is a matter for the administrator, and no command here fixes it.
    if (!access.permitted && !access.groupMayUse) {
        return QStringLiteral("Only its owner%1 may open %2 (%3). An administrator can give it to "
                              "the serial group with a udev rule; then join that group.")
            .arg(access.owner.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(access.owner),
                 device, reason);
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
    return QStringLiteral("%1 went away during use (%2). Check that the adapter is plugged in "
                          "and the cable is fastened, then press Connect.")
        .arg(device, reason);
}
