#include "counting/CountRules.h"

#include "app/Settings.h"
#include "platform/DataCombo.h"
#include "platform/WindowPlace.h"

#include <QLineEdit>
#include <QWidget>

namespace counting {

void ShowTotal(QLineEdit* box, const QDate& closingDate)
{
    try {
        box->setText(totalsText(closingDate));
    } catch (const std::exception&) {
        // The totals line is a convenience: it keeps its previous text.
    }
}

bool narrow(DataCombo* combo, NarrowList list)
{
    const NarrowQuery q = narrowQuery(list);
    return combo->setRowSource(q.sql, {combo->text()}, q.listField, q.boundField);
}

void restoreWindowPosition(QWidget* w)
{
    // The main window saved its frame corner here; the count window's frame goes to the same point.
    place::moveFrameTo(w, QPoint(static_cast<int>(GetSetting("Settings", "frmLeft", "0").toFloat()),
                                 static_cast<int>(GetSetting("Settings", "frmTop", "0").toFloat())));
}

void ImeOn(QWidget* field)
{
    field->setAttribute(Qt::WA_InputMethodEnabled, true);
    field->setInputMethodHints(Qt::ImhNone);
}

void ImeOff(QWidget* field)
{
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    field->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhNoPredictiveText | Qt::ImhLatinOnly);
}

} // namespace counting
