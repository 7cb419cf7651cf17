#include "platform/Cursor.h"

#include <QApplication>
#include <QCursor>

namespace pointer {
namespace {
bool s_hourglass = false;
}

void hourglass()
{
    if (s_hourglass)
        return;
    s_hourglass = true;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void reset()
{
    if (!s_hourglass)
        return;
    s_hourglass = false;
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

bool isHourglass()
{
    return s_hourglass;
}
}
