#include "counting/EntryLine.h"

#include "app/global.h"
#include "counting/CountLineStore.h"
#include "platform/Db.h"

#include <cmath>

namespace counting {

namespace {
QVariant key(long k)
{
    return QVariant::fromValue<qlonglong>(k);
}
} // namespace

double lineAmount(double price, double quantity)
{
    const double amount = std::trunc(price * quantity);
    return amount == 0.0 ? 0.0 : amount;   // no negative zero for a small negative amount
}

long addEntryLine(const EntryLine& line)
{
    // A half-entered line would leave the product master out of step with the lines.
    db::Transaction tx;

    if (!db::scalar(QStringLiteral("SELECT 単位ID FROM 単位 WHERE (単位 = ?)"), {line.unit}).isValid()) {
        const long unitKey = global::NextKey(QStringLiteral("単位"), QStringLiteral("単位ID"));
        db::exec(QStringLiteral("INSERT INTO 単位 (単位ID, 単位) VALUES (?, ?)"), {key(unitKey), line.unit});
    }

    // The product master carries the price and unit of the last line entered for the product.
    long productKey = 0;
    const QVariant found =
        db::scalar(QStringLiteral("SELECT 品名ID FROM 仕入商品 WHERE (品名 = ?) ORDER BY 品名ID"), {line.product});
    if (found.isValid()) {
        productKey = static_cast<long>(found.toLongLong());
        db::exec(QStringLiteral("UPDATE 仕入商品 SET 単価 = ?, 単位 = ? WHERE 品名ID = ?"),
                 {line.price, line.unit, key(productKey)});
    } else {
        productKey = global::NextKey(QStringLiteral("仕入商品"), QStringLiteral("品名ID"));
        db::exec(QStringLiteral("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (?, ?, ?, ?)"),
                 {key(productKey), line.product, line.price, line.unit});
    }

    // Row 0 is never looked up by name: "未区分" typed is a category of its own.
    const qint64 categoryKey = line.category.isEmpty() ? 0 : registerCategory(line.category);

    const long lineId = global::GetMaxTanaID() + 1;
    db::exec(QStringLiteral("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単位, 単価, 価格, 備考, 品名ID, 備考1) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {key(lineId), db::isoDate(line.date), key(categoryKey), line.product, line.quantity, line.unit,
              line.price, lineAmount(line.price, line.quantity), line.memo, key(productKey),
              line.price == 0.0 ? QVariant(QStringLiteral("単価未入力")) : QVariant()});
    tx.commit();
    return lineId;
}

} // namespace counting
