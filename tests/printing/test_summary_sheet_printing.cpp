// The grouped summary dialog printing for real: both summaries into PDF files through the PDF
// entry of the printer list, read back with pdftotext, pdffonts and pdfinfo.
#include "TestSupport.h"

#include "PdfCheck.h"

#include "common/global.h"
#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/PrinterCollection.h"
#include "printing/DialogTanaMoto3.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace {

const QDate kDate(2026, 3, 31);

// Categories 文具 and 食品 and 30 products ノート01 … ノート30, product i worth i × 1,000 in 文具
// when i is even and in 食品 when it is odd; one more line of ノート01 for 500 in 未区分.
void fill()
{
    db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具'), (2, '食品')");
    db::Transaction t;
    for (int i = 1; i <= 30; ++i) {
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (?, ?)",
                 {i, QStringLiteral("ノート%1").arg(i, 2, 10, QLatin1Char('0'))});
        db::exec("INSERT INTO 棚卸マスター (日付, 項目ID, 品名ID, 品名, 数量, 単価, 価格) VALUES (?, ?, ?, 'ノート', 1, ?, ?)",
                 {db::isoDate(kDate), i % 2 + 1, i, i * 1000, i * 1000});
    }
    db::exec("INSERT INTO 棚卸マスター (日付, 項目ID, 品名ID, 品名, 数量, 単価, 価格) VALUES (?, 0, 1, 'ノート', 1, 500, 500)",
             {db::isoDate(kDate)});
    t.commit();
}

} // namespace

class TestSummarySheetPrinting : public QObject {
    Q_OBJECT
private slots:
    void bothSummariesIntoPdfThroughThePdfEntry()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        global::PrintFontName = QStringLiteral("ＭＳ 明朝");
        global::PrinterIndex = 0;
        global::PrintDeviceName = prn::pdfEntryName();
        auto* d = forms::get<DialogTanaMoto3>();
        QCOMPARE(prn::currentPrinter().deviceName(), prn::pdfEntryName());
        d->DTPicker1->setDate(kDate);

        // By category.
        const QString categories = env.path("項目分類別集計.pdf");
        d->Text3->setText(QStringLiteral("棚卸表 (項目/分類別集計)"));
        d->Text4->setText(QStringLiteral("項目/分類名"));
        d->Form_Activate();
        env.dialogs.files << categories;
        d->Command3->click();
        QVERIFY(d->lastResult().printed);
        QCOMPARE(env.dialogs.shown.value(0).kind, QStringLiteral("save"));
        QCOMPARE(env.dialogs.messages(), QStringList());
        const QString text = pdfcheck::text(categories);
        QVERIFY2(text.contains(QRegularExpression("棚卸表\\s*\\(項目/分類別集計\\)")), qPrintable(text.left(400)));
        QVERIFY(text.contains(QRegularExpression("項目/分類名\\s+価格\\s+集計数")));
        QVERIFY(text.contains(QRegularExpression("文具\\s+240,000\\s+15\\s*\\n[^\\n]*食品\\s+225,000\\s+15")));
        QVERIFY(text.contains(QRegularExpression("未区分\\s+500\\s+1")));
        QVERIFY(text.contains(QRegularExpression("小計\\s+465,500")));
        QVERIFY(text.contains(QRegularExpression("合計\\s+465,500")));
        QVERIFY(text.contains(QRegularExpression("日付\\s+2026/03/31\\s+日現在")));
        const QString fonts = pdfcheck::run("pdffonts", {categories});
        QVERIFY2(fonts.contains("IPAMincho"), qPrintable(fonts));
        QVERIFY(pdfcheck::run("pdfinfo", {categories}).contains(QRegularExpression("Pages:\\s+1\\b")));

        // By product, with the caption following the title: 30 groups on two pages.
        const QString products = env.path("品名別集計.pdf");
        d->Text3->setText(QStringLiteral("棚卸表 (品名別集計)"));
        d->Text4->setText(QStringLiteral("品名"));
        d->Form_Activate();
        QCOMPARE(d->windowTitle(), QStringLiteral("棚卸表 (品名別集計)"));
        env.dialogs.clear();
        env.dialogs.files << products;
        d->Command3->click();
        QVERIFY(d->lastResult().printed);
        QCOMPARE(d->lastResult().pages, 2);
        const QString ptext = pdfcheck::text(products);
        QVERIFY2(ptext.contains(QRegularExpression("ノート01\\s+1,500\\s+2")), qPrintable(ptext.left(600)));
        QVERIFY(ptext.contains(QRegularExpression("ノート28\\s+28,000\\s+1")));
        QVERIFY(ptext.contains(QRegularExpression("小計\\s+406,500")));
        QVERIFY(ptext.contains(QRegularExpression("小計\\s+59,000")));
        QVERIFY(ptext.contains(QRegularExpression("合計\\s+465,500")));
        QVERIFY(pdfcheck::run("pdfinfo", {products}).contains(QRegularExpression("Pages:\\s+2\\b")));
        QVERIFY(d->unload());
    }

    // The dialog asks for the PDF file before the job, and only when something is to be printed;
    // a name it was given serves that one job.
    void theFileIsAskedForEachPrintThatDrawsPages()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        global::PrinterIndex = 0;
        global::PrintDeviceName = prn::pdfEntryName();
        auto* d = forms::get<DialogTanaMoto3>();
        d->Text3->setText(QStringLiteral("棚卸表 (項目/分類別集計)"));
        d->Text4->setText(QStringLiteral("項目/分類名"));
        d->Form_Activate();

        d->DTPicker1->setDate(kDate.addYears(-1));   // no lines: nothing to print, nothing asked
        d->Command3->click();
        QVERIFY(!d->lastResult().printed);
        QVERIFY(env.dialogs.shown.isEmpty());

        d->DTPicker1->setDate(kDate);
        const QString file = env.path("集計.pdf");
        env.dialogs.files << file;
        d->Command3->click();
        QVERIFY(d->lastResult().printed);
        QVERIFY(QFile::remove(file));

        env.dialogs.clear();   // the next print asks again; cancelled, it writes nothing
        d->Command3->click();
        QCOMPARE(env.dialogs.shown.size(), 1);
        QCOMPARE(env.dialogs.shown.at(0).kind, QStringLiteral("save"));
        QVERIFY(d->lastResult().cancelled);
        QVERIFY(!QFile::exists(file));
        QVERIFY(!pointer::isHourglass());
        QVERIFY(d->unload());
    }
};

// No spooler here: the printer list holds the PDF entry alone.
BREVOTANE_CUPS_TEST_MAIN(TestSummarySheetPrinting, "none.sock")

#include "test_summary_sheet_printing.moc"
