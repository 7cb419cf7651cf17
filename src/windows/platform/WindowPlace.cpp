#include "platform/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace place {

int edgeFromText(const QString& text)
{
    // Far past any screen, yet far from overflowing when a window's size is added to it.
    constexpr int kFarOff = 1 << 24;
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok)
        return 0;
    if (std::isnan(v) || v <= -kFarOff)
        return -kFarOff;
    if (v >= kFarOff)
        return kFarOff;
    return static_cast<int>(v);
}

QPoint frameCorner(const QWidget* w)
{
    return w->frameGeometry().topLeft();
}

QPoint onVisibleScreen(const QPoint& corner, const QSize& size)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* s : screens) {
        if (s->availableGeometry().contains(corner))
            return corner;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return corner;
    const QRect a = primary->availableGeometry();
    // The title bar must be reachable: a window larger than the screen starts at its corner.
    const int right = a.left() + qMax(0, a.width() - size.width());
    const int bottom = a.top() + qMax(0, a.height() - size.height());
    return {qBound(a.left(), corner.x(), right), qBound(a.top(), corner.y(), bottom)};
}

void moveFrameTo(QWidget* w, const QPoint& corner)
{
    // A window that gets its size from its layout is sized when it is shown, after its native
    // window exists; X11 then takes a position set before as the client area's, one title bar
    // lower than the frame's. Sizing it first keeps the position the frame's.
    if (!w->testAttribute(Qt::WA_Resized))
        w->adjustSize();
    // Before the window is mapped its frame is unknown: room is left for a usual title bar and
    // border, so that a window pulled back onto the screen fits on it whole.
    QSize size = w->frameGeometry().size();
    if (size == w->size())
        size += QSize(16, 40);
    w->move(onVisibleScreen(corner, size));
}

} // namespace place
