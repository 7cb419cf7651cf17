#pragma once
// The widget side of the rules the count windows share: the totals box, the narrowing lists,
// where the windows open, and the input method of their fields. The data they show comes from
// ClosingDateTotals and NarrowingLists.
#include "counting/NarrowingLists.h"

#include <QDate>

class DataCombo;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableView;
class QWidget;

namespace counting {

// Writes the totals line into the box; on any failure the box keeps its text.
void ShowTotal(QLineEdit* box, const QDate& closingDate);

// Refills the combo with the rows of the list that contain its current text. On a failing query
// the list stays as it was.
bool narrow(DataCombo* combo, NarrowList list);

// Left and top from the settings frmLeft and frmTop (0 when absent).
void restoreWindowPosition(QWidget* w);

// What a count window does first on loading: its place from the settings, the grid's row height,
// and the main window's closing date in the date box without a change being signalled.
void loadCountWindow(QWidget* w, QTableView* grid, QDateEdit* date);

// The input method. On Linux the platform's input context (IBus, Fcitx, …) owns the on/off state,
// so a program cannot open it; what it can do is let a field take composed text or not. ImeOn:
// the field accepts input-method composition (Japanese names and remarks). ImeOff: the field takes
// no composition and asks for Latin digits (quantities and prices are typed directly).
void ImeOn(QWidget* field);
void ImeOff(QWidget* field);

// The closing-date box and its 決算日 label (the label's name differs between the windows).
void makeDateBox(QWidget* parent, QLabel*& label, const char* labelName, QDateEdit*& box);

} // namespace counting
