#include "WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint centredPosition(const QRect& area, const QSize& frame)
{
    return {area.x() + std::max(0, (area.width() - frame.width()) / 2),
            area.y() + std::max(0, (area.height() - frame.height()) / 2)};
}

bool centreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return false;
    // The frame around the window is as wide as the window manager draws it; move() places
    // the frame's corner.
    window.move(centredPosition(screen->availableGeometry(), window.frameGeometry().size()));
    return true;
}
