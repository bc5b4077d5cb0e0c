#pragma once

#include <QFont>

// The program's windows are laid out as densely as their design, for a compact sans-serif
// face of about 8.25 points: a condensed face keeps every caption whole in its place.
inline QFont compactFont(QFont base)
{
    base.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    base.setStyleHint(QFont::SansSerif);
    base.setPointSizeF(8.25);
    return base;
}
