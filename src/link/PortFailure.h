#pragma once

#include <QString>

// What the system says about a device that would not open.
struct DeviceAccess
{
    bool exists = true;
    bool permitted = true;   // this user may read and write it
    QString group;           // the group that owns it
    bool groupMayUse = true; // its group may read and write it
    QString owner;
};

DeviceAccess deviceAccess(const QString& device);

// What the user is told under the communication error: the device, the system's reason and
// the way out, for a device that would not open and for a line that went away during use.
QString openFailureCause(const QString& device, const QString& reason, const DeviceAccess& access);
QString lostLineCause(const QString& device, const QString& reason);
