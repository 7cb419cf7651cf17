#include "counting/CountRules.h"

#include "app/Settings.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/VbFormat.h"

#include <QLineEdit>
#include <QSqlQuery>
#include <QWidget>

namespace counting {

QString totalsText(const QDate& closingDate)
{
    QSqlQuery q = db::exec(QStringLiteral("SELECT SUM(価格) AS 合計, COUNT(価格) AS 件数 FROM 棚卸マスター WHERE 日付 = ?"),
                           {db::isoDate(closingDate)});
    q.next();
    const double sum = q.value(0).isNull() ? 0.0 : q.value(0).toDouble();
    const long long count = q.value(1).toLongLong();
    return QStringLiteral("Max Record ") + QString::number(count) + QStringLiteral("   Total ") + vb::formatNumber(sum);
}

void ShowTotal(QLineEdit* box, const QDate& closingDate)
{
    try {
        box->setText(totalsText(closingDate));
    } catch (const std::exception&) {
        // The totals line is a convenience: it keeps its previous text.
    }
}

bool narrow(DataCombo* combo, NarrowList list)
{
    const QVariantList args{combo->text()};
    switch (list) {
    case NarrowList::EntryCategory:
        return combo->setRowSource(QStringLiteral("SELECT * FROM 項目分類 WHERE 項目ID >= 1 AND (項目分類名 LIKE '%' || ? || '%') ORDER BY 項目ID"),
                                   args, QStringLiteral("項目分類名"), QStringLiteral("項目ID"));
    case NarrowList::CorrectionCategory:
    case NarrowList::DialogCategory:
        return combo->setRowSource(QStringLiteral("SELECT * FROM 項目分類 WHERE (項目分類名 LIKE '%' || ? || '%') ORDER BY 項目ID"),
                                   args, QStringLiteral("項目分類名"), QStringLiteral("項目ID"));
    case NarrowList::EntryProduct:
    case NarrowList::CorrectionProduct:
        return combo->setRowSource(QStringLiteral("SELECT * FROM 仕入商品 WHERE (品名 LIKE '%' || ? || '%') ORDER BY 品名 ASC"),
                                   args, QStringLiteral("品名"), QStringLiteral("品名ID"));
    case NarrowList::EntryUnit:
        return combo->setRowSource(QStringLiteral("SELECT * FROM 単位 WHERE (単位 LIKE '%' || ? || '%') ORDER BY 単位 ASC"),
                                   args, QStringLiteral("単位"), QStringLiteral("単位ID"));
    }
    return false;
}

void restoreWindowPosition(QWidget* w)
{
    w->move(static_cast<int>(GetSetting("Settings", "frmLeft", "0").toFloat()),
            static_cast<int>(GetSetting("Settings", "frmTop", "0").toFloat()));
}

void ImeOn(QWidget* field)
{
    field->setAttribute(Qt::WA_InputMethodEnabled, true);
    field->setInputMethodHints(Qt::ImhNone);
}

void ImeOff(QWidget* field)
{
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    field->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhNoPredictiveText | Qt::ImhLatinOnly);
}

} // namespace counting
