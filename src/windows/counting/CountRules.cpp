#include "counting/CountRules.h"

#include "common/MainWindowInfo.h"
#include "common/Settings.h"
#include "platform/DataCombo.h"
#include "platform/GridLayout.h"
#include "platform/WindowPlace.h"

#include "platform/Form.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>
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
    box = named(new QDateEdit(parent), "DTPicker1");
    box->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    box->setCalendarPopup(true);
    label->setBuddy(box);
}

void makeTotalLine(QWidget* parent, QWidget*& picture, QLineEdit*& box)
{
    picture = named(new QWidget(parent), "Picture1");
    auto* row = new QHBoxLayout(picture);
    row->setContentsMargins(0, 0, 0, 0);
    box = named(new QLineEdit(picture), "Text1");
    box->setReadOnly(true);
    row->addWidget(box);
}

void layOutListWindow(QWidget* w, QWidget* search, QWidget* buttons, QWidget* grid, QWidget* totals)
{
    auto* root = new QVBoxLayout(w);
    auto* top = new QHBoxLayout;
    top->addWidget(search, 1);
    top->addWidget(buttons, 0, Qt::AlignBottom);
    root->addLayout(top);
    root->addWidget(grid, 1);
    root->addWidget(totals);
    w->resize(1000, 640);
}

} // namespace counting
