#include "counting/CountLineStore.h"

#include "common/global.h"
#include "platform/Db.h"
#include "platform/VbFormat.h"

#include <QSqlQuery>

#include <algorithm>
#include <cmath>

namespace counting {

bool amountFits(double price, double quantity)
{
    return std::isfinite(price * quantity);
}

void deleteLine(qint64 id)
{
    db::exec(QStringLiteral("DELETE FROM 棚卸マスター WHERE ID = ?"), {QVariant::fromValue(id)});
}

namespace {
std::optional<qint64> findCategory(const QString& name)
{
    const QVariant c = db::scalar(
        QStringLiteral("SELECT 項目ID FROM 項目分類 WHERE 項目ID >= 1 AND (項目分類名 = ?) ORDER BY 項目ID"), {name});
    if (!c.isValid())
        return std::nullopt;
    return c.toLongLong();
}

qint64 addCategory(const QString& name)
{
    const qint64 key = global::KeyAfter(global::GetMaxKoumokuID());
    db::exec(QStringLiteral("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (?, ?)"), {QVariant::fromValue(key), name});
    return key;
}
} // namespace

qint64 registerCategory(const QString& name)
{
    // Leaving the category box looks the name up far more often than it adds one: only an
    // addition needs a transaction of its own.
    if (const std::optional<qint64> known = findCategory(name))
        return *known;
    if (db::inTransaction())
        return addCategory(name);
    db::Transaction tx;
    const qint64 key = addCategory(name);
    tx.commit();
    return key;
}

namespace {
// The condition selecting a list's lines, and its bound values.
QString listCondition(const LineList& list, QVariantList& args)
{
    args << db::isoDate(list.date);
    if (list.extraIds.isEmpty())
        return QStringLiteral("日付 = ?");
    QStringList marks;
    for (qint64 id : list.extraIds) {
        marks << QStringLiteral("?");
        args << QVariant::fromValue(id);
    }
    return QStringLiteral("(日付 = ? OR ID IN (%1))").arg(marks.join(','));
}

QList<QSqlRecord> readAll(QSqlQuery q)
{
    QList<QSqlRecord> rows;
    while (q.next())
        rows.append(q.record());
    return rows;
}
} // namespace

qint64 countLines(const LineList& list)
{
    QVariantList args;
    const QString where = listCondition(list, args);
    return db::scalar(QStringLiteral("SELECT COUNT(*) FROM 棚卸マスター WHERE ") + where, args).toLongLong();
}

QList<QSqlRecord> linesPage(const LineList& list, qint64 first, int count, qint64 listSize)
{
    if (first < 0 || count <= 0)
        return {};
    QVariantList args;
    const QString where = listCondition(list, args);
    // Skipping rows costs one index step each: read a page in the second half from the end.
    if (listSize >= 0 && first > listSize / 2) {
        const qint64 end = std::min(first + count, listSize);
        if (end <= first)
            return {};
        args << QVariant::fromValue(end - first) << QVariant::fromValue(listSize - end);
        QList<QSqlRecord> rows = readAll(db::exec(
            QStringLiteral("SELECT * FROM 棚卸マスター WHERE %1 ORDER BY ID DESC LIMIT ? OFFSET ?").arg(where), args));
        std::reverse(rows.begin(), rows.end());
        return rows;
    }
    args << count << QVariant::fromValue(first);
    return readAll(
        db::exec(QStringLiteral("SELECT * FROM 棚卸マスター WHERE %1 ORDER BY ID ASC LIMIT ? OFFSET ?").arg(where), args));
}

std::optional<QSqlRecord> lineRecord(qint64 id)
{
    QSqlQuery q = db::exec(QStringLiteral("SELECT * FROM 棚卸マスター WHERE ID = ?"), {QVariant::fromValue(id)});
    if (!q.next())
        return std::nullopt;
    return q.record();
}

DateTotals dateTotals(const QDate& closingDate)
{
    QSqlQuery q = db::exec(QStringLiteral("SELECT SUM(価格), COUNT(価格), COUNT(*) FROM 棚卸マスター WHERE 日付 = ?"),
                           {db::isoDate(closingDate)});
    DateTotals t;
    if (q.next()) {
        t.sum = q.value(0).isNull() ? 0.0 : q.value(0).toDouble();
        t.count = q.value(1).toLongLong();
        t.lines = q.value(2).toLongLong();
    }
    return t;
}

ChangeStamp changeStamp()
{
    ChangeStamp s;
    s.ownChanges = db::scalar(QStringLiteral("SELECT total_changes()")).toLongLong();
    s.dataVersion = db::scalar(QStringLiteral("PRAGMA data_version")).toLongLong();
    return s;
}

QList<QSqlRecord> productHistory(const QString& text, qint64 first, int count)
{
    if (first < 0 || count <= 0)
        return {};
    // Newest first in the order of the closing-date index read backwards: the first rows come
    // without sorting every matching line.
    return readAll(db::exec(QStringLiteral("SELECT 日付, 品名, 数量, 単位, 単価 FROM 棚卸マスター "
                                           "WHERE 品名 LIKE '%' || ? || '%' ORDER BY 日付 DESC, ID DESC LIMIT ? OFFSET ?"),
                            {text, count, QVariant::fromValue(first)}));
}

} // namespace counting
