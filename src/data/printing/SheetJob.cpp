#include "printing/SheetJob.h"

#include "platform/Db.h"
#include "platform/PrinterObject.h"
#include "printing/PagePrimitives.h"
#include "printing/SheetQuery.h"

#include <exception>

namespace printing {

namespace {

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
    result.databaseCause = db::causeOf(e);
}

} // namespace

SheetJob::SheetJob(prn::PrinterObject& p, PageSetUp setUp, const QDate& date)
    : m_p(p), m_dateText(date.toString(QStringLiteral("yyyy/MM/dd"))), m_setUp(setUp)
{
}

bool SheetJob::alive() const
{
    return m_p.jobState() != prn::JobState::Abandoned;
}

void SheetJob::begin()
{
    m_begun = true;
    m_p.setPaperSize(prn::kPaperA4);
    m_p.setOrientation(prn::kPortrait);
    if (m_setUp == PageSetUp::A4Twips) {
        m_p.setScaleMode(prn::kScaleTwips);
        return;
    }
    m_p.setScaleMode(prn::kScaleMillimetres);
    m_p.setDrawMode(prn::kModeNotXorPen);
}

SheetResult SheetJob::run()
{
    SheetResult result;
    if (!wanted())
        return result;
    try {
        if (draw(result))
            result.printed = m_p.endDoc();
    } catch (const db::DbError& e) {
        // A sheet with lines missing is worse than none, and would pass for a whole one: the begun
        // document is dropped.
        m_p.abortDoc();
        takeDatabaseFailure(e, result);
    }
    if (m_begun && m_setUp == PageSetUp::A4Millimetres)
        m_p.setDrawMode(prn::kModeCopyPen);
    result.printedTotal = printedTotal();
    result.pages = pagesDrawn();
    if (m_begun)
        takePrinterOutcome(m_p, result);
    return result;
}

void printCategoryBlocks(prn::PrinterObject& p, const SheetRequest& request,
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
                printAt(p, 12, a4::kHeadingY, QStringLiteral("項目"));
                if (hasValue(name))
                    printFitted(p, 20, a4::kHeadingY, name.toString(), a4::kDateLineX);
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
            block(lines, true, [&] { printAt(p, 12, a4::kHeadingY, QStringLiteral("項目　未区分")); });
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

void printSumLine(prn::PrinterObject& p, const QString& caption, double y, double amountX, double amount)
{
    printAt(p, 17, y, caption);
    printAligned(p, amountX, y, caption, amountText(amount));
}

void drawColumnRules(prn::PrinterObject& p)
{
    for (double x : {a4::kNameRule, 102.0, a4::kUnitRule, 137.0, 162.0}) {
        p.setDrawStyle(prn::kStyleDot);
        p.line(x, 29, x, 270, kBlack);
    }
}

void drawRowRules(prn::PrinterObject& p)
{
    // Each rule halfway between two rows' baselines.
    for (int i = 0; i < a4::kRowsPerPage - 1; ++i) {
        const double y = a4::rowY(i) + a4::kRowStep / 2;
        p.setDrawStyle(prn::kStyleDot);
        p.line(12, y, 192, y, kBlack);
    }
    p.setDrawStyle(prn::kStyleSolid);
    p.line(12, a4::kSubtotalY, 192, a4::kSubtotalY, kBlack);
}

} // namespace printing
