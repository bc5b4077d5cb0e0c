#include "WindowPlacement.h"

#include <QScreen>
#include <QWidget>

bool centreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return false;
    const QRect area = screen->geometry();
    const QSize outer = window.frameGeometry().size();
    window.move(area.x() + area.width() / 2 - outer.width() / 2,
                area.y() + area.height() / 2 - outer.height() / 2);
    return true;
}
