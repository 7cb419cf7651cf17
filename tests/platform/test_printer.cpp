// The printer object: units, current point, text widths, arcs, draw modes, jobs that fail or are
// cancelled, the PDF entry and the printer collection.
#include "TestSupport.h"
#include "CupsFixture.h"

#include "platform/PrinterCollection.h"
#include "platform/PrinterPainter.h"
#include "platform/PrinterRecording.h"

#include <QDir>
#include <QFontInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <cmath>

using namespace prn;
using cupsfixture::PrivateSpooler;
using cupsfixture::run;

namespace {

constexpr double kPi = 3.1415926;

// Page 1 of a PDF as an image at the given resolution.
QImage renderPage(const QString& pdf, int dpi, int page = 1)
{
    const QString stem = pdf + QStringLiteral("-page");
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                     QString::number(page), QStringLiteral("-l"), QString::number(page),
                                     QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
    return QImage(stem + QStringLiteral(".png"));
}

bool dark(const QImage& img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 128;
}

bool darkNear(const QImage& img, int x, int y, int reach = 1)
{
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            if (dark(img, x + dx, y + dy))
                return true;
    return false;
}

// The rightmost dark column within a band of rows, -1 when the band is blank.
int rightmostDark(const QImage& img, int top, int bottom, int fromX = 0)
{
    int right = -1;
    for (int y = top; y <= bottom; ++y)
        for (int x = fromX; x < img.width(); ++x)
            if (dark(img, x, y))
                right = std::max(right, x);
    return right;
}

// The rounded box, dotted rules and right-aligned Japanese columns the count sheets are made of.
void drawSamplePage(PrinterObject& p)
{
    p.setPaperSize(kPaperA4);
    p.setOrientation(kPortrait);
    p.setScaleMode(kScaleMillimetres);
    p.setDrawMode(kModeNotXorPen);
    p.setDrawWidth(1);
    p.setDrawStyle(kStyleSolid);
    const double x1 = 12, y1 = 29, x2 = 192, y2 = 120, r = 3;
    p.circle(x1 + r, y1 + r, r, 0, 0.5 * kPi, kPi);
    p.circle(x1 + r, y2 - r, r, 0, kPi, 1.5 * kPi);
    p.circle(x2 - r, y2 - r, r, 0, 1.5 * kPi, kPi + kPi);
    p.circle(x2 - r, y1 + r, r, 0, 0, 0.5 * kPi);
    p.line(x1 + r, y1, x2 - r, y1);
    p.line(x1, y1 + r, x1, y2 - r);
    p.line(x1 + r, y2, x2 - r, y2);
    p.line(x2, y1 + r, x2, y2 - r);
    p.setDrawStyle(kStyleDot);
    for (double y = 42; y < y2; y += 8)
        p.line(x1, y, x2, y);
    p.line(137, y1, 137, y2);
    p.setDrawStyle(kStyleSolid);
    p.line(x1, 35, x2, 35);

    p.setFontName(QStringLiteral("ＭＳ 明朝"));
    p.setFontSize(14.25);
    p.setCurrentX(87);
    p.setCurrentY(11);
    p.print(QStringLiteral("棚　卸　表"));
    p.setFontSize(9.75);
    p.setCurrentX(22);
    p.setCurrentY(30);
    p.print(QStringLiteral("品　名"));
    p.setCurrentX(154);
    p.setCurrentY(30);
    p.print(QStringLiteral("価格"));
    const QStringList names = {QStringLiteral("ボールペン　黒"), QStringLiteral("コピー用紙Ａ４"),
                               QStringLiteral("消費税")};
    const QStringList prices = {QStringLiteral("1,234,567"), QStringLiteral("56"), QStringLiteral("7,890")};
    for (int i = 0; i < names.size(); ++i) {
        const double y = 38 + 8 * i;
        p.setCurrentX(15);
        p.setCurrentY(y);
        p.print(names.at(i));
        p.setCurrentX(154 + p.textWidth(QStringLiteral("価格")) - p.textWidth(prices.at(i)));
        p.setCurrentY(y);
        p.print(prices.at(i));
    }
}

class TestCollection : public Collection {
public:
    QStringList names() const override { return {QStringLiteral("一階"), QStringLiteral("二階")}; }
    std::unique_ptr<PrinterObject> open(int index) const override
    {
        if (index < 0 || index >= 2)
            return nullptr;
        return std::make_unique<RecordingPrinter>(names().at(index));
    }
};

} // namespace

