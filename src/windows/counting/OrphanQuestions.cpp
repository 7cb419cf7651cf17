#include "counting/OrphanQuestions.h"

#include "platform/Cursor.h"
#include "platform/Dialogs.h"

namespace counting {

const QString kAskOrphanCategory =
    QStringLiteral("表示された棚卸は、項目/分類が設定されていません。項目IDを「０」に変更しますか？");
const QString kAskOrphanKoumokuList =
    QStringLiteral("表示された棚卸は、項目/分類情報が設定されていません。項目IDを「０」に変更しますか？");
const QString kAskUncategorised =
    QStringLiteral("項目/分類が登録された項目に属さない棚卸かあります。項目/分類を「未区分」に変更しますか？");

void ListOrphanKoumoku(const QDate& closingDate, const ShowLines& show, QWidget* parent)
{
    pointer::hourglass();
    const OrphanListing found = findOrphanCategories(closingDate);
    if (show)
        show(found.lines);
    if (found.marked > 0) {
        pointer::reset();
        if (dlg::Question(kAskOrphanKoumokuList, parent) == dlg::vbYes) {
            tryRepairMarked(closingDate);
            if (show)
                show(found.lines);
        }
    }
    pointer::reset();
}

void ListOrphanShohin(const QDate& closingDate, const ShowLines& show)
{
    pointer::hourglass();
    const LineQuery lines = findOrphanProducts(closingDate);
    if (show)
        show(lines);
    pointer::reset();
}

UncategorisedCheck CheckUncategorised(const QDate& closingDate, QWidget* parent)
{
    UncategorisedCheck result;
    const UncategorisedFinding found = findUncategorised(closingDate);
    if (!found.checked)
        return result;
    result.linesMarked = found.linesMarked;
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
