#pragma once
// Rules the count windows share: the totals line of a closing date, the narrowing lists, where the
// windows open, and the input method of their fields.
#include <QDate>
#include <QString>

class DataCombo;
class QLineEdit;
class QWidget;

namespace counting {

// "Max Record <count>   Total <sum as #,##0>" for the lines of the date. A date without lines
// reads "Max Record 0   Total 0". Throws db::DbError.
QString totalsText(const QDate& closingDate);
// Writes the totals line into the box; on any failure the box keeps its text.
void ShowTotal(QLineEdit* box, const QDate& closingDate);

// The narrowing lists: each refills the combo with the rows whose name contains its current text
// (the user's % and _ stay wildcards). On a failing query the list stays as it was.
enum class NarrowList {
    EntryCategory,       // categories without row 0, by key
    EntryProduct,        // products by name
    EntryUnit,           // units by name
    CorrectionCategory,  // categories with row 0, by key
    CorrectionProduct,   // products by name
    DialogCategory,      // print dialogs: categories with row 0, by key
};
bool narrow(DataCombo* combo, NarrowList list);

// Left and top from the settings frmLeft and frmTop (0 when absent).
void restoreWindowPosition(QWidget* w);

// Japanese text fields accept input-method composition; numeric fields do not.
void ImeOn(QWidget* field);
void ImeOff(QWidget* field);

} // namespace counting
