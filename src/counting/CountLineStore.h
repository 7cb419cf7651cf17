#pragma once
// The count lines and the masters they register, as both count windows change them: no widget
// here, every change in one transaction, every value bound. The windows gather input, call these,
// and show the outcome.
#include <QDate>
#include <QString>
#include <optional>

namespace counting {

// A quantity, unit price or amount as the user types it (the system's number form, grouped
// digits, full-width digits): a finite number, or nothing when the text is no number or its
// value would not fit a Double field.
std::optional<double> readCountNumber(const QString& text);
// True when price × quantity is a finite amount (so the line can be stored and summed).
bool amountFits(double price, double quantity);

// Deletes the line with this stored key. Throws db::DbError.
void deleteLine(qint64 id);

// The key of the category with this name (row 0 is never matched by name), registering it when
// it is new. Runs inside the caller's transaction when there is one, else in its own.
// Throws db::DbError (global::KeyRangeError when the keys are used up).
qint64 registerCategory(const QString& name);

} // namespace counting
