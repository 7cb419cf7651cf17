#pragma once
// The questions about orphan count lines (lines whose category or product was deleted): the data
// side finds and marks them (counting/OrphanCheck.h); the windows here show what was found and ask
// whether to move the marked lines to category 0 (未区分).
#include "counting/OrphanCheck.h"

#include <QDate>
#include <QString>
#include <functional>

class QWidget;

namespace counting {

// The questions about such lines, shared by the windows that ask them and by their tests.
extern const QString kAskOrphanCategory;      // correction window, at each activation
extern const QString kAskOrphanKoumokuList;   // summary list, category mode
extern const QString kAskUncategorised;       // count-sheet print dialog, before printing

// Shows the count lines of a selection (in the count-line layout).
using ShowLines = std::function<void(const LineQuery& lines)>;

// The summary list's category mode: hourglass from the start; marks the date's lines against the
// categories and shows the marked ones whether or not there are any; when there are, resets the
// pointer and asks; Yes repairs and shows the same lines again, now with 項目ID 0. The pointer is
// back to normal at the end in every case.
void ListOrphanKoumoku(const QDate& closingDate, const ShowLines& show, QWidget* parent = nullptr);
// The summary list's product mode: marks against the products and shows the marked lines (to be
// shown read-only); never asks and never changes a key, so the lines stay marked.
void ListOrphanShohin(const QDate& closingDate, const ShowLines& show);

// Before printing all categories: marks against the categories and asks when lines are marked;
// Yes repairs. mayPrint is true when nothing was marked or the user answered Yes; a failing
// database gives neither marks nor permission.
struct UncategorisedCheck {
    bool linesMarked = false;
    bool mayPrint = false;
};
UncategorisedCheck CheckUncategorised(const QDate& closingDate, QWidget* parent = nullptr);

} // namespace counting
