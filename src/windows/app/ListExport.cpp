#include "app/ListExport.h"

#include "platform/Dialogs.h"

#include <QFileInfo>
#include <QUrl>

namespace listexport {

namespace {

const QString kSaveTitle = QStringLiteral("名前を付けて保存");
const QString kSaveFilter = QStringLiteral("すべてのファイル (*.*)|*.*|") + QStringLiteral("xls ﾌｧｲﾙ (*.xls)|*.xls");
constexpr int kXlsFilterIndex = 2;
const QString kOverwriteText = QStringLiteral("指定した名前のファイルが存在します。") + QChar('\r') + QStringLiteral("上書きしますか？");
const QString kTooManyRowsText = QStringLiteral(
    "一覧の行数が多すぎるため、Excelファイル（Excel 97-2003形式、1シート65,535行まで）に書き出せません。");

} // namespace

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

    switch (writeList(selectSql, args, file)) {
    case ListWrite::Written:
        return dlg::OpenExternal(QUrl::fromLocalFile(file));
    case ListWrite::TooManyRows:
        dlg::Information(kTooManyRowsText, parent);
        return false;
    case ListWrite::Failed:
        break;
    }
    return false;
}

} // namespace listexport
