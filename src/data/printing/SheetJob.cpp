#include "printing/SheetJob.h"

#include "platform/PrinterObject.h"
#include "printing/PagePrimitives.h"
#include "printing/SheetQuery.h"

namespace printing {

void beginA4Millimetres(prn::PrinterObject& p)
{
    p.setPaperSize(prn::kPaperA4);
    p.setOrientation(prn::kPortrait);
    p.setScaleMode(prn::kScaleMillimetres);
    p.setDrawMode(prn::kModeNotXorPen);
}

void takePrinterOutcome(const prn::PrinterObject& p, SheetResult& result)
{
    if (result.printed || !result.error.isEmpty() || result.failure != PrintFailure::None)
        return;
    result.cancelled = p.lastJobCancelled();
    result.error = p.lastError();
    result.failedOn = p.lastFailureTarget();
    switch (p.lastFailure()) {
    case prn::JobFailure::None:
        break;
    case prn::JobFailure::Cancelled:
        result.failure = PrintFailure::Cancelled;
        break;
    case prn::JobFailure::NoPrinter:
        result.failure = PrintFailure::NoPrinter;
        break;
    case prn::JobFailure::NotAccepting:
        result.failure = PrintFailure::NotAccepting;
        break;
    case prn::JobFailure::CannotWrite:
        result.failure = PrintFailure::CannotWrite;
        break;
    case prn::JobFailure::Device:
        result.failure = PrintFailure::Device;
        break;
    }
}

void takeDatabaseFailure(const std::exception& e, SheetResult& result)
{
    result.error = QString::fromStdString(e.what());
    result.failure = PrintFailure::Database;
}

void printCategoryBlocks(prn::PrinterObject& p, const SheetRequest& request, double headingY,
                         const std::function<int()>& pagesDrawn, const BlockPrinter& block)
{
    const auto alive = [&] { return p.jobState() != prn::JobState::Abandoned; };
    QSqlQuery categories = categoriesToPrint(request.allCategories, request.categoryId);
    for (bool more = categories.next(); more && alive();) {
        const QVariant id = categories.value(0);
        const QVariant name = categories.value(1);
        {
            QSqlQuery lines = linesOfCategory(request.date, id);
            block(lines, false, [&] {
                printAt(p, 12, headingY, QStringLiteral("項目"));
                if (hasValue(name))
                    printAt(p, 20, headingY, name.toString());
            });
        }
        more = categories.next();
        if (more)
            p.newPage();
    }
    throwIfFailed(categories);

    if (request.allCategories && alive()) {
        QSqlQuery lines = linesOfCategory(request.date, 0);
        if (lines.next()) {
            if (pagesDrawn() > 0)
                p.newPage();
            block(lines, true, [&] { printAt(p, 12, headingY, QStringLiteral("項目　未区分")); });
        } else {
            throwIfFailed(lines);
        }
    }
}

void printPageNumber(prn::PrinterObject& p, int page)
{
    const QString mark = QStringLiteral("頁");
    printAt(p, 192, 10, mark);
    printAligned(p, 185, 10, mark, prn::PrinterObject::numberText(page), prn::PrinterObject::plainNumber(page));
}

void drawColumnRules(prn::PrinterObject& p)
{
    for (double x : {82.0, 102.0, 112.0, 137.0, 162.0}) {
        p.setDrawStyle(prn::kStyleDot);
        p.line(x, 29, x, 270, kBlack);
    }
}

void drawRowRules(prn::PrinterObject& p, int rows, double step, double ruleY)
{
    for (int i = 0; i < rows - 1; ++i) {
        const double y = 42 + step * i;
        p.setDrawStyle(prn::kStyleDot);
        p.line(12, y, 192, y, kBlack);
    }
    p.setDrawStyle(prn::kStyleSolid);
    p.line(12, ruleY, 192, ruleY, kBlack);
}

} // namespace printing
