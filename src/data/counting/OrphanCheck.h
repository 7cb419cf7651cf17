#pragma once
// Count lines whose category or product was deleted from its master ("orphan lines").
// One marking pass sets the work flag 区分調整 on every line of a closing date: 1 when no master
// row carries the line's key (an empty key included), 0 otherwise. Lines of other dates are never
// touched. The category windows then offer to move the marked lines to category 0 (未区分).
#include "counting/CountLineQueries.h"

#include <QDate>
#include <QList>
#include <QString>
#include <functional>

class QWidget;

namespace counting {

enum class OrphanKey {
    Category,   // 項目ID against 項目分類
    Product,    // 品名ID against 仕入商品
};

// The questions, word for word as users know them.
extern const QString kAskOrphanCategory;      // correction window, at each activation
extern const QString kAskOrphanKoumokuList;   // summary list, category mode
extern const QString kAskUncategorised;       // count-sheet print dialog, before printing

// The marking pass for one closing date, in one transaction. Only the marks that change are
// written, so a check that finds what the last one found writes nothing. Throws db::DbError.
void markOrphans(const QDate& closingDate, OrphanKey key);
// The IDs of the date's marked lines, ascending. Throws db::DbError.
QList<qint64> markedLineIds(const QDate& closingDate);
// True when a line of the date is marked. Throws db::DbError.
bool hasMarkedLines(const QDate& closingDate);
// Moves the date's marked lines to 未区分 (項目ID 0) and clears their mark, in one transaction.
// Throws db::DbError.
void repairMarked(const QDate& closingDate);

// The date's marked lines, as a selection for a grid.
LineQuery markedLines(const QDate& closingDate);
// Sets the date's marked lines aside on the open connection, so that a grid can go on listing the
// same lines after the repair cleared their marks; returns how many there are. One set is kept at
// a time (the windows that list it are modal); a date without marked lines leaves the set as it
// was. Throws db::DbError.
int keepMarkedLines(const QDate& closingDate);
// The lines last set aside by keepMarkedLines.
LineQuery keptLines();

// The same steps, silent: a failing step is passed over (false, or -1 lines).
bool tryMarkOrphans(const QDate& closingDate, OrphanKey key);
int tryKeepMarkedLines(const QDate& closingDate);
bool tryRepairMarked(const QDate& closingDate);

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
