#include "counting/OrphanCheck.h"

#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"

#include <QSqlQuery>

namespace counting {

const QString kAskOrphanCategory =
    QStringLiteral("表示された棚卸は、項目/分類が設定されていません。項目IDを「０」に変更しますか？");
const QString kAskOrphanKoumokuList =
    QStringLiteral("表示された棚卸は、項目/分類情報が設定されていません。項目IDを「０」に変更しますか？");
const QString kAskUncategorised =
    QStringLiteral("項目/分類が登録された項目に属さない棚卸かあります。項目/分類を「未区分」に変更しますか？");

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

void ListOrphanKoumoku(const QDate& closingDate, const ShowLines& show, QWidget* parent)
{
    pointer::hourglass();
    int marked = -1;
    if (tryMarkOrphans(closingDate, OrphanKey::Category))
        marked = tryKeepMarkedLines(closingDate);
    // The lines set aside stay listed after the repair, then with 項目ID 0.
    const LineQuery lines = marked > 0 ? keptLines() : marked == 0 ? markedLines(closingDate) : noLines();
    if (show)
        show(lines);
    if (marked > 0) {
        pointer::reset();
        if (dlg::Question(kAskOrphanKoumokuList, parent) == dlg::vbYes) {
            tryRepairMarked(closingDate);
            if (show)
                show(lines);
        }
    }
    pointer::reset();
}

void ListOrphanShohin(const QDate& closingDate, const ShowLines& show)
{
    pointer::hourglass();
    const LineQuery lines = tryMarkOrphans(closingDate, OrphanKey::Product) ? markedLines(closingDate) : noLines();
    if (show)
        show(lines);
    pointer::reset();
}

UncategorisedCheck CheckUncategorised(const QDate& closingDate, QWidget* parent)
{
    UncategorisedCheck result;
    if (!tryMarkOrphans(closingDate, OrphanKey::Category))
        return result;
    try {
        result.linesMarked = hasMarkedLines(closingDate);
    } catch (const std::exception&) {
        return result;
    }
    if (!result.linesMarked) {
        result.mayPrint = true;
        return result;
    }
    if (dlg::Question(kAskUncategorised, parent) == dlg::vbYes) {
        tryRepairMarked(closingDate);
        result.mayPrint = true;
    }
    return result;
}

} // namespace counting
