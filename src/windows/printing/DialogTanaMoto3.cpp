#include "printing/DialogTanaMoto3.h"

#include "common/global.h"
#include "platform/Dialogs.h"
#include "platform/PrinterObject.h"
#include "printing/PrintDialogData.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>

using namespace printing;

const QString DialogTanaMoto3::kPrintFailed =
    QStringLiteral("集計表を印刷できませんでした。作成途中の印刷は取り消しました。");

namespace {

PrintDialogTraits dialogTraits()
{
    PrintDialogTraits t;
    t.objectName = "DialogTanaMoto3";
    t.dateLabel = QStringLiteral("決算日(&D)");
    return t;
}

} // namespace

DialogTanaMoto3::DialogTanaMoto3() : PrintDialogShell(dialogTraits())
{
    Text4 = named(new QLineEdit(this), "Text4");
    Text4->setVisible(false);
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

SummaryRequest DialogTanaMoto3::summaryRequest() const
{
    SummaryRequest r;
    r.date = DTPicker1->date();
    r.title = Text3->text();
    r.groupHeading = Text4->text();
    r.fontName = global::PrintFontName;
    return r;
}

void DialogTanaMoto3::Command3_Click()
{
    m_printRan = false;
    // Only the two headings the summary list hands over name a grouping.
    if (summaryGroupingOf(Text4->text()) == SummaryGrouping::None)
        return;
    const auto engine = sheetEngines().summary;
    if (!engine)
        return;
    const SummaryRequest request = summaryRequest();
    // A date without a group to print begins no document: no file is asked for. A database that
    // cannot be read is left to the engine, which tells it.
    const auto drawsPages = [&] {
        try {
            return summaryHasGroups(request);
        } catch (const std::exception&) {
            return true;
        }
    };
    m_lastResult = printOnCurrentPrinter([&](prn::PrinterObject& printer) { return engine(printer, request); },
                                         drawsPages);
    m_printRan = true;
    // The user's own cancel needs no word; a sheet lost to a failing database or printer does.
    tellPrintFailure(kPrintFailed, m_lastResult);
}
