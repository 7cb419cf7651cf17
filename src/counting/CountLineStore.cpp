#include "counting/CountLineStore.h"

#include "app/global.h"
#include "platform/Db.h"
#include "platform/VbFormat.h"

#include <cmath>
#include <limits>

namespace counting {

std::optional<double> readCountNumber(const QString& text)
{
    // Full-width digits and signs come from the input method; they mean the same number.
    QString t = text;
    for (QChar& c : t) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            c = QChar(u - 0xFF10 + '0');
        else if (u == 0xFF0C)
            c = QLatin1Char(',');
        else if (u == 0xFF0E)
            c = QLatin1Char('.');
        else if (u == 0xFF0D || u == 0x2212)
            c = QLatin1Char('-');
        else if (u == 0xFF0B)
            c = QLatin1Char('+');
    }
    const std::optional<double> v = vb::parseNumber(t);
    if (!v || !std::isfinite(*v) || std::fabs(*v) > std::numeric_limits<double>::max())
        return std::nullopt;
    return v;
}

bool amountFits(double price, double quantity)
{
    return std::isfinite(price * quantity);
}

void deleteLine(qint64 id)
{
    db::exec(QStringLiteral("DELETE FROM 棚卸マスター WHERE ID = ?"), {QVariant::fromValue(id)});
}

namespace {
qint64 findOrAddCategory(const QString& name)
{
    const QVariant c = db::scalar(
        QStringLiteral("SELECT 項目ID FROM 項目分類 WHERE 項目ID >= 1 AND (項目分類名 = ?) ORDER BY 項目ID"), {name});
    if (c.isValid())
        return c.toLongLong();
    const qint64 key = global::NextKey(QStringLiteral("項目分類"), QStringLiteral("項目ID"));
    db::exec(QStringLiteral("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (?, ?)"), {QVariant::fromValue(key), name});
    return key;
}
} // namespace

qint64 registerCategory(const QString& name)
{
    if (db::inTransaction())
        return findOrAddCategory(name);
    db::Transaction tx;
    const qint64 key = findOrAddCategory(name);
    tx.commit();
    return key;
}

} // namespace counting
