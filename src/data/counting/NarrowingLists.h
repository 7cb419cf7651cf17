#pragma once
// The queries behind the count windows' narrowing lists: the category, product and unit lists that
// shrink to the rows containing the typed text. No widget here; counting::narrow in the windows'
// CountWindowRules runs them on a list box.
#include <QString>

namespace counting {

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
