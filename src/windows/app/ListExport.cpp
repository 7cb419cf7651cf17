#include "app/ListExport.h"

#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/XlsWriter.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace listexport {

namespace {

const QString kSaveTitle = QStringLiteral("名前を付けて保存");
const QString kSaveFilter = QStringLiteral("すべてのファイル (*.*)|*.*|") + QStringLiteral("xls ﾌｧｲﾙ (*.xls)|*.xls");
constexpr int kXlsFilterIndex = 2;
const QString kOverwriteText = QStringLiteral("指定した名前のファイルが存在します。") + QChar('\r') + QStringLiteral("上書きしますか？");
const QString kTooManyRowsText = QStringLiteral(
    "一覧の行数が多すぎるため、Excelファイル（Excel 97-2003形式、1シート65,535行まで）に書き出せません。");

// The rows of the SELECT, at most one past what a sheet holds; nothing when the query fails.
std::optional<xls::Table> readRows(const QString& selectSql, const QVariantList& args)
{
    if (!db::isOpen())
        return std::nullopt;
    QSqlQuery q(db::connection());
    q.setForwardOnly(true);
    if (!q.prepare(selectSql))
        return std::nullopt;
    for (const QVariant& a : args)
        q.addBindValue(a);
    if (!q.exec())
        return std::nullopt;
    xls::Table table = xls::tableFromQuery(q, xls::kMaxDataRows);
    if (q.lastError().isValid())   // a row that failed to step ends the list early
        return std::nullopt;
    return table;
}

} // namespace

QString productListSql(bool byKey)
{
    return byKey ? QStringLiteral("SELECT 仕入商品.品名 AS 品名, 仕入商品.単位 AS 単位, 仕入商品.単価 AS 単価 From 仕入商品  ORDER BY 仕入商品.品名ID ASC")
                 : QStringLiteral("SELECT 仕入商品.品名 AS 品名, 仕入商品.単位 AS 単位, 仕入商品.単価 AS 単価 From 仕入商品  ORDER BY 仕入商品.品名 ASC");
}

bool exportList(const QString& selectSql, const QVariantList& args, QWidget* parent)
{
    const std::optional<QString> chosen = dlg::SaveFile(kSaveTitle, kSaveFilter, kXlsFilterIndex, parent);
    if (!chosen || chosen->isEmpty())
        return false;
    const QString file = *chosen;   // as typed: no extension is added

    // The existing file stays as it is until a finished workbook replaces it, so that a failure
    // from here on never leaves the user with neither the old file nor a new one.
    if (QFileInfo::exists(file) && dlg::Question(kOverwriteText, parent) != dlg::vbYes)
        return false;

    const std::optional<xls::Table> table = readRows(selectSql, args);
    if (!table)
        return false;
    // A list cut at the sheet's last row would look complete; better none and say why.
    if (table->rows.size() > xls::kMaxDataRows) {
        dlg::Information(kTooManyRowsText, parent);
        return false;
    }
    xls::XlsWriter writer;
    if (!writer.write(*table, file))
        return false;
    return dlg::OpenExternal(QUrl::fromLocalFile(file));
}

} // namespace listexport
