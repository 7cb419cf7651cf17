// The count-sheet dialog printing for real: to a queue of a private CUPS spooler and into a PDF file
// through the PDF entry, the output read back with pdftotext. While the count-sheet engines finish
// no document these tests are skipped.
#include "TestSupport.h"
#include "CupsFixture.h"
#include "PdfCheck.h"

#include "common/global.h"
#include "platform/Db.h"
#include "platform/PrinterCollection.h"
#include "printing/DialogTanaMoto1.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QRegularExpression>

using cupsfixture::PrivateSpooler;
using cupsfixture::run;

namespace {

const QDate kDate(2026, 3, 31);
const char kEnginesMissing[] = "the count-sheet engines finished no document";

// Two categories: 文具 with two lines (5,460), 食品 with one (900); total 6,360.
void fill()
{
    db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具'), (2, '食品')");
    const auto add = [](int id, int category, const char* name, double qty, const char* unit, double price) {
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単位, 単価, 価格) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                 {id, db::isoDate(kDate), category, QString::fromUtf8(name), qty, QString::fromUtf8(unit), price,
                  qty * price});
    };
    add(1, 1, "コピー用紙Ａ４", 3, "箱", 1500);
    add(2, 1, "ボールペン", 12, "本", 80);
    add(3, 2, "緑茶", 2.25, "袋", 400);
}

// The line of the layout text that holds the label, blanks collapsed.
QString lineWith(const QString& text, const QString& label)
{
    for (const QString& l : text.split(QLatin1Char('\n')))
        if (l.contains(label))
            return l.simplified();
    return {};
}

void checkSheetText(const QString& text)
{
    // The layout mode turns ideographic blanks into plain ones.
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("棚\\s+卸\\s+表"))), qPrintable(text));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("品\\s+名"))));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("価\\s+格"))));
    QVERIFY(text.contains(QStringLiteral("文具")));
    QVERIFY(text.contains(QStringLiteral("食品")));
    const QString row = lineWith(text, QStringLiteral("コピー用紙Ａ４"));
    QVERIFY2(row.contains(QStringLiteral("1,500")) && row.contains(QStringLiteral("4,500")), qPrintable(row));
    QVERIFY(lineWith(text, QStringLiteral("緑茶")).contains(QStringLiteral("2.25")));
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("小計\\s+5,460"))), qPrintable(text));
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("合計\\s+6,360"))), qPrintable(text));
}

} // namespace

