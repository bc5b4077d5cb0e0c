#pragma once

#include <QIcon>

// The pictures of the four picture buttons, drawn in code so they stay sharp at any scale and
// need no image plug-in, and the window's icon, the application's own.
namespace ButtonIcons {
QIcon openFile();
QIcon saveFile();
QIcon autoCal();
QIcon exit();
// The calibration record: a clipboard with a ticked sheet.
QIcon record();
QIcon application();
} // namespace ButtonIcons
