#include "counting/ClosingDateTotals.h"

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

} // namespace counting
