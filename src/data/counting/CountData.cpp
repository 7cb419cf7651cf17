#include "counting/CountData.h"

#include "platform/Db.h"
#include "platform/VbFormat.h"

#include <QSqlQuery>

namespace counting {

QString totalsText(const QDate& closingDate)
{
    QSqlQuery q = db::exec(QStringLiteral("SELECT SUM(価格) AS 合計, COUNT(価格) AS 件数 FROM 棚卸マスター WHERE 日付 = ?"),
                           {db::isoDate(closingDate)});
    q.next();
    const double sum = q.value(0).isNull() ? 0.0 : q.value(0).toDouble();
    return totalsText(sum, q.value(1).toLongLong());
}

QString totalsText(double sum, long long count)
{
    return QStringLiteral("Max Record ") + QString::number(count) + QStringLiteral("   Total ") + vb::formatNumber(sum);
}

NarrowQuery narrowQuery(NarrowList list)
{
    switch (list) {
    case NarrowList::EntryCategory:
        return {QStringLiteral("SELECT * FROM 項目分類 WHERE 項目ID >= 1 AND (項目分類名 LIKE '%' || ? || '%') ORDER BY 項目ID"),
                QStringLiteral("項目分類名"), QStringLiteral("項目ID")};
    case NarrowList::CorrectionCategory:
    case NarrowList::DialogCategory:
        return {QStringLiteral("SELECT * FROM 項目分類 WHERE (項目分類名 LIKE '%' || ? || '%') ORDER BY 項目ID"),
                QStringLiteral("項目分類名"), QStringLiteral("項目ID")};
    case NarrowList::EntryProduct:
    case NarrowList::CorrectionProduct:
        return {QStringLiteral("SELECT * FROM 仕入商品 WHERE (品名 LIKE '%' || ? || '%') ORDER BY 品名 ASC"),
                QStringLiteral("品名"), QStringLiteral("品名ID")};
    case NarrowList::EntryUnit:
        return {QStringLiteral("SELECT * FROM 単位 WHERE (単位 LIKE '%' || ? || '%') ORDER BY 単位 ASC"),
                QStringLiteral("単位"), QStringLiteral("単位ID")};
    }
    return {};
}

} // namespace counting
