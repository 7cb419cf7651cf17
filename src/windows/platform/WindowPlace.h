#pragma once
// Where a top-level window stands, as the user sees it: the corner of its frame (title bar and
// border included). A window placed at the corner it reported last time stands exactly where it
// stood, whatever frame the window manager draws around it.
#include <QPoint>
#include <QSize>
#include <QString>

class QWidget;

namespace place {

// The frame's top-left corner of a top-level window.
QPoint frameCorner(const QWidget* w);

// Puts the window's frame corner at the point (before or after it is shown); a point from which
// the window would stand off every screen is pulled onto the primary screen's available area.
void moveFrameTo(QWidget* w, const QPoint& corner);

// A window edge as the settings store keeps it: a number, perhaps with a fraction, cut to whole
// pixels. Text that is no number gives 0. A number no window edge can have (infinite, not a
// number, or past every screen) gives a point far off the screens on its side (not a number: the
// left or top side), which moveFrameTo pulls back as any other point off the screens.
int edgeFromText(const QString& text);

// The point itself while it lies on a screen's available area; otherwise the nearest point of the
// primary screen's available area from which a window of this size fits (as far as it can).
QPoint onVisibleScreen(const QPoint& corner, const QSize& size);

} // namespace place
