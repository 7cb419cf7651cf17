#include "printing/DialogTanaMoto2.h"

#include "common/global.h"
#include "platform/DataCombo.h"
#include "platform/Dialogs.h"
#include "platform/PrinterObject.h"
#include "printing/PrintDialogData.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace printing;

const QString DialogTanaMoto2::kNoEarlierCount =
    QStringLiteral("該当する棚卸はありません。前期の棚卸日を確認してください。");
const QString DialogTanaMoto2::kNotPrinted = QStringLiteral("棚卸記入帳を印刷できませんでした。");

namespace {

PrintDialogTraits dialogTraits()
{
    PrintDialogTraits t;
    t.objectName = "DialogTanaMoto2";
    t.caption = QStringLiteral("棚卸記入帳　　印刷");
    t.dateLabel = QStringLiteral("前期の棚卸日(&D)");
    t.categoryChoice = true;
    t.categoryLabel = QStringLiteral("項目/分類名(&K)");
    t.loadFailureTold = true;
    return t;
}

} // namespace

DialogTanaMoto2::DialogTanaMoto2() : PrintDialogShell(dialogTraits())
{
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

std::optional<qint64> DialogTanaMoto2::chosenCategory() const
{
    bool ok = false;
    const qint64 id = Text3->text().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return id;
}

SheetRequest DialogTanaMoto2::bookRequest() const
{
    SheetRequest r;
    r.date = DTPicker1->date();
    r.allCategories = !Option1->isChecked();
    r.categoryId = chosenCategory().value_or(0);
    r.fontName = global::PrintFontName;
    return r;
}

void DialogTanaMoto2::Command3_Click()
{
    m_printRan = false;
    bool hasLines = false;
    try {
        hasLines = hasCountLines(DTPicker1->date());
    } catch (const std::exception& e) {
        // Not "no count at that date": the count may well be there, the file cannot be read.
        dlg::Information(db::withCause(kLoadFailed, e), this);
        return;
    }
    if (!hasLines) {
        dlg::Information(kNoEarlierCount, this);
        return;
    }
    // A name typed that matches no category leaves no key to print by: nothing is chosen.
    if (Option1->isChecked() && (dbcNouhin->text().isEmpty() || !chosenCategory())) {
        dlg::Information(kNoCategoryChosen, this);
        return;
    }

    const SheetRequest request = bookRequest();
    m_lastResult = printOnCurrentPrinter([&](prn::PrinterObject& printer) { return sheetEngines().entryBook(printer, request); });
    m_printRan = true;
    // A book abandoned midway was not sent; the user is told why instead of waiting at the
    // printer. The output file question cancelled is the user's own choice and needs no word.
    tellPrintFailure(kNotPrinted, m_lastResult);
}
