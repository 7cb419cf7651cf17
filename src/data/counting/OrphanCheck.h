#pragma once
// Count lines whose category or product was deleted from its master ("orphan lines").
// One marking pass sets the work flag 区分調整 on every line of a closing date: 1 when no master
// row carries the line's key (an empty key included), 0 otherwise. Lines of other dates are never
// touched. The functions here report what they found; the windows ask the user whether to move
// the marked lines to category 0 (未区分).
#include "counting/CountLineQueries.h"

#include <QDate>
#include <QList>
#include <QString>

namespace counting {

enum class OrphanKey {
    Category,   // 項目ID against 項目分類
    Product,    // 品名ID against 仕入商品
};

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

// What the summary list's category mode found: the date's lines marked against the categories,
// set aside so that they stay listed after a repair (or the marked lines themselves when there
// are none), and how many there are. A failing database gives no lines and -1.
struct OrphanListing {
    LineQuery lines = noLines();
    int marked = -1;
};
OrphanListing findOrphanCategories(const QDate& closingDate);
// What the summary list's product mode found: the date's lines marked against the products; no
// lines when the database fails. No key is changed, so the lines stay marked.
LineQuery findOrphanProducts(const QDate& closingDate);

// What the check before printing all categories found: checked is false when the database
// failed (then nothing is known); linesMarked tells whether lines of the date belong to no
// category.
struct UncategorisedFinding {
    bool checked = false;
    bool linesMarked = false;
};
UncategorisedFinding findUncategorised(const QDate& closingDate);

} // namespace counting
