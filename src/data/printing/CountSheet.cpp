#include "printing/CountSheet.h"

#include "platform/Db.h"
#include "printing/SheetQuery.h"

#include <QSqlError>
#include <algorithm>
#include <cmath>

namespace printing {

const QString kNoCategoryChosen = QStringLiteral("項目/分類名が選択されていません。");
const QString kMissingOutput =
    QStringLiteral("出力した棚卸表に出力漏れがあります。棚卸表「項目ID」の修正を行ってください。");

bool totalsDiffer(double printedTotal, double databaseTotal)
{
    if (!std::isfinite(printedTotal) || !std::isfinite(databaseTotal))
        return printedTotal != databaseTotal;
    // The sheet adds the amounts category by category, the database in its own order: the two may
    // differ in the last bits. Half a sen is far below anything a sheet shows.
    const double scale = std::max(std::fabs(printedTotal), std::fabs(databaseTotal));
    return std::fabs(printedTotal - databaseTotal) > std::max(0.005, scale * 1e-13);
}

QSqlQuery streamQuery(const QString& sql, const QVariantList& args)
{
    if (!db::isOpen())
        throw db::DbError(QStringLiteral("no database file is open"));
    QSqlQuery q(db::connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw db::failure(q.lastError(), sql);
    for (const QVariant& a : args)
        q.addBindValue(a);
    if (!q.exec())
        throw db::failure(q.lastError(), sql);
    return q;
}

void throwIfFailed(const QSqlQuery& query)
{
    if (query.lastError().isValid())
        throw db::failure(query.lastError(), query.lastQuery());
}

QSqlQuery categoriesToPrint(bool allCategories, qint64 categoryId)
{
    if (allCategories)
        return streamQuery(QStringLiteral("SELECT 項目ID, 項目分類名 FROM 項目分類 WHERE 項目ID >= 1 ORDER BY 項目ID"));
    return streamQuery(QStringLiteral("SELECT 項目ID, 項目分類名 FROM 項目分類 WHERE 項目ID = ?"), {categoryId});
}

QSqlQuery linesOfCategory(const QDate& date, const QVariant& categoryId)
{
    return streamQuery(QStringLiteral("SELECT 品名, 数量, 単位, 単価, 価格, 備考 FROM 棚卸マスター "
                                      "WHERE 日付 = ? AND 項目ID = ? ORDER BY 日付 ASC, ID ASC"),
                       {db::isoDate(date), categoryId});
}

} // namespace printing
