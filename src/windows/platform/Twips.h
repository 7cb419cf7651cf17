#pragma once
// Sizes in the windows' rules are in twips: 1440 to the inch.
#include <QWidget>
#include <cmath>

namespace twips {
inline int toPixels(int tw, const QWidget* w = nullptr)
{
    const int dpi = w ? w->logicalDpiX() : 96;
    return static_cast<int>(std::lround(tw * static_cast<double>(dpi) / 1440.0));
}
}