class TestPrinter : public QObject {
    Q_OBJECT
private slots:
    void operationsAreRecordedInTheEngineUnits()
    {
        RecordingPrinter p;
        QVERIFY(p.setPaperSize(kPaperA4));
        QVERIFY(p.setScaleMode(kScaleMillimetres));
        p.line(12, 29, 192, 29);
        QVERIFY(p.setScaleMode(kScaleTwips));
        p.setDrawStyle(kStyleDot);
        p.line(1020.6, 1672.65, 10035.9, 1672.65);
        QCOMPARE(p.describePage(1),
                 QStringList({QStringLiteral("line 12 29 192 29 s0 w1 m13"),
                              QStringLiteral("line 1020.6 1672.65 10035.9 1672.65 s2 w1 m13")}));
        QCOMPARE(p.page(1).at(0).scaleMode, kScaleMillimetres);
        QCOMPARE(p.page(1).at(1).scaleMode, kScaleTwips);
        // The set-up before the first drawing is outside the document.
        QCOMPARE(p.log.first().describe(), QStringLiteral("paperSize 9"));
        QCOMPARE(p.log.first().doc, 0);

        // Values the device does not know are refused and change nothing.
        QVERIFY(!p.setScaleMode(3));
        QVERIFY(!p.setDrawStyle(1));
        QVERIFY(!p.setDrawMode(7));
        QVERIFY(!p.setDrawWidth(0));
        QVERIFY(!p.setOrientation(3));
        QVERIFY(!p.setPaperSize(0));
        QVERIFY(!p.setPaperSize(99999));
        QVERIFY(!p.setFontSize(0));
        QCOMPARE(p.scaleMode(), kScaleTwips);
        QCOMPARE(p.drawStyle(), kStyleDot);
        QCOMPARE(p.drawMode(), kModeCopyPen);
        QCOMPARE(p.paperSize(), kPaperA4);
    }

    void textStartsAtTheCurrentPointAndMovesIt()
    {
        RecordingPrinter p;
        p.setScaleMode(kScaleMillimetres);
        p.setFontName(QStringLiteral("ＭＳ 明朝"));
        p.setFontSize(10);
        p.setCurrentX(43);
        p.setCurrentY(20);
        p.print(QStringLiteral("棚卸表　　"), After::SameLine);
        // Directly after the text, same line: the next text continues there.
        QCOMPARE(p.currentY(), 20.0);
        QVERIFY(qFuzzyCompare(p.currentX(), 43 + p.textWidth(QStringLiteral("棚卸表　　"))));
        p.print(QStringLiteral("日付　"), After::SameLine);
        p.print(QStringLiteral("2026/03/31"));
        // A text that ends its line leaves the current point at the start of the next line.
        QCOMPARE(p.currentX(), 0.0);
        QVERIFY(qFuzzyCompare(p.currentY(), 20 + p.textHeight()));
        QVERIFY(p.textHeight() > 10 * 25.4 / 72 * 0.9);   // at least about the font's size

        const QList<Recorded> texts = p.page(1);
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts.at(0).x, 43.0);
        QCOMPARE(texts.at(0).y, 20.0);
        QVERIFY(qFuzzyCompare(texts.at(1).x, texts.at(0).x + texts.at(0).width));
        QVERIFY(qFuzzyCompare(texts.at(2).x, texts.at(1).x + texts.at(1).width));
        QCOMPARE(texts.at(2).y, 20.0);
        QCOMPARE(texts.at(2).fontName, QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(texts.at(2).fontSize, 10.0);

        // Numbers: a blank in the sign's place and one after; measured on the digits alone.
        p.setCurrentX(190);
        p.setCurrentY(10);
        p.printNumber(12);
        p.printNumber(-1.5, After::SameLine);
        QCOMPARE(p.page(1).at(3).text, QStringLiteral(" 12 "));
        QCOMPARE(p.page(1).at(4).text, QStringLiteral("-1.5 "));
        QCOMPARE(PrinterObject::numberText(0), QStringLiteral(" 0 "));
        QCOMPARE(PrinterObject::numberText(1234567), QStringLiteral(" 1234567 "));
        QCOMPARE(PrinterObject::plainNumber(0.25), QStringLiteral("0.25"));
        QVERIFY(p.textWidth(PrinterObject::numberText(12)) > p.textWidth(PrinterObject::plainNumber(12)));
    }

