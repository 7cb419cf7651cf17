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

// The input method. On Linux the platform's input context (IBus, Fcitx, …) owns the on/off state,
// so a program cannot open it; what it can do is let a field take composed text or not. ImeOn:
// the field accepts input-method composition (Japanese names and remarks). ImeOff: the field takes
// no composition and asks for Latin digits (quantities and prices are typed directly).
void ImeOn(QWidget* field);
void ImeOff(QWidget* field);

} // namespace counting
