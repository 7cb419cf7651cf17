#include "printing/PrinterSetupData.h"

#include "platform/CupsQueues.h"
#include "platform/PrinterCollection.h"
#include "platform/PrinterObject.h"

#include <QSizeF>
#include <cmath>

namespace printing::setup {

namespace {

// Codes 1 to 118; code 56 has no name.
const char* const kPaperNames[] = {
    "LETTER", "LETTERSMALL", "TABLOID", "LEDGER", "LEGAL", "STATEMENT", "EXECUTIVE", "A3", "A4",
    "A4SMALL", "A5", "B4", "B5", "FOLIO", "QUARTO", "10X14", "11X17", "NOTE", "ENV_9", "ENV_10",
    "ENV_11", "ENV_12", "ENV_14", "CSHEET", "DSHEET", "ESHEET", "ENV_DL", "ENV_C5", "ENV_C3",
    "ENV_C4", "ENV_C6", "ENV_C65", "ENV_B4", "ENV_B5", "ENV_B6", "ENV_ITALY", "ENV_MONARCH",
    "ENV_PERSONAL", "FANFOLD_US", "FANFOLD_STD_GERMAN", "FANFOLD_LGL_GERMAN", "ISO_B4",
    "JAPANESE_POSTCARD", "9X11", "10X11", "15X11", "ENV_INVITE", "RESERVED_48", "RESERVED_49",
    "LETTER_EXTRA", "LEGAL_EXTRA", "TABLOID_EXTRA", "A4_EXTRA", "LETTER_TRANSVERSE",
    "A4_TRANSVERSE", nullptr, "A_PLUS", "B_PLUS", "LETTER_PLUS", "A4_PLUS", "A5_TRANSVERSE",
    "B5_TRANSVERSE", "A3_EXTRA", "A5_EXTRA", "B5_EXTRA", "A2", "A3_TRANSVERSE",
    "A3_EXTRA_TRANSVERSE", "DBL_JAPANESE_POSTCARD", "A6", "JENV_KAKU2", "JENV_KAKU3", "JENV_CHOU3",
    "JENV_CHOU4", "LETTER_ROTATED", "A3_ROTATED", "A4_ROTATED", "A5_ROTATED", "B4_JIS_ROTATED",
    "B5_JIS_ROTATED", "JAPANESE_POSTCARD_ROTATED", "DBL_JAPANESE_POSTCARD_ROTATED", "A6_ROTATED",
    "JENV_KAKU2_ROTATED", "JENV_KAKU3_ROTATED", "JENV_CHOU3_ROTATED", "JENV_CHOU4_ROTATED",
    "B6_JIS", "B6_JIS_ROTATED", "12X11", "JENV_YOU4", "JENV_YOU4_ROTATED", "P16K", "P32K",
    "P32KBIG", "PENV_1", "PENV_2", "PENV_3", "PENV_4", "PENV_5", "PENV_6", "PENV_7", "PENV_8",
    "PENV_9", "PENV_10", "P16K_ROTATED", "P32K_ROTATED", "P32KBIG_ROTATED", "PENV_1_ROTATED",
    "PENV_2_ROTATED", "PENV_3_ROTATED", "PENV_4_ROTATED", "PENV_5_ROTATED", "PENV_6_ROTATED",
    "PENV_7_ROTATED", "PENV_8_ROTATED", "PENV_9_ROTATED", "PENV_10_ROTATED",
};

// The current paper texts of codes 1 to 41.
const char* const kPaperTexts[] = {
    "レター、8 1/2 x 11 インチ",
    "レター スモール、8 1/2 x 11 インチ",
    "タブロイド、11 x 17 インチ",
    "レジャー、17 x 11 インチ",
    "リーガル、8 1/2 x 14 インチ",
    "ステートメント、5 1/2 x 8 1/2 インチ",
    "エグゼクティブ、7 1/2 x 10 1/2 インチ",
    "A3、297 x 420 mm",
    "A4、210 x 297 mm",
    "A4 Small、210 x 297 mm",
    "A5、148 x 210 mm",
    "B4、250 x 354 mm",
    "B5、182 x 257 mm",
    "フォリオ、8 1/2 x 13 インチ",
    "クォート、215 x 275 mm",
    "10 x 14 インチ",
    "11 x 17 インチ",
    "ノート、8 1/2 x 11 インチ",
    "封筒 #9、3 7/8 x 8 7/8 インチ",
    "封筒 #10、4 1/8 x 9 1/2 インチ",
    "封筒 #11、4 1/2 x 10 3/8 インチ",
    "封筒 #12、4 1/2 x 11 インチ",
    "封筒 #14、5 x 11 1/2 インチ",
    "C サイズ シート",
    "D サイズ シート",
    "E サイズ シート",
    "封筒 DL、110 x 220 mm",
    "封筒 C5、162 x 229 mm",
    "封筒 C3、324 x 458 mm",
    "封筒 C4、229 x 324 mm",
    "封筒 C6、114 x 162 mm",
    "封筒 C65、114 x 229 mm",
    "封筒 B4、250 x 353 mm",
    "封筒 B5、176 x 250 mm",
    "封筒 B6、176 x 125 mm",
    "封筒、110 x 230 mm",
    "封筒 Monarch、3 7/8 x 7 1/2 インチ",
    "封筒、3 5/8 x 6 1/2 インチ",
    "U.S. スタンダード ファンフォールド、14 7/8 x 11 インチ",
    "ドイツ スタンダード ファンフォールド、8 1/2 x 12 インチ",
    "ドイツ リーガル ファンフォールド、8 1/2 x 13 インチ",
};

// Bin codes 1 to 14 (12 and 13 have no sentence).
const char* const kSourceTexts[] = {
    "上段のトレーの用紙を使います。",
    "下段のトレーの用紙を使います。",
    "中央のトレーの用紙を使います。",
    "用紙が1枚ずつ手差しで供給されるまで待機します。",
    "封筒フィーダの封筒を使います。",
    "封筒フィーダの封筒が手差しで供給されるまで待機します。",
    "現在の既定値のトレーの用紙を使います。",
    "トラクタフィーダの用紙を使います。",
    "小さいペーパーフィーダの用紙を使います。",
    "大きいペーパーフィーダの用紙を使います。",
    "容量の大きいフィーダの用紙を使います。",
    nullptr,
    nullptr,
    "カセットカートリッジの用紙を使います。",
};

// A length in device pixels as whole millimetres: to twips (halves to even), then by 57 with the
// remainder dropped.
int wholeMillimetres(int px, double dpi)
{
    if (dpi <= 0)
        return 0;
    const double twips = std::nearbyint(px * 1440.0 / dpi);
    return static_cast<int>(twips) / 57;
}

int toPixels(int hundredthsMm, double dpi)
{
    return static_cast<int>(std::lround(hundredthsMm / 2540.0 * dpi));
}

PaperInfo queueInfo(const prn::PrinterObject& printer)
{
    PaperInfo info;
    QString why;
    const std::optional<prn::cups::QueueFacts> facts = prn::cups::queueFacts(printer.deviceName(), &why);
    if (!facts) {
        info.error = why;
        return info;
    }
    if (facts->media.isEmpty()) {
        info.error = QStringLiteral("the printer reports no paper sizes");
        return info;
    }
    int nextUser = kUserPaper;
    int currentIndex = -1;
    for (const prn::cups::Media& m : facts->media) {
        int code = standardCode(m.width, m.length);
        if (code == 0)
            code = nextUser++;
        if (m.keyword == facts->defaultMedia)
            currentIndex = static_cast<int>(info.papers.size());
        info.papers << Paper{code, m.name, m.keyword};
    }
    info.dpi = printer.resolution();
    if (currentIndex >= 0) {
        const prn::cups::Media& m = facts->media.at(currentIndex);
        info.currentCode = info.papers.at(currentIndex).code;
        info.physicalPx = QSize(toPixels(m.width, info.dpi.x()), toPixels(m.length, info.dpi.y()));
    } else {
        info.currentCode = printer.paperSize();
        info.physicalPx = printer.physicalSizePx();
    }
    info.maxCopies = facts->maxCopies;
    info.binCode = prn::cups::binCode(facts->defaultSource);
    info.paperChoice = facts->mediaChoice;
    info.ok = true;
    return info;
}

} // namespace

QString paperCodeName(int code)
{
    if (code >= 1 && code <= 118 && kPaperNames[code - 1])
        return QString::fromLatin1(kPaperNames[code - 1]);
    if (code < kUserPaper)
        return QStringLiteral("UNKNOWN(%1)").arg(code);
    return QStringLiteral("USER(%1)").arg(code);
}

QString currentPaperText(int code, const QSize& physicalPx, const QPointF& dpi)
{
    if (code >= 1 && code <= 41)
        return QString::fromUtf8(kPaperTexts[code - 1]);
    const int width = wholeMillimetres(physicalPx.width(), dpi.x());
    const int height = wholeMillimetres(physicalPx.height(), dpi.y());
    const QString size = QStringLiteral("H %1 × W %2㎜").arg(width).arg(height);
    if (code == kUserPaper)
        return QStringLiteral("ユーザー定義サイズ  ") + size;
    return QStringLiteral("User Size  ") + size;
}

QString paperSourceText(int binCode)
{
    if (binCode >= 1 && binCode <= 14 && kSourceTexts[binCode - 1])
        return QString::fromUtf8(kSourceTexts[binCode - 1]);
    return {};
}

QString copiesText(int maxCopies)
{
    return QStringLiteral("このプリンターの最大印刷部数は　%1枚です。").arg(maxCopies);
}

int standardCode(int width, int length)
{
    const QPageSize::PageSizeId id = QPageSize::id(QSizeF(width / 100.0, length / 100.0), QPageSize::Millimeter,
                                                   QPageSize::FuzzyMatch);
    if (id == QPageSize::Custom)
        return 0;
    return std::max(0, QPageSize::windowsId(id));
}

QList<Paper> pdfPapers()
{
    QList<Paper> papers;
    QList<int> seen;
    for (int i = 0; i <= int(QPageSize::LastPageSize); ++i) {
        const auto id = static_cast<QPageSize::PageSizeId>(i);
        const int code = QPageSize::windowsId(id);
        // Several sizes share a code (the transverse forms); the first keeps it.
        if (id == QPageSize::Custom || code <= 0 || code >= kUserPaper || seen.contains(code))
            continue;
        seen << code;
        papers << Paper{code, QPageSize::name(id), QString()};
    }
    std::sort(papers.begin(), papers.end(), [](const Paper& a, const Paper& b) { return a.code < b.code; });
    return papers;
}

PaperInfo readPaperInfo(const prn::PrinterObject& printer)
{
    if (printer.deviceName() != prn::pdfEntryName())
        return queueInfo(printer);
    // A PDF file is written once, on the paper the job asks for; it has no trays and no default
    // of its own to change.
    PaperInfo info;
    info.ok = true;
    info.papers = pdfPapers();
    info.maxCopies = 1;
    info.currentCode = printer.paperSize();
    info.physicalPx = printer.physicalSizePx();
    info.dpi = printer.resolution();
    return info;
}

bool writeDefaultPaper(const QString& deviceName, const QString& media)
{
    if (deviceName == prn::pdfEntryName() || media.isEmpty())
        return false;
    return prn::cups::setUserDefault(deviceName, QStringLiteral("media"), media);
}

bool printerExists(const QString& deviceName)
{
    return deviceName == prn::pdfEntryName() || prn::cups::queueState(deviceName) != prn::cups::QueueState::Missing;
}

QString mediaOf(const PaperInfo& info, const QPageSize& size)
{
    const QSizeF mm = size.size(QPageSize::Millimeter);
    const int code = standardCode(qRound(mm.width() * 100), qRound(mm.height() * 100));
    for (const Paper& p : info.papers) {
        if (code > 0 && code < kUserPaper && p.code == code)
            return p.media;
    }
    return {};
}

} // namespace printing::setup
