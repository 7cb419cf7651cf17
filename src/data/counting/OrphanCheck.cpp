#include "counting/OrphanCheck.h"

#include "platform/Db.h"

#include <QSqlQuery>

namespace counting {

namespace {
const QString kKeptTable = QStringLiteral("temp.区分調整表示");
}

void markOrphans(const QDate& closingDate, OrphanKey key)
{
    // Every line of the date is recomputed, so a mark left by the other key's check is overwritten;
    // a line whose mark is already right is not written again. An empty key matches no master row
    // and is marked.
    const QString found = key == OrphanKey::Category
        ? QStringLiteral("(NOT EXISTS (SELECT 1 FROM 項目分類 k WHERE k.項目ID = 棚卸マスター.項目ID))")
        : QStringLiteral("(NOT EXISTS (SELECT 1 FROM 仕入商品 s WHERE s.品名ID = 棚卸マスター.品名ID))");
    db::Transaction tx;
    db::exec(QStringLiteral("UPDATE 棚卸マスター SET 区分調整 = %1 WHERE 日付 = ? AND 区分調整 IS NOT %1").arg(found),
             {db::isoDate(closingDate)});
    tx.commit();
}

QList<qint64> markedLineIds(const QDate& closingDate)
{
    const LineQuery lines = markedLines(closingDate);
    QList<qint64> ids;
    QSqlQuery q = db::exec(QStringLiteral("SELECT ID FROM 棚卸マスター WHERE %1 ORDER BY ID ASC").arg(lines.where), lines.args);
    while (q.next())
        ids.append(q.value(0).toLongLong());
    return ids;
}

bool hasMarkedLines(const QDate& closingDate)
{
    return db::scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM 棚卸マスター WHERE 日付 = ? AND 区分調整 = 1)"),
                      {db::isoDate(closingDate)})
        .toBool();
}

void repairMarked(const QDate& closingDate)
{
    db::Transaction tx;
    db::exec(QStringLiteral("UPDATE 棚卸マスター SET 項目ID = 0, 区分調整 = 0 WHERE 日付 = ? AND 区分調整 = 1"),
             {db::isoDate(closingDate)});
    tx.commit();
}

LineQuery markedLines(const QDate& closingDate)
{
    return {QStringLiteral("日付 = ? AND 区分調整 = 1"), {db::isoDate(closingDate)}};
}

int keepMarkedLines(const QDate& closingDate)
{
    // A date without marked lines leaves the set as it was: a grid may still be listing it.
    if (!hasMarkedLines(closingDate))
        return 0;
    // A temporary table lives with the connection and is never written to the file.
    db::exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS 区分調整表示 (ID INTEGER PRIMARY KEY)"));
    db::Transaction tx;
    db::exec(QStringLiteral("DELETE FROM %1").arg(kKeptTable));
    QSqlQuery q = db::exec(
        QStringLiteral("INSERT INTO %1 (ID) SELECT ID FROM 棚卸マスター WHERE 日付 = ? AND 区分調整 = 1").arg(kKeptTable),
        {db::isoDate(closingDate)});
    const int n = q.numRowsAffected();
    tx.commit();
    return n;
}

LineQuery keptLines()
{
    return {QStringLiteral("ID IN (SELECT ID FROM %1)").arg(kKeptTable), {}};
}

bool tryMarkOrphans(const QDate& closingDate, OrphanKey key)
{
    try {
        markOrphans(closingDate, key);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int tryKeepMarkedLines(const QDate& closingDate)
{
    try {
        return keepMarkedLines(closingDate);
    } catch (const std::exception&) {
        return -1;
    }
}

bool tryRepairMarked(const QDate& closingDate)
{
    try {
        repairMarked(closingDate);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

OrphanListing findOrphanCategories(const QDate& closingDate)
{
    OrphanListing found;
    if (tryMarkOrphans(closingDate, OrphanKey::Category))
        found.marked = tryKeepMarkedLines(closingDate);
    // The lines set aside stay listed after the repair, then with 項目ID 0.
    found.lines = found.marked > 0 ? keptLines() : found.marked == 0 ? markedLines(closingDate) : noLines();
    return found;
}

LineQuery findOrphanProducts(const QDate& closingDate)
{
    return tryMarkOrphans(closingDate, OrphanKey::Product) ? markedLines(closingDate) : noLines();
}

UncategorisedFinding findUncategorised(const QDate& closingDate)
{
    UncategorisedFinding found;
    if (!tryMarkOrphans(closingDate, OrphanKey::Category))
        return found;
    try {
        found.linesMarked = hasMarkedLines(closingDate);
    } catch (const std::exception&) {
        return found;
    }
    found.checked = true;
    return found;
}

} // namespace counting
