#pragma once
// The totals line the count windows show at their foot: how many lines a closing date holds and
// what they add up to. No widget here; counting::ShowTotal in the windows' CountWindowRules puts
// it into a box.
#include <QDate>
#include <QString>

namespace counting {

// "Max Record <count>   Total <sum as #,##0>" for the lines of the date. A date without lines
// reads "Max Record 0   Total 0". Throws db::DbError.
QString totalsText(const QDate& closingDate);
// The same text for a sum and count already read.
QString totalsText(double sum, long long count);

} // namespace counting