    void textWidthsAgreeAcrossUnitsAndSizes()
    {
        RecordingPrinter p;
        p.setFontName(QStringLiteral("ＭＳ 明朝"));
        p.setFontSize(10);
        p.setScaleMode(kScaleMillimetres);
        // IPA Mincho: a full-width character is one em wide, a half-width digit half an em.
        const double em = 10 * 25.4 / 72;
        QVERIFY(std::fabs(p.textWidth(QStringLiteral("数量")) - 2 * em) < 1e-6);
        QVERIFY(std::fabs(p.textWidth(QStringLiteral("12345")) - 2.5 * em) < 1e-6);
        const double mm = p.textWidth(QStringLiteral("1,234 ボールペン"));
        p.setScaleMode(kScaleTwips);
        const double tw = p.textWidth(QStringLiteral("1,234 ボールペン"));
        QVERIFY2(std::fabs(tw - mm * 1440 / 25.4) < 0.5, qPrintable(QStringLiteral("%1 tw, %2 mm").arg(tw).arg(mm)));
        QVERIFY(std::fabs(p.textWidth(QStringLiteral("頁")) - 200) < 1e-6);
        // Points stay points in either unit, also in quarter points.
        p.setFontSize(9.75);
        QVERIFY(std::fabs(p.textWidth(QStringLiteral("頁")) - 195) < 1e-6);
        p.setFontSize(14.25);
        QVERIFY(std::fabs(p.textWidth(QStringLiteral("頁")) - 285) < 1e-6);

        // Windows face names print with the IPA faces, never with a Latin face.
        QCOMPARE(resolvedFamily(QStringLiteral("ＭＳ 明朝")), QStringLiteral("IPAMincho"));
        QCOMPARE(resolvedFamily(QStringLiteral("@ＭＳ 明朝")), QStringLiteral("IPAMincho"));
        QCOMPARE(resolvedFamily(QStringLiteral("ＭＳ ゴシック")), QStringLiteral("IPAGothic"));
        QCOMPARE(resolvedFamily(QStringLiteral("MS Gothic")), QStringLiteral("IPAGothic"));
        QCOMPARE(resolvedFamily(QStringLiteral("ＭＳ Ｐ明朝")), QStringLiteral("IPAPMincho"));
        QCOMPARE(resolvedFamily(QStringLiteral("Terminal")), QStringLiteral("IPAMincho"));
        QCOMPARE(resolvedFamily(QString()), QStringLiteral("IPAMincho"));
        QCOMPARE(QFontInfo(printFont(QStringLiteral("ＭＳ ゴシック"), 10)).family(), QStringLiteral("IPAGothic"));
        installFontSubstitutes();
        QCOMPARE(QFontInfo(QFont(QStringLiteral("ＭＳ 明朝"))).family(), QStringLiteral("IPAMincho"));
    }

