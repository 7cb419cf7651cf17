#pragma once
// The import tests set, save and read mappings through two arrays shared by both kinds of import,
// entry i (from 1) holding field i's heading and column text; the functions on them are built on
// importer::Mapping, the value the program hands around.
#include "import/ImportFile.h"
#include "import/Mapping.h"

#include <QString>
#include <array>

namespace global {
inline std::array<QString, 1001> ImportFieldNames;
inline std::array<QString, 1001> ImportFieldColumns;
} // namespace global

namespace importer {

// The arrays' mapping of a kind. A field set since the arrays were cleared has a column text
// ("0" for none); a field not set reads what the kind's mapping file holds, as a mapping window
// opened before showed it.
inline Mapping arraysMapping(Kind kind)
{
    Mapping fromFile = readMapping(kind).value_or(Mapping(kind));
    QList<Pair> pairs;
    for (int i = 1; i <= fromFile.fieldCount(); ++i) {
        if (global::ImportFieldColumns[i].isEmpty())
            pairs.append({fromFile.heading(i), fromFile.columnText(i)});
        else
            pairs.append({global::ImportFieldNames[i], global::ImportFieldColumns[i]});
    }
    return Mapping(kind, pairs);
}

inline bool loadMapping(Kind kind)
{
    const std::optional<Mapping> m = readMapping(kind);
    if (!m)
        return false;
    for (int i = 1; i <= m->fieldCount(); ++i) {
        global::ImportFieldNames[i] = m->heading(i);
        global::ImportFieldColumns[i] = m->columnText(i);
    }
    return true;
}

inline bool saveMapping(Kind kind)
{
    return saveMapping(arraysMapping(kind));
}

inline QList<int> fieldColumns(Kind kind)
{
    return arraysMapping(kind).columns();
}

inline void assignField(int field, const QString& heading, int column)
{
    if (field < 1 || field > kMaxCells)
        return;
    global::ImportFieldNames[field] = heading;
    global::ImportFieldColumns[field] = QString::number(column);
}

inline void clearField(int field)
{
    if (field < 1 || field > kMaxCells)
        return;
    global::ImportFieldNames[field].clear();
    global::ImportFieldColumns[field] = QStringLiteral("0");
}

} // namespace importer
