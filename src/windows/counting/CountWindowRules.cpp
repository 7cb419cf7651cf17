#include "counting/CountWindowRules.h"

#include "common/MainWindowInfo.h"
#include "common/Settings.h"
#include "counting/ClosingDateTotals.h"
#include "platform/DataCombo.h"
#include "platform/DateBox.h"
#include "platform/GridLayout.h"
#include "platform/WindowPlace.h"

#include "platform/Form.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
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
    place::moveFrameTo(w, QPoint(place::edgeFromText(GetSetting("Settings", "frmLeft", "0")),
                                 place::edgeFromText(GetSetting("Settings", "frmTop", "0"))));
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

void loadCountWindow(QWidget* w, QTableView* grid, QDateEdit* date)
{
    restoreWindowPosition(w);
    grid::setRowHeightTwips(grid, 360);
    const QSignalBlocker quiet(date);
    date->setDate(app::closingDate());
}

void makeDateBox(QWidget* parent, QLabel*& label, const char* labelName, QDateEdit*& box)
{
    label = named(new QLabel(QStringLiteral("決算日(&D)"), parent), labelName);
    box = named(new DateBox(parent), "DTPicker1");
    label->setBuddy(box);
}

} // namespace counting