    void arcsRunCounterClockwiseFromThreeOClock()
    {
        // Recorded as given, in radians.
        RecordingPrinter rec;
        rec.setScaleMode(kScaleMillimetres);
        rec.circle(13, 30, 1, 0, 0.5 * kPi, kPi);
        QCOMPARE(rec.describePage(1), QStringList{QStringLiteral("arc 13 30 r1 1.57..3.14")});
        QCOMPARE(rec.currentX(), 13.0);

        // On the page: 0..π/2 is the upper right quarter (y grows downwards on paper); a start after
        // the end sweeps on through three o'clock.
        ImagePrinter img(100);
        img.setScaleMode(kScaleMillimetres);
        img.setDrawWidth(2);
        img.circle(50, 50, 20, 0, 0, 0.5 * kPi);
        img.circle(150, 50, 20, 0, 1.5 * kPi, 0.5 * kPi);
        QVERIFY(img.endDoc());
        const QImage page = img.pages().value(0);
        const auto at = [&](double cx, double cy, double angle) {
            const double px = 100 / 25.4;
            return darkNear(page, int(std::lround((cx + 20 * std::cos(angle)) * px)),
                            int(std::lround((cy - 20 * std::sin(angle)) * px)));
        };
        QVERIFY(at(50, 50, 0.25 * kPi));     // upper right: drawn
        QVERIFY(!at(50, 50, -0.25 * kPi));   // lower right: not
        QVERIFY(!at(50, 50, 0.75 * kPi));    // upper left: not
        QVERIFY(at(150, 50, 0));             // through three o'clock
        QVERIFY(at(150, 50, -0.25 * kPi));
        QVERIFY(!at(150, 50, kPi));
    }

    void drawModeTenActsOnRasterDevicesAndNeverOnText()
    {
        ImagePrinter img(100);
        img.setScaleMode(kScaleMillimetres);
        img.setDrawWidth(3);
        img.setDrawMode(kModeNotXorPen);
        img.line(10, 10, 100, 10);
        img.line(10, 10, 100, 10);               // twice: gone
        for (int i = 0; i < 3; ++i)
            img.line(10, 20, 100, 20);           // three times: black
        img.setFontSize(20);
        for (int i = 0; i < 2; ++i) {
            img.setCurrentX(10);
            img.setCurrentY(30);
            img.print(QStringLiteral("棚卸"));  // text twice: still black
        }
        img.setDrawMode(kModeCopyPen);
        img.line(10, 60, 100, 60);
        img.line(10, 60, 100, 60);               // copy pen twice: black
        QVERIFY(img.endDoc());
        const QImage page = img.pages().value(0);
        const double px = 100 / 25.4;
        const auto row = [&](double y) { return rightmostDark(page, int((y - 1) * px), int((y + 1) * px)); };
        QCOMPARE(row(10), -1);
        QVERIFY(row(20) > int(90 * px));
        QVERIFY(row(60) > int(90 * px));
        QVERIFY(rightmostDark(page, int(30 * px), int(37 * px)) > int(15 * px));
    }

    void pageBreaksAndTheEndOfADocument()
    {
        RecordingPrinter p;
        p.setScaleMode(kScaleMillimetres);
        p.setDrawMode(kModeNotXorPen);
        p.setCurrentX(5);
        p.print(QStringLiteral("一"));
        p.newPage();
        QCOMPARE(p.currentX(), 0.0);
        p.print(QStringLiteral("二"));
        p.newPage();
        p.newPage();
        p.print(QStringLiteral("四"));   // two breaks: page 3 stays blank
        p.newPage();                      // a break followed by the end adds no page
        QVERIFY(p.endDoc());
        p.setDrawMode(kModeCopyPen);
        QVERIFY(!p.endDoc());             // the second end of document finds nothing open
        QCOMPARE(p.pageCount(), 4);
        QCOMPARE(p.page(3).size(), 0);
        QCOMPARE(p.page(4).value(0).text, QStringLiteral("四"));
        QCOMPARE(p.sentCount(), 1);
        QCOMPARE(p.log.last().describe(), QStringLiteral("drawMode 13"));
        QCOMPARE(p.log.last().doc, 0);

        // The next drawing opens a second document, with its first page.
        p.print(QStringLiteral("次"));
        QCOMPARE(p.documentCount(), 2);
        QCOMPARE(p.page(1).value(0).text, QStringLiteral("次"));
        QVERIFY(p.endDoc());
    }

