#pragma once

#include <QRect>

class QWidget;

// The windows were designed in twips; at fifteen to a pixel every control keeps its place.
constexpr QRect twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

// Moves the window, frame and all, to the middle of its screen. Without a screen to go by it
// stays where it is and the answer is false.
bool centreOnScreen(QWidget& window);
