#include "counting/OrphanCheck.h"

#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"

#include <QSqlQuery>
#include <QStringList>

namespace counting {

const QString kAskOrphanCategory =
    QStringLiteral("表示された棚卸は、項目/分類が設定されていません。項目IDを「０」に変更しますか？");
const QString kAskOrphanKoumokuList =
    QStringLiteral("表示された棚卸は、項目/分類情報が設定されていません。項目IDを「０」に変更しますか？");
const QString kAskUncategorised =
    QStringLiteral("項目/分類が登録された項目に属さない棚卸かあります。項目/分類を「未区分」に変更しますか？");

void markOrphans(const QDate& closingDate, OrphanKey key)
{
    // Every line of the date is recomputed, so a mark left by the other key's check is overwritten.
    // An empty key matches no master row and is marked.
    const QString sql = key == OrphanKey::Category
        ? QStringLiteral("UPDATE 棚卸マスター SET 区分調整 = CASE WHEN EXISTS "
                         "(SELECT 1 FROM 項目分類 k WHERE k.項目ID = 棚卸マスター.項目ID) THEN 0 ELSE 1 END "
                         "WHERE 日付 = ?")
        : QStringLiteral("UPDATE 棚卸マスター SET 区分調整 = CASE WHEN EXISTS "
                         "(SELECT 1 FROM 仕入商品 s WHERE s.品名ID = 棚卸マスター.品名ID) THEN 0 ELSE 1 END "
                         "WHERE 日付 = ?");
    db::Transaction tx;
    db::exec(sql, {db::isoDate(closingDate)});
    tx.commit();
}

QList<qint64> markedLineIds(const QDate& closingDate)
{
    QList<qint64> ids;
    QSqlQuery q = db::exec(QStringLiteral("SELECT ID FROM 棚卸マスター WHERE 日付 = ? AND 区分調整 = 1 ORDER BY ID ASC"),
                           {db::isoDate(closingDate)});
    while (q.next())
        ids.append(q.value(0).toLongLong());
    return ids;
}

void repairMarked(const QDate& closingDate)
{
    db::Transaction tx;
    db::exec(QStringLiteral("UPDATE 棚卸マスター SET 項目ID = 0, 区分調整 = 0 WHERE 日付 = ? AND 区分調整 = 1"),
             {db::isoDate(closingDate)});
    tx.commit();
}

QString dateFilter(const QDate& closingDate)
{
    // The ISO form holds digits and dashes only, so it may stand in the filter text.
    return QStringLiteral("日付 = '%1'").arg(db::isoDate(closingDate));
}

QString markedLinesFilter(const QDate& closingDate)
{
    return dateFilter(closingDate) + QStringLiteral(" AND 区分調整 = 1");
}

QString idFilter(const QList<qint64>& ids)
{
    if (ids.isEmpty())
        return QStringLiteral("0 = 1");
    QStringList parts;
    parts.reserve(ids.size());
    for (qint64 id : ids)
        parts.append(QString::number(id));
    return QStringLiteral("ID IN (%1)").arg(parts.join(QLatin1Char(',')));
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

QList<qint64> tryMarkedLineIds(const QDate& closingDate)
{
    try {
        return markedLineIds(closingDate);
    } catch (const std::exception&) {
        return {};
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
    QList<qint64> marked;
    if (tryMarkOrphans(closingDate, OrphanKey::Category))
        marked = tryMarkedLineIds(closingDate);
    // The lines are named by ID, so after the repair the same lines stay listed.
    const QString filter = idFilter(marked);
    if (show)
        show(filter);
    if (!marked.isEmpty()) {
        pointer::reset();
        if (dlg::Question(kAskOrphanKoumokuList, parent) == dlg::vbYes) {
            tryRepairMarked(closingDate);
            if (show)
                show(filter);
        }
    }
    pointer::reset();
}

void ListOrphanShohin(const QDate& closingDate, const ShowLines& show)
{
    pointer::hourglass();
    QList<qint64> marked;
    if (tryMarkOrphans(closingDate, OrphanKey::Product))
        marked = tryMarkedLineIds(closingDate);
    if (show)
        show(idFilter(marked));
    pointer::reset();
}

UncategorisedCheck CheckUncategorised(const QDate& closingDate, QWidget* parent)
{
    UncategorisedCheck result;
    if (!tryMarkOrphans(closingDate, OrphanKey::Category))
        return result;
    QList<qint64> marked;
    try {
        marked = markedLineIds(closingDate);
    } catch (const std::exception&) {
        return result;
    }
    result.linesMarked = !marked.isEmpty();
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
