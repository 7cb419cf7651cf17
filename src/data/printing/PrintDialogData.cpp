#include "printing/PrintDialogData.h"

#include "platform/Db.h"
#include "platform/PrinterObject.h"
#include "platform/VbFormat.h"

#include <cmath>
#include <limits>

namespace printing {

const QString kPaperA4Full = QStringLiteral("A４　オリジナル棚卸表");
const QString kPaperA4Simple = QStringLiteral("A４　簡易棚卸表");
const QString kPaperHisago = QStringLiteral("HISAGO 1151");

QStringList paperKinds()
{
    return {kPaperA4Full, kPaperA4Simple, kPaperHisago};
}

PaperKind paperKindOf(const QString& text)
{
    if (text == kPaperA4Full)
        return PaperKind::A4Full;
    if (text == kPaperHisago)
        return PaperKind::Hisago;
    if (text == kPaperA4Simple)
        return PaperKind::A4Simple;
    return PaperKind::None;
}

SheetEngines& sheetEngines()
{
    static SheetEngines engines;
    return engines;
}

void restoreSheetEngines()
{
    sheetEngines() = SheetEngines();
}

SheetEngine engineFor(PaperKind kind)
{
    switch (kind) {
    case PaperKind::A4Full:
        return sheetEngines().a4Full;
    case PaperKind::A4Simple:
        return sheetEngines().a4Simple;
    case PaperKind::Hisago:
        return sheetEngines().hisago;
    case PaperKind::None:
        break;
    }
    return nullptr;
}

bool hasCountLines(const QDate& closingDate)
{
    return db::scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM 棚卸マスター WHERE 日付 = ?)"),
                      {db::isoDate(closingDate)})
        .toBool();
}

double databaseTotal(const QDate& closingDate)
{
    // TOTAL is SUM that reads 0 where SUM would read Null (no line, or no line with a price).
    return db::scalar(QStringLiteral("SELECT TOTAL(価格) AS 合計 FROM 棚卸マスター WHERE 日付 = ?"),
                      {db::isoDate(closingDate)})
        .toDouble();
}

QString totalText(double total)
{
    return prn::PrinterObject::plainNumber(total);
}

double offsetMillimetres(const QString& text)
{
    return vb::parseNumber(text).value_or(std::numeric_limits<double>::quiet_NaN());
}

long physicalOffsetTwips(double twips)
{
    return static_cast<long>(vb::roundHalfEven(static_cast<float>(twips)));
}

namespace {

QString printerNamed(const QString& name)
{
    return name.isEmpty() ? QStringLiteral("プリンタ") : QStringLiteral("プリンタ「%1」").arg(name);
}

} // namespace

QString printerGoneText(const QString& name)
{
    return printerNamed(name) + QStringLiteral("が見つかりません。");
}

QString failureReason(const SheetResult& result)
{
    if (result.printed)
        return {};
    // Only the kind of failure speaks to the user; the system's own text stays in result.error.
    switch (result.failure) {
    case PrintFailure::None:
    case PrintFailure::Cancelled:
        return {};
    case PrintFailure::NoPrinter:
        return printerGoneText(result.failedOn);
    case PrintFailure::NotAccepting:
        return printerNamed(result.failedOn) + QStringLiteral("は印刷を受け付けていません。");
    case PrintFailure::CannotWrite:
        return result.failedOn.isEmpty() ? QStringLiteral("ファイルに書き込めません。")
                                         : QStringLiteral("ファイル「%1」に書き込めません。").arg(result.failedOn);
    case PrintFailure::Database:
        // A sheet only reads: a cause the user cannot act on is told as that.
        return result.databaseCause == db::Cause::Other ? QStringLiteral("データベースを読み込めませんでした。")
                                                        : db::causeText(result.databaseCause);
    case PrintFailure::Device:
        return printerNamed(result.failedOn) + QStringLiteral("に印刷データを渡せませんでした。");
    }
    return {};
}

QString failureMessage(const QString& heading, const SheetResult& result)
{
    const QString reason = failureReason(result);
    return reason.isEmpty() ? QString() : heading + QLatin1Char('\n') + reason;
}

} // namespace printing