class TestDialogPrinting : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        global::PrintFontName = QStringLiteral("ＭＳ 明朝");
        global::PrinterIndex = 0;
    }

    void bothA4LayoutsIntoPdfThroughThePdfEntry()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        QTemporaryDir out;
        global::PrintDeviceName = prn::pdfEntryName();
        auto* d = forms::get<DialogTanaMoto1>();
        QCOMPARE(prn::currentPrinter().deviceName(), prn::pdfEntryName());
        d->Form_Activate();
        d->DTPicker1->setDate(kDate);

        for (int kind : {0, 1}) {
            const QString file = out.filePath(QStringLiteral("棚卸表%1.pdf").arg(kind));
            env.dialogs.clear();
            env.dialogs.files << file;
            d->Combo1->setCurrentIndex(kind);
            emit d->Combo1->activated(kind);
            d->Command3_Click();
            QVERIFY(d->lastPrintRan());
            if (!d->lastResult().printed)
                QSKIP(kEnginesMissing);
            QCOMPARE(env.dialogs.shown.value(0).kind, QStringLiteral("save"));
            QCOMPARE(env.dialogs.messages(), QStringList());   // the totals agree
            QCOMPARE(d->lastResult().printedTotal, 6360.0);
            QCOMPARE(d->Text1->text(), QStringLiteral("6360"));
            checkSheetText(pdfcheck::text(file));
            const QString fonts = run(QStringLiteral("pdffonts"), {file});
            QVERIFY2(fonts.contains(QStringLiteral("IPAMincho")), qPrintable(fonts));
        }

        // A file that cannot be written: told which, in Japanese, and nothing is left behind.
        env.dialogs.clear();
        env.dialogs.files << QStringLiteral("/nonexistent-folder/棚卸表.pdf");
        d->Command3_Click();
        QVERIFY(!d->lastResult().printed);
        QCOMPARE(env.dialogs.messages(), QStringList{DialogTanaMoto1::kNotPrinted +
                                                     QStringLiteral("\nファイル「/nonexistent-folder/棚卸表.pdf」に書き込めません。")});
        QVERIFY(!d->isUnloaded());
    }

    void thePrinterChosenIsThePrinterThatPrints()
    {
        PrivateSpooler spooler;
        CUPSFIXTURE_START_OR_SKIP(spooler);
        for (const char* q : {"Office", "RawQ", "Shop", "Trays"})
            QCOMPARE(spooler.addQueue(QString::fromLatin1(q)), QString());
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        global::PrintDeviceName = QStringLiteral("Office");
        auto* d = forms::get<DialogTanaMoto1>();
        d->Form_Activate();
        d->DTPicker1->setDate(kDate);
        const auto shown = [d] {
            QStringList out;
            for (int i = 0; i < d->Combo6->count(); ++i)
                out << d->Combo6->itemText(i);
            return out;
        };
        const auto choose = [d, &shown](const QString& name) {
            const int i = static_cast<int>(shown().indexOf(name));
            d->Combo6->setCurrentIndex(i);
            emit d->Combo6->activated(i);
        };
        QCOMPARE(shown(), QStringList({"Office", "RawQ", "Shop", "Trays", prn::pdfEntryName()}));

        // A queue comes while the list is open: the one chosen from the list shown prints.
        QCOMPARE(spooler.addQueue(QStringLiteral("Aardvark")), QString());
        choose(QStringLiteral("Shop"));
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("Shop"));
        QCOMPARE(global::PrinterIndex, 3);
        d->Command3_Click();
        QVERIFY(d->lastResult().printed);
        QVERIFY(spooler.waitForOutput(QStringLiteral("Shop")));
        QVERIFY(!QFile::exists(spooler.outPath(QStringLiteral("RawQ"))));
        QVERIFY(env.dialogs.shown.isEmpty());

        // A queue gone before it is chosen: told, the printer stays, the list is the spooler's now.
        QCOMPARE(spooler.removeQueue(QStringLiteral("Trays")), QString());
        choose(QStringLiteral("Trays"));
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("プリンタ「Trays」が見つかりません。")});
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("Shop"));
        QCOMPARE(d->Combo6->currentText(), QStringLiteral("Shop"));
        QCOMPARE(shown(), QStringList({"Aardvark", "Office", "RawQ", "Shop", prn::pdfEntryName()}));

        // Gone after it was chosen, or refusing jobs: told why, and nothing is sent anywhere.
        env.dialogs.clear();
        choose(QStringLiteral("RawQ"));
        QCOMPARE(spooler.removeQueue(QStringLiteral("RawQ")), QString());
        d->Command3_Click();
        QVERIFY(!d->lastResult().printed);
        choose(QStringLiteral("Office"));
        QCOMPARE(spooler.rejectJobs(QStringLiteral("Office")), QString());
        d->Command3_Click();
        QVERIFY(!d->lastResult().printed);
        QCOMPARE(env.dialogs.messages(),
                 QStringList({DialogTanaMoto1::kNotPrinted + QStringLiteral("\nプリンタ「RawQ」が見つかりません。"),
                              DialogTanaMoto1::kNotPrinted + QStringLiteral("\nプリンタ「Office」は印刷を受け付けていません。")}));
        QThread::msleep(300);
        QVERIFY(!QFile::exists(spooler.outPath(QStringLiteral("RawQ"))));
        QVERIFY(!QFile::exists(spooler.outPath(QStringLiteral("Office"))));
        QVERIFY(d->unload());
        QCOMPARE(global::PrintDeviceName, QStringLiteral("Office"));
    }

    void aCountSheetThroughTheSpooler()
    {
        PrivateSpooler spooler;
        CUPSFIXTURE_START_OR_SKIP(spooler);
        QCOMPARE(spooler.addQueue(QStringLiteral("Counter")), QString());

        testsupport::Env env;
        env.openNewDatabase();
        fill();
        global::PrintDeviceName = QStringLiteral("Counter");
        auto* d = forms::get<DialogTanaMoto1>();
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("Counter"));
        d->Form_Activate();
        QCOMPARE(d->Combo6->currentText(), QStringLiteral("Counter"));
        d->DTPicker1->setDate(kDate);
        d->Combo1->setCurrentIndex(0);
        d->Command3_Click();
        QVERIFY(d->lastPrintRan());
        if (!d->lastResult().printed)
            QSKIP(kEnginesMissing);
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(spooler.waitForOutput(QStringLiteral("Counter")));
        const QString file = spooler.outPath(QStringLiteral("Counter"));
        QVERIFY(run(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("(A4)")));
        checkSheetText(pdfcheck::text(file));
        QVERIFY(d->unload());
        QCOMPARE(global::PrintDeviceName, QStringLiteral("Counter"));
    }
};

// CUPS listens only where this test's own spooler is started.
BREVOTANE_CUPS_TEST_MAIN(TestDialogPrinting, "spooler.sock")

#include "test_dialog_printing.moc"