    void aFailedOrCancelledJobSendsNothing()
    {
        RecordingPrinter p;
        p.setScaleMode(kScaleMillimetres);
        p.failAtDrawing(3);
        for (int i = 0; i < 5; ++i)
            p.line(0, i, 10, i);
        QCOMPARE(p.jobState(), JobState::Abandoned);
        QCOMPARE(p.page(1).size(), 2);         // nothing after the failure is drawn
        p.newPage();
        p.print(QStringLiteral("x"));
        QCOMPARE(p.pageCount(), 1);
        QVERIFY(!p.endDoc());
        QVERIFY(!p.lastError().isEmpty());
        QCOMPARE(p.sentCount(), 0);
        QCOMPARE(p.jobState(), JobState::Idle);

        // The printer is usable again for the next job.
        p.line(0, 0, 1, 1);
        QVERIFY(p.endDoc());
        QCOMPARE(p.sentCount(), 1);
        QVERIFY(p.lastError().isEmpty());

        // A cancelled start is no error and nothing is drawn.
        p.cancelNextJob();
        p.line(0, 0, 1, 1);
        QVERIFY(!p.endDoc());
        QVERIFY(p.lastJobCancelled());
        QVERIFY(p.lastError().isEmpty());
        QCOMPARE(p.pageCount(), 0);

        // An engine abandoning its own job: nothing sent, and the next drawing starts afresh.
        p.line(0, 0, 1, 1);
        p.abortDoc();
        QCOMPARE(p.jobState(), JobState::Idle);
        QCOMPARE(p.sentCount(), 1);
        QCOMPARE(p.log.last().op, QStringLiteral("abort"));
    }

    void devicePixelsAndTwips()
    {
        RecordingPrinter p(QStringLiteral("Laser"), 600, QPoint(100, 118));
        QCOMPARE(p.deviceName(), QStringLiteral("Laser"));
        QCOMPARE(p.physicalOffsetPx(), QPoint(100, 118));
        QCOMPARE(p.pixelsToTwipsX(100), 240.0);
        QCOMPARE(p.pixelsToTwipsY(118), 283.2);
        QCOMPARE(p.physicalSizePx(), QSize(4958, 7017));   // A4 (595 × 842 points) at 600 dpi

        PdfFilePrinter pdf(pdfEntryName());
        QCOMPARE(pdf.physicalOffsetPx(), QPoint(0, 0));
        QCOMPARE(pdf.pixelsToTwipsX(576), 1440.0);
        pdf.setOrientation(kLandscape);
        QCOMPARE(pdf.physicalSizePx(), QSize(6736, 4760));   // A4 landscape at 576 dpi
    }

    void pdfThroughTheQtBackend()
    {
        testsupport::Env env;
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("棚卸表.pdf"));
        env.dialogs.files << file;
        PdfFilePrinter pdf(pdfEntryName());
        drawSamplePage(pdf);
        pdf.newPage();
        pdf.setCurrentX(20);
        pdf.setCurrentY(20);
        pdf.print(QStringLiteral("合計"));
        pdf.newPage();                    // no blank third page
        QVERIFY2(pdf.endDoc(), qPrintable(pdf.lastError()));
        QCOMPARE(env.dialogs.shown.value(0).kind, QStringLiteral("save"));
        QCOMPARE(pdf.fileName(), file);
        // Only the finished file is left in the folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("棚卸表.pdf")});

