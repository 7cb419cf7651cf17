#pragma once
// The data side of the count windows' shared rules: the totals line of a closing date and the
// queries behind the narrowing lists. No widget here; the window helpers in CountRules use these.
#include <QDate>
#include <QString>

namespace counting {

// "Max Record <count>   Total <sum as #,##0>" for the lines of the date. A date without lines
// reads "Max Record 0   Total 0". Throws db::DbError.
QString totalsText(const QDate& closingDate);
// The same text for a sum and count already read.
QString totalsText(double sum, long long count);

// The narrowing lists: each lists the rows whose name contains the typed text (the user's % and _
// stay wildcards).
enum class NarrowList {
    EntryCategory,       // categories without row 0, by key
    EntryProduct,        // products by name
    EntryUnit,           // units by name
    CorrectionCategory,  // categories with row 0, by key
    CorrectionProduct,   // products by name
    DialogCategory,      // print dialogs: categories with row 0, by key
};

// The query of a narrowing list (one bound value: the typed text), the field it lists and the
// field its key box shows.
struct NarrowQuery {
    QString sql;
    QString listField;
    QString boundField;
};
NarrowQuery narrowQuery(NarrowList list);

} // namespace counting
