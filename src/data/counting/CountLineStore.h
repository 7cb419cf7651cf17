#pragma once
// The count lines and the masters they register, as both count windows change them: no widget
// here, every change in one transaction, every value bound. The windows gather input, call these,
// and show the outcome.
//
// Reading is done in pages: a window asks for the rows it shows, each page is read by one
// statement run to its end, so no read statement stays open on the shared connection between
// two calls (writes, commits and closing the file are never held up by a grid).
#include <QDate>
#include <QList>
#include <QSqlRecord>
#include <QString>
#include <optional>

namespace counting {

// True when price × quantity is a finite amount (so the line can be stored and summed).
bool amountFits(double price, double quantity);

// Deletes the line with this stored key. Throws db::DbError.
void deleteLine(qint64 id);

// The key of the category with this name (row 0 is never matched by name), registering it when
// it is new. Runs inside the caller's transaction when there is one, else in its own.
// Throws db::DbError (global::KeyRangeError when the keys are used up).
qint64 registerCategory(const QString& name);

// The lines the entry window lists: every line of one closing date, plus lines named by key
// (entered under another date while the list was open), in key order. New keys are always the
// highest, so a line just entered is the last of the list.
struct LineList {
    QDate date;
    QList<qint64> extraIds;
};
// How many lines the list holds (one indexed count). Throws db::DbError.
qint64 countLines(const LineList& list);
// Whole rows of 棚卸マスター, positions first .. first + count - 1 of the list. Given the list's
// size, a page near the end is read backwards from the end, so the newest lines cost as little
// as the first ones. Throws db::DbError.
QList<QSqlRecord> linesPage(const LineList& list, qint64 first, int count, qint64 listSize = -1);

// The whole row of 棚卸マスター with this key; nothing when there is no such line. Throws db::DbError.
std::optional<QSqlRecord> lineRecord(qint64 id);

// The amounts of a closing date's lines (one indexed sum) and how many have an amount: what the
// totals line shows; and, from the same pass, how many lines the date has. Throws db::DbError.
struct DateTotals {
    double sum = 0;
    qint64 count = 0;
    qint64 lines = 0;
};
DateTotals dateTotals(const QDate& closingDate);

// Tells whether anything was written to the open file since the stamp was taken: by this
// connection (rows changed) or by any other (the file's data version). A window that keeps rows
// or sums it read itself can take them as current while the stamp is unchanged.
struct ChangeStamp {
    qint64 ownChanges = -1;
    qint64 dataVersion = -1;
    bool operator==(const ChangeStamp&) const = default;
};
ChangeStamp changeStamp();

// Earlier counts of a product: lines of every closing date whose product name contains the text
// (the text's % and _ stay wildcards), newest closing date first and, within a date, the line
// entered last first. Fields 日付, 品名, 数量, 単位, 単価. Throws db::DbError.
QList<QSqlRecord> productHistory(const QString& text, qint64 first, int count);

} // namespace counting