        QVERIFY(run(QStringLiteral("pdfinfo"), {file}).contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
        QVERIFY(run(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("595 x 842 pts (A4)")));
        const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        // The layout mode turns the ideographic blanks into plain ones.
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("棚\\s+卸\\s+表"))), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("コピー用紙Ａ４")));
        QVERIFY(text.contains(QStringLiteral("1,234,567")));
        QVERIFY(text.contains(QStringLiteral("合計")));
        const QString fonts = run(QStringLiteral("pdffonts"), {file});
        QVERIFY2(fonts.contains(QRegularExpression(QStringLiteral("IPAMincho\\s+CID TrueType\\s+Identity-H\\s+yes"))),
                 qPrintable(fonts));

        // On paper: the title's top-left corner at (87 mm, 11 mm); the prices end where "価格" ends,
        // because the widths were measured with the printer's own font.
        const int dpi = 300;
        const double px = dpi / 25.4;
        const QImage page = renderPage(file, dpi);
        QVERIFY(!page.isNull());
        int titleLeft = page.width(), titleTop = page.height();
        for (int y = int(9 * px); y < int(18 * px); ++y)
            for (int x = int(80 * px); x < int(130 * px); ++x)
                if (dark(page, x, y)) {
                    titleLeft = std::min(titleLeft, x);
                    titleTop = std::min(titleTop, y);
                }
        QVERIFY2(std::fabs(titleLeft / px - 87) < 1.2, qPrintable(QString::number(titleLeft / px)));
        QVERIFY2(std::fabs(titleTop / px - 11) < 1.5, qPrintable(QString::number(titleTop / px)));
        const auto rightEdge = [&](double y) { return rightmostDark(page, int((y + 0.5) * px), int((y + 4) * px), int(140 * px)); };
        const int ref = rightEdge(30);
        for (double y : {38.0, 46.0, 54.0})
            QVERIFY2(std::abs(rightEdge(y) - ref) <= 2,
                     qPrintable(QStringLiteral("row %1 ends at %2, 価格 at %3").arg(y).arg(rightEdge(y)).arg(ref)));
        // Draw mode 10 has no raster operation in a PDF: the plain pen draws the solid rule at y 35
        // even where the dotted rule at x 137 crosses it.
        QVERIFY(darkNear(page, int(137 * px), int(35 * px)));
    }

    void thePdfEntryAsksForAFileAndACancelLeavesNone()
    {
        testsupport::Env env;
        QTemporaryDir dir;
        PdfFilePrinter pdf(pdfEntryName());
        pdf.setScaleMode(kScaleMillimetres);

        env.dialogs.files << std::nullopt;   // cancelled
        pdf.line(0, 0, 10, 10);
        pdf.print(QStringLiteral("棚卸"));
        QCOMPARE(env.dialogs.shown.size(), 1);   // asked once, not for every drawing
        QVERIFY(!pdf.endDoc());
        QVERIFY(pdf.lastJobCancelled());
        QVERIFY(QDir(dir.path()).isEmpty());

        // A name without ".pdf" gets it; an existing file is replaced only when the user says so.
        const QString file = dir.filePath(QStringLiteral("sheet"));
        QFile old(file + QStringLiteral(".pdf"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("keep");
        old.close();
        env.dialogs.files << file;
        env.dialogs.answers << dlg::vbNo;
        pdf.print(QStringLiteral("棚卸"));
        QVERIFY(!pdf.endDoc());
        QVERIFY(pdf.lastJobCancelled());
        QCOMPARE(env.dialogs.shown.last().kind, QStringLiteral("message"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("keep"));
        old.close();

        // A job the engine abandons midway leaves neither the file nor its temporary.
        env.dialogs.files << dir.filePath(QStringLiteral("half.pdf"));
        pdf.print(QStringLiteral("一頁目"));
        pdf.newPage();
        pdf.print(QStringLiteral("二頁目"));
        pdf.abortDoc();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("sheet.pdf")});

        env.dialogs.files << file;
        env.dialogs.answers << dlg::vbYes;
        pdf.print(QStringLiteral("棚卸"));
        QVERIFY(pdf.endDoc());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QVERIFY(old.readAll().startsWith("%PDF"));

        // A folder that cannot be written to abandons the job with a reason.
        env.dialogs.files << QStringLiteral("/nonexistent-folder/x.pdf");
        pdf.print(QStringLiteral("棚卸"));
        QCOMPARE(pdf.jobState(), JobState::Abandoned);
        QVERIFY(!pdf.endDoc());
        QVERIFY(!pdf.lastError().isEmpty());
        QVERIFY(!pdf.lastJobCancelled());
        QCOMPARE(pdf.lastFailure(), JobFailure::CannotWrite);
        QCOMPARE(pdf.lastFailureTarget(), QStringLiteral("/nonexistent-folder/x.pdf"));
    }

    void theCollectionAlwaysHasThePdfEntry()
    {
        // main() points CUPS at a socket where no spooler listens: no queue, still a printer.
        QCOMPARE(printerNames(), QStringList{pdfEntryName()});
        QCOMPARE(printerCount(), 1);
        QCOMPARE(currentPrinter().deviceName(), pdfEntryName());
        QVERIFY(!setCurrentPrinter(1));
        QVERIFY(setCurrentPrinter(0));
        QCOMPARE(currentPrinterIndex(), 0);

        TestCollection two;
        setCollection(&two);
        QCOMPARE(printerNames(), QStringList({QStringLiteral("一階"), QStringLiteral("二階")}));
        QCOMPARE(currentPrinter().deviceName(), QStringLiteral("一階"));
        currentPrinter().setFontName(QStringLiteral("ＭＳ ゴシック"));
        QVERIFY(setCurrentPrinter(1));
        QCOMPARE(currentPrinter().deviceName(), QStringLiteral("二階"));
        QCOMPARE(currentPrinter().fontName(), QStringLiteral("ＭＳ 明朝"));   // a fresh printer object
        QVERIFY(!setCurrentPrinter(2));
        QCOMPARE(currentPrinterIndex(), 1);
        // By name: the printer of that name wherever it stands now; a name gone changes nothing.
        QVERIFY(choosePrinter(QStringLiteral("一階"), 1));
        QCOMPARE(currentPrinter().deviceName(), QStringLiteral("一階"));
        QCOMPARE(currentPrinterIndex(), 0);
        QVERIFY(!choosePrinter(QStringLiteral("三階")));
        QCOMPARE(currentPrinter().deviceName(), QStringLiteral("一階"));
        setCollection(nullptr);
        QCOMPARE(currentPrinter().deviceName(), pdfEntryName());
    }
    void aQueueGetsOnlyCompleteDocuments()
    {
        PrivateSpooler spooler;
        CUPSFIXTURE_START_OR_SKIP(spooler);
        QCOMPARE(spooler.addQueue(QStringLiteral("Kitchen")), QString());
        QCOMPARE(printerNames(), QStringList({QStringLiteral("Kitchen"), pdfEntryName()}));
        QVERIFY(setCurrentPrinter(0));
        PrinterObject& p = currentPrinter();
        QCOMPARE(p.deviceName(), QStringLiteral("Kitchen"));

        // A job the engine abandons never reaches the queue: the next job is the spooler's first.
        p.setScaleMode(kScaleMillimetres);
        p.print(QStringLiteral("途中まで"));
        p.abortDoc();
        QVERIFY(p.setPaperSize(kPaperA4));
        p.setCurrentX(20);
        p.setCurrentY(20);
        p.print(QStringLiteral("台所の棚卸　合計"));
        p.line(10, 30, 100, 30);
        QVERIFY2(p.endDoc(), qPrintable(p.lastError()));
        QCOMPARE(static_cast<QueuePrinter&>(p).lastJobId(), 1);
        QVERIFY(spooler.waitForOutput(QStringLiteral("Kitchen")));
        const QString out = spooler.outPath(QStringLiteral("Kitchen"));
        QVERIFY(run(QStringLiteral("pdftotext"), {out, QStringLiteral("-")}).contains(QStringLiteral("台所の棚卸")));
        QVERIFY(!run(QStringLiteral("pdftotext"), {out, QStringLiteral("-")}).contains(QStringLiteral("途中まで")));
        QVERIFY(run(QStringLiteral("pdfinfo"), {out}).contains(QStringLiteral("(A4)")));


        // A queue with an unprintable border: the origin is the printable area's corner, and the
        // physical offsets are that border in device pixels.
        QCOMPARE(spooler.addQueue(QStringLiteral("Office"), spooler.writeOfficePpd()), QString());
        QVERIFY(setCurrentPrinter(printerNames().indexOf(QStringLiteral("Office"))));
        PrinterObject& o = currentPrinter();
        QCOMPARE(o.paperSize(), kPaperA4);                   // the queue's default paper
        QCOMPARE(o.pixelsToTwipsX(o.physicalOffsetPx().x()), 240.0);   // 12 points
        QCOMPARE(o.pixelsToTwipsY(o.physicalOffsetPx().y()), 360.0);   // 18 points
        QVERIFY(std::fabs(o.pixelsToTwipsX(o.physicalSizePx().width()) - 595 * 20) <= o.pixelsToTwipsX(1));
        QVERIFY(!o.setPaperSize(8));                         // A3: not offered by this queue
        QCOMPARE(o.paperSize(), kPaperA4);
        o.setScaleMode(kScaleTwips);
        o.setCurrentX(1440);
        o.setCurrentY(1440);
        o.print(QStringLiteral("事務所"));
        QVERIFY2(o.endDoc(), qPrintable(o.lastError()));
        QVERIFY(spooler.waitForOutput(QStringLiteral("Office")));
        // pdftotext's boxes are in points from the sheet's corner: one inch plus the border.
        const QString box = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), spooler.outPath(QStringLiteral("Office")),
                                                             QStringLiteral("-")});
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>事務所")).match(box);
        QVERIFY2(m.hasMatch(), qPrintable(box));
        QVERIFY(std::fabs(m.captured(1).toDouble() - (72 + 12)) < 1);
        QVERIFY(std::fabs(m.captured(2).toDouble() - (72 + 18)) < 3);

        // A queue removed while its document is drawn, and one that refuses jobs: nothing is sent,
        // and the printer says which of the two.
        QVERIFY(choosePrinter(QStringLiteral("Kitchen")));
        PrinterObject& k = currentPrinter();
        k.print(QStringLiteral("撤去"));
        QCOMPARE(k.jobState(), JobState::Open);
        QCOMPARE(spooler.removeQueue(QStringLiteral("Kitchen")), QString());
        QVERIFY(!k.endDoc());
        QCOMPARE(k.lastFailure(), JobFailure::NoPrinter);
        QCOMPARE(k.lastFailureTarget(), QStringLiteral("Kitchen"));
        QVERIFY(!choosePrinter(QStringLiteral("Kitchen")));
        QCOMPARE(spooler.rejectJobs(QStringLiteral("Office")), QString());
        QVERIFY(choosePrinter(QStringLiteral("Office")));
        currentPrinter().print(QStringLiteral("停止中"));
        QVERIFY(!currentPrinter().endDoc());
        QCOMPARE(currentPrinter().lastFailure(), JobFailure::NotAccepting);
        setCollection(nullptr);
    }
};

BREVOTANE_CUPS_TEST_MAIN(TestPrinter, "no-spooler.sock")

#include "test_printer.moc"
