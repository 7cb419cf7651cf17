#include "app/ListWorkbook.h"

#include "platform/Db.h"
#include "platform/XlsWriter.h"

#include <QSqlError>
#include <QSqlQuery>
#include <optional>

namespace listexport {

namespace {

// The rows of the SELECT, at most one past what a sheet holds; nothing when the query fails.
std::optional<xls::Table> readRows(const QString& selectSql, const QVariantList& args)
{
    if (!db::isOpen())
        return std::nullopt;
    QSqlQuery q(db::connection());
    q.setForwardOnly(true);
    if (!q.prepare(selectSql))
        return std::nullopt;
    for (const QVariant& a : args)
        q.addBindValue(a);
    if (!q.exec())
        return std::nullopt;
    xls::Table table = xls::tableFromQuery(q, xls::kMaxDataRows);
    if (q.lastError().isValid())   // a row that failed to step ends the list early
        return std::nullopt;
    return table;
}

} // namespace

QString productListSql(bool byKey)
{
    return byKey ? QStringLiteral("SELECT 仕入商品.品名 AS 品名, 仕入商品.単位 AS 単位, 仕入商品.単価 AS 単価 From 仕入商品  ORDER BY 仕入商品.品名ID ASC")
                 : QStringLiteral("SELECT 仕入商品.品名 AS 品名, 仕入商品.単位 AS 単位, 仕入商品.単価 AS 単価 From 仕入商品  ORDER BY 仕入商品.品名 ASC");
}

ListWrite writeList(const QString& selectSql, const QVariantList& args, const QString& file)
{
    const std::optional<xls::Table> table = readRows(selectSql, args);
    if (!table)
        return ListWrite::Failed;
    // A list cut at the sheet's last row would look complete; better none and say why.
    if (table->rows.size() > xls::kMaxDataRows)
        return ListWrite::TooManyRows;
    xls::XlsWriter writer;
    return writer.write(*table, file) ? ListWrite::Written : ListWrite::Failed;
}

} // namespace listexport
