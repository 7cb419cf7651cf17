#pragma once
// Reading count lines for a sheet: one statement, values bound, rows fetched one at a time as the
// pages are drawn (never the whole result in memory).
#include <QDate>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace printing {

// Prepares and runs a forward-only query on the shared connection. Throws db::DbError.
QSqlQuery streamQuery(const QString& sql, const QVariantList& args = {});
// Throws db::DbError when the query stopped on an error rather than at its end.
void throwIfFailed(const QSqlQuery& query);

// The categories a sheet prints, as (項目ID, 項目分類名): every category but 未区分 in key order,
// or only the chosen one (which may be 未区分 itself). Throws db::DbError.
QSqlQuery categoriesToPrint(bool allCategories, qint64 categoryId);
// The count lines of a date in one category in entry order, as (品名, 数量, 単位, 単価, 価格, 備考).
// Throws db::DbError.
QSqlQuery linesOfCategory(const QDate& date, const QVariant& categoryId);

// A field's number, or no value for Null.
inline bool hasValue(const QVariant& v)
{
    return !v.isNull() && v.isValid();
}
inline double numberOr0(const QVariant& v)
{
    return hasValue(v) ? v.toDouble() : 0.0;
}

} // namespace printing
