#include "masters/MasterData.h"

#include "common/global.h"
#include "platform/Db.h"

namespace masters {

const MasterTable& products()
{
    static const MasterTable t{Kind::Products, QStringLiteral("仕入商品"), QStringLiteral("品名ID"),
                               QStringLiteral("品名")};
    return t;
}

const MasterTable& categories()
{
    static const MasterTable t{Kind::Categories, QStringLiteral("項目分類"), QStringLiteral("項目ID"),
                               QStringLiteral("項目分類名")};
    return t;
}

const MasterTable& units()
{
    static const MasterTable t{Kind::Units, QStringLiteral("単位"), QStringLiteral("単位ID"), QStringLiteral("単位")};
    return t;
}

QString selectSql(const MasterTable& t, Order order)
{
    switch (t.kind) {
    case Kind::Products:
        return order == Order::ByKey ? QStringLiteral("SELECT * FROM 仕入商品 ORDER BY 品名ID ASC")
                                     : QStringLiteral("SELECT * FROM 仕入商品 ORDER BY 品名 ASC");
    case Kind::Categories:
        return QStringLiteral("SELECT * FROM 項目分類 Where 項目ID >= 1 ORDER BY 項目ID ASC");
    case Kind::Units:
        break;
    }
    return QStringLiteral("SELECT * FROM 単位");
}

qint64 nextKey(const MasterTable& t)
{
    switch (t.kind) {
    case Kind::Products:
        return global::KeyAfter(global::GetMaxShohinID());
    case Kind::Categories:
        return global::KeyAfter(global::GetMaxKoumokuID());
    case Kind::Units:
        break;
    }
    return global::KeyAfter(global::GetMaxTaniID());
}

qint64 addRow(const MasterTable& t)
{
    db::Transaction tx;
    const qint64 key = nextKey(t);
    // Table and field names are the program's own constants; the key is bound.
    db::exec(QStringLiteral("INSERT INTO \"%1\" (\"%2\") VALUES (?)").arg(t.table, t.keyField), {key});
    tx.commit();
    return key;
}

bool deleteRow(const MasterTable& t, qint64 key)
{
    if (t.kind == Kind::Categories && key == 0)
        return false;
    db::Transaction tx;
    const QSqlQuery q = db::exec(QStringLiteral("DELETE FROM \"%1\" WHERE \"%2\" = ?").arg(t.table, t.keyField), {key});
    const bool deleted = q.numRowsAffected() > 0;
    tx.commit();
    return deleted;
}

} // namespace masters
