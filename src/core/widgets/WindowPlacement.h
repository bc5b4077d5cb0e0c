#pragma once

#include <QRect>

class QWidget;

// The windows were designed in twips, fifteen to a pixel, and every place and size falls on
// a whole pixel; one that does not is a typo, and the build stops on it.
consteval QRect twips(int left, int top, int width, int height)
{
    for (const int value : {left, top, width, height}) {
        if (value % 15 != 0)
            throw "a layout value in twips that is no whole number of pixels";
    }
    return {left / 15, top / 15, width / 15, height / 15};
}

// Where a frame of the given size stands in the middle of the area. A frame larger than the
// area keeps its top left corner in it, so the title bar stays within reach.
QPoint centredPosition(const QRect& area, const QSize& frame);

// Moves the window, frame and all, to the middle of its screen's free area. Without a screen
// to go by it stays where it is and the answer is false.
bool centreOnScreen(QWidget& window);
