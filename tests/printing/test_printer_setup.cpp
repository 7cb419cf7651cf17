// The printer setup window against a private CUPS spooler: the papers of a queue with their codes
// and names in the driver's order, the current paper, the copies line and the tray sentence, a
// paper choice that becomes the user's default for the queue, a queue without paper choices, the
// property sheet, and the PDF entry. The user's CUPS folder is a temporary one.
#include "TestSupport.h"
#include "CupsFixture.h"

#include "common/WindowTable.h"
#include "common/global.h"
#include "platform/CupsQueues.h"
#include "platform/Cursor.h"
#include "platform/PrinterCollection.h"
#include "printing/PrintDialogShell.h"
#include "printing/PrinterSetupData.h"
#include "printing/frmPrinterP.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QDialog>
#include <QTimer>

using cupsfixture::PrivateSpooler;
using cupsfixture::run;
using namespace printing::setup;

namespace {

QTemporaryDir* g_home = nullptr;

QStringList items(const QComboBox* c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

QList<int> codes(const QComboBox* c)
{
    QList<int> out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemData(i).toInt();
    return out;
}

// The options the user's lpoptions give the queue, as lpoptions prints them.
QString userOptions(const QString& queue)
{
    return run(QStringLiteral("lpoptions"), {QStringLiteral("-p"), queue});
}

// Whatever lpoptions files the user (or root, who writes the server folder's) has.
QString lpoptionsFiles()
{
    QString all;
    for (const QString& f : {g_home->path() + QStringLiteral("/home/.cups/lpoptions"),
                             g_home->path() + QStringLiteral("/server/lpoptions")}) {
        QFile file(f);
        if (file.open(QIODevice::ReadOnly))
            all += QString::fromUtf8(file.readAll());
    }
    return all;
}

// Opens the window on the printer of that name.
frmPrinterP* openOn(const QString& name)
{
    const int index = static_cast<int>(prn::printerNames().indexOf(name));
    if (index < 0 || !prn::setCurrentPrinter(index))
        return nullptr;
    return forms::get<frmPrinterP>();
}

void choose(QComboBox* c, int index)
{
    c->setCurrentIndex(index);
}

} // namespace

class TestPrinterSetup : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        forms::unloadAll();
        prn::setCollection(nullptr);
        pointer::reset();
    }

    void paperNamesTextsAndSources()
    {
        // The names: the constant's name, none for 56, unknown codes below 256, user codes above.
        QCOMPARE(paperCodeName(1), QStringLiteral("LETTER"));
        QCOMPARE(paperCodeName(55), QStringLiteral("A4_TRANSVERSE"));
        QCOMPARE(paperCodeName(56), QStringLiteral("UNKNOWN(56)"));
        QCOMPARE(paperCodeName(57), QStringLiteral("A_PLUS"));
        QCOMPARE(paperCodeName(95), QStringLiteral("P32KBIG"));
        QCOMPARE(paperCodeName(96), QStringLiteral("PENV_1"));
        QCOMPARE(paperCodeName(108), QStringLiteral("P32KBIG_ROTATED"));
        QCOMPARE(paperCodeName(109), QStringLiteral("PENV_1_ROTATED"));
        QCOMPARE(paperCodeName(118), QStringLiteral("PENV_10_ROTATED"));
        QCOMPARE(paperCodeName(119), QStringLiteral("UNKNOWN(119)"));
        QCOMPARE(paperCodeName(255), QStringLiteral("UNKNOWN(255)"));
        QCOMPARE(paperCodeName(256), QStringLiteral("USER(256)"));
        QCOMPARE(paperCodeName(257), QStringLiteral("USER(257)"));

        // A user size on a 600-dpi printer: 11,904 and 16,838 twips, divided by 57 and cut.
        const QSize sheet(4960, 7016);
        const QPointF dpi(600, 600);
        QCOMPARE(currentPaperText(256, sheet, dpi), QStringLiteral("ユーザー定義サイズ  H 208 × W 295㎜"));
        QCOMPARE(currentPaperText(43, sheet, dpi), QStringLiteral("User Size  H 208 × W 295㎜"));
        QCOMPARE(currentPaperText(9, sheet, dpi), QStringLiteral("A4、210 x 297 mm"));
        QCOMPARE(currentPaperText(41, sheet, dpi), QStringLiteral("ドイツ リーガル ファンフォールド、8 1/2 x 13 インチ"));
        // Half a twip goes to the even neighbour: 1,425.5 twips is 1,426 -> 25; 1,424.5 is 1,424 -> 24.
        QCOMPARE(currentPaperText(300, QSize(2851, 2849), QPointF(2880, 2880)), QStringLiteral("User Size  H 25 × W 24㎜"));

        QCOMPARE(paperSourceText(2), QStringLiteral("下段のトレーの用紙を使います。"));
        QCOMPARE(paperSourceText(14), QStringLiteral("カセットカートリッジの用紙を使います。"));
        QVERIFY(paperSourceText(12).isEmpty() && paperSourceText(13).isEmpty() && paperSourceText(0).isEmpty()
                && paperSourceText(15).isEmpty());
        QCOMPARE(copiesText(-1), QStringLiteral("このプリンターの最大印刷部数は　-1枚です。"));

        // The spooler's source keywords and the drivers' slot names land on the same codes.
        QCOMPARE(prn::cups::binCode(QStringLiteral("top")), 1);
        QCOMPARE(prn::cups::binCode(QStringLiteral("Upper")), 1);
        QCOMPARE(prn::cups::binCode(QStringLiteral("bottom")), 2);
        QCOMPARE(prn::cups::binCode(QStringLiteral("by-pass-tray")), 4);
        QCOMPARE(prn::cups::binCode(QStringLiteral("large-capacity")), 11);
        QCOMPARE(prn::cups::binCode(QStringLiteral("tray-3")), 0);
        QCOMPARE(prn::cups::binCode(QString()), 0);
    }

    void thePdfEntry()
    {
        testsupport::Env env;
        // No spooler runs: the PDF entry is the only printer.
        QCOMPARE(prn::printerNames(), QStringList{prn::pdfEntryName()});
        auto* w = openOn(prn::pdfEntryName());
        QVERIFY(w);
        QCOMPARE(items(w->Combo3), QStringList{prn::pdfEntryName()});
        QCOMPARE(w->SetupPrinterIndex, 0);
        QVERIFY(!w->paperPartGreyed());
        // Every standard size with a code, by code, named as Qt names it.
        const QList<int> c = codes(w->Combo1);
        QVERIFY(c.size() > 40);
        QVERIFY(std::is_sorted(c.begin(), c.end()));
        QCOMPARE(c.first(), 1);
        QVERIFY(c.contains(9) && c.contains(13) && !c.contains(56));
        QCOMPARE(w->Combo2->count(), w->Combo1->count());
        QCOMPARE(w->Combo2->itemText(static_cast<int>(c.indexOf(9))), QStringLiteral("A4"));
        QCOMPARE(w->Combo2->currentText(), QStringLiteral("A4、210 x 297 mm"));
        QCOMPARE(w->Label6->text(), QStringLiteral("このプリンターの最大印刷部数は　1枚です。"));
        QVERIFY(w->Label7->text().isEmpty());

        // A paper chosen changes no default (a PDF file has none); there is no property sheet.
        choose(w->Combo2, 0);
        w->Combo2_Click();
        QCOMPARE(w->Combo1->currentIndex(), 0);
        QVERIFY(lpoptionsFiles().isEmpty());
        w->Command3_Click();
        QCOMPARE(w->Label4->text(), frmPrinterP::kCannotShow);
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void aQueueWithTrays()
    {
        PrivateSpooler spooler;
        CUPSFIXTURE_START_OR_SKIP(spooler);
        QCOMPARE(spooler.addQueue(QStringLiteral("Trays"), spooler.writeTraysPpd(QStringLiteral("Lower"))), QString());
        QCOMPARE(spooler.addQueue(QStringLiteral("Tray3"), spooler.writeTraysPpd(QStringLiteral("Tray3"))), QString());
        QCOMPARE(spooler.addQueue(QStringLiteral("Raw")), QString());
        testsupport::Env env;

        global::PrintDeviceName = QStringLiteral("Raw");
        auto* w = openOn(QStringLiteral("Trays"));
        QVERIFY(w);
        // The window starts on the current printer, not on the printer the program keeps.
        QCOMPARE(items(w->Combo3), QPrinterInfo::availablePrinterNames() << prn::pdfEntryName());
        QCOMPARE(w->Combo3->currentText(), QStringLiteral("Trays"));
        QCOMPARE(w->SetupPrinterIndex, prn::currentPrinterIndex());
        // The driver's papers in its order; the two without a standard code get codes from 256.
        QCOMPARE(items(w->Combo2), QStringList({"US Letter", "A4", "JIS B5", "A3", "Hagaki", "Label 60x90"}));
        QCOMPARE(codes(w->Combo1), QList<int>({1, 9, 13, 8, 43, 256}));
        QCOMPARE(items(w->Combo1), QStringList({"LETTER", "A4", "B5", "A3", "JAPANESE_POSTCARD", "USER(256)"}));
        QCOMPARE(w->Combo2->currentText(), QStringLiteral("B5、182 x 257 mm"));
        QCOMPARE(w->Label6->text(), QStringLiteral("このプリンターの最大印刷部数は　9999枚です。"));
        QCOMPARE(w->Label7->text(), QStringLiteral("下段のトレーの用紙を使います。"));
        QVERIFY(!w->paperPartGreyed() && w->Combo2->isEnabled());

        if (qEnvironmentVariableIsSet("PRINTER_SETUP_SHOT")) {
            w->show();
            QTest::qWait(300);
            w->grab().save(qEnvironmentVariable("PRINTER_SETUP_SHOT"));
        }

        // A paper chosen becomes the user's default for that queue; the window's texts stay.
        choose(w->Combo2, 5);
        w->Combo2_Click();
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("USER(256)"));
        QCOMPARE(prn::cups::userDefault(QStringLiteral("Trays"), QStringLiteral("media")),
                 QStringLiteral("custom_59.97x89.96mm_59.97x89.96mm"));
        QVERIFY2(userOptions(QStringLiteral("Trays")).contains(QStringLiteral("media=custom_59.97x89.96mm")),
                 qPrintable(userOptions(QStringLiteral("Trays"))));
        QVERIFY(lpoptionsFiles().contains(QStringLiteral("Dest Trays")));
        QCOMPARE(w->Label7->text(), QStringLiteral("下段のトレーの用紙を使います。"));

        // Read again, the label sheet is the current paper: whole millimetres of the sheet.
        w->Combo3_Click();
        QCOMPARE(w->Combo2->currentText(), QStringLiteral("ユーザー定義サイズ  H 59 × W 89㎜"));
        choose(w->Combo2, 4);
        w->Combo2_Click();
        w->Combo3_Click();
        QCOMPARE(w->Combo2->currentText(), QStringLiteral("User Size  H 99 × W 147㎜"));
        // Another queue keeps its own default.
        QVERIFY(prn::cups::userDefault(QStringLiteral("Tray3"), QStringLiteral("media")).isEmpty());

        // A tray without a bin code leaves the sentence empty; the user's own tray is read.
        choose(w->Combo3, static_cast<int>(prn::printerNames().indexOf(QStringLiteral("Tray3"))));
        w->Combo3_Click();
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("Tray3"));
        QCOMPARE(w->Combo2->currentText(), QStringLiteral("B5、182 x 257 mm"));
        QVERIFY(w->Label7->text().isEmpty());
        run(QStringLiteral("lpoptions"), {QStringLiteral("-p"), QStringLiteral("Tray3"), QStringLiteral("-o"),
                                          QStringLiteral("InputSlot=Manual")});
        w->Combo3_Click();
        QCOMPARE(w->Label7->text(), QStringLiteral("用紙が1枚ずつ手差しで供給されるまで待機します。"));

        // The chosen printer stays current after OK.
        const int tray3 = prn::currentPrinterIndex();
        w->Command1_Click();
        QVERIFY(w->isUnloaded());
        QCOMPARE(prn::currentPrinterIndex(), tray3);
        QCOMPARE(global::PrintDeviceName, QStringLiteral("Raw"));
    }

    void aQueueWithoutPaperChoicesAndThePropertySheet()
    {
        PrivateSpooler spooler;
        CUPSFIXTURE_START_OR_SKIP(spooler);
        QCOMPARE(spooler.addQueue(QStringLiteral("Sheets"), spooler.writeTraysPpd(QStringLiteral("Upper"))), QString());
        QCOMPARE(spooler.addQueue(QStringLiteral("Plain")), QString());
        testsupport::Env env;
        const QString before = lpoptionsFiles();

        // A queue that reports no papers: the paper part greys, what the other printer showed is gone.
        auto* w = openOn(QStringLiteral("Sheets"));
        QVERIFY(w);
        QCOMPARE(w->Label7->text(), QStringLiteral("上段のトレーの用紙を使います。"));
        choose(w->Combo3, static_cast<int>(prn::printerNames().indexOf(QStringLiteral("Plain"))));
        w->Combo3_Click();
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("Plain"));
        QVERIFY(w->paperPartGreyed());
        QVERIFY(!w->Combo2->isEnabled() && !w->Label2->isEnabled() && !w->Label3->isEnabled()
                && !w->Label7->isEnabled());
        QVERIFY(w->Frame1->isEnabled());
        QCOMPARE(w->Combo1->count(), 0);
        QCOMPARE(w->Combo2->count(), 0);
        QVERIFY2(w->Combo2->currentText().isEmpty(), qPrintable(w->Combo2->currentText()));
        QVERIFY(w->Label6->text().isEmpty() && w->Label7->text().isEmpty());
        // Nothing to choose, and nothing is written for it even when asked directly.
        w->Combo2_Click();
        QVERIFY(!writeDefaultPaper(QStringLiteral("Plain"), QStringLiteral("iso_a4_210x297mm")));
        QVERIFY(!writeDefaultPaper(QStringLiteral("Gone"), QStringLiteral("iso_a4_210x297mm")));
        // A paper the queue does not offer is not written either.
        QVERIFY(!writeDefaultPaper(QStringLiteral("Sheets"), QStringLiteral("iso_a0_841x1189mm")));
        QCOMPARE(lpoptionsFiles(), before);

        // The property sheet cannot be shown: the label says so and stays.
        env.dialogs.sheets << dlg::PropertySheet{false, std::nullopt};
        w->Command3_Click();
        QCOMPARE(w->Label4->text(), frmPrinterP::kCannotShow);
        QCOMPARE(env.dialogs.shown.size(), 1);
        QCOMPARE(env.dialogs.shown.first().kind, QStringLiteral("printer"));
        QCOMPARE(env.dialogs.shown.first().text, QStringLiteral("Plain"));

        // A sheet closed with OK on A4: the queue's default paper is A4, read again at once.
        choose(w->Combo3, static_cast<int>(prn::printerNames().indexOf(QStringLiteral("Sheets"))));
        w->Combo3_Click();
        QCOMPARE(w->Combo2->currentText(), QStringLiteral("B5、182 x 257 mm"));
        env.dialogs.sheets << dlg::PropertySheet{true, QPageSize(QPageSize::A4)};
        w->Command3_Click();
        QCOMPARE(env.dialogs.shown.last().text, QStringLiteral("Sheets"));
        QCOMPARE(prn::cups::userDefault(QStringLiteral("Sheets"), QStringLiteral("media")),
                 QStringLiteral("iso_a4_210x297mm"));
        QCOMPARE(w->Combo2->currentText(), QStringLiteral("A4、210 x 297 mm"));
        QVERIFY(!w->paperPartGreyed());
        // Cancelled (nothing queued): nothing changes.
        w->Command3_Click();
        QCOMPARE(w->Combo2->currentText(), QStringLiteral("A4、210 x 297 mm"));
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("Sheets"));

        // The real sheet closed with OK, nothing touched: the paper chosen before stays.
        choose(w->Combo2, 2);
        w->Combo2_Click();
        QCOMPARE(prn::cups::userDefault(QStringLiteral("Sheets"), QStringLiteral("media")), QStringLiteral("jis_b5_182x257mm"));
        dlg::setBackend(nullptr);
        QTimer okLater;
        QObject::connect(&okLater, &QTimer::timeout, [] {
            if (auto* sheet = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                sheet->accept();
        });
        okLater.start(50);
        w->Command3_Click();
        okLater.stop();
        dlg::setBackend(&env.dialogs);
        QCOMPARE(prn::cups::userDefault(QStringLiteral("Sheets"), QStringLiteral("media")), QStringLiteral("jis_b5_182x257mm"));
        QCOMPARE(w->Combo2->currentText(), QStringLiteral("B5、182 x 257 mm"));
        QVERIFY(w->Label4->text().isEmpty() || w->Label4->text() == frmPrinterP::kCannotShow);
    }

    void theWindowWorksOnThePrinterItShows()
    {
        PrivateSpooler spooler;
        CUPSFIXTURE_START_OR_SKIP(spooler);
        QCOMPARE(spooler.addQueue(QStringLiteral("Office"), spooler.writeOfficePpd()), QString());
        QCOMPARE(spooler.addQueue(QStringLiteral("RawQ")), QString());
        QCOMPARE(spooler.addQueue(QStringLiteral("Shop"), spooler.writeTraysPpd(QStringLiteral("Upper"))), QString());
        QCOMPARE(spooler.addQueue(QStringLiteral("Trays"), spooler.writeTraysPpd(QStringLiteral("Lower"))), QString());
        testsupport::Env env;
        auto* w = openOn(QStringLiteral("Office"));
        QVERIFY(w);
        QCOMPARE(items(w->Combo3), QStringList({"Office", "RawQ", "Shop", "Trays", prn::pdfEntryName()}));

        // A queue goes while the window is open: the one chosen from the list shown is read and
        // written, never the one that moved into its place.
        QCOMPARE(spooler.removeQueue(QStringLiteral("RawQ")), QString());
        choose(w->Combo3, 2);
        w->Combo3_Click();
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("Shop"));
        QCOMPARE(w->Label7->text(), QStringLiteral("上段のトレーの用紙を使います。"));
        QCOMPARE(w->Combo2->itemText(3), QStringLiteral("A3"));
        choose(w->Combo2, 3);
        w->Combo2_Click();
        QCOMPARE(prn::cups::userDefault(QStringLiteral("Shop"), QStringLiteral("media")), QStringLiteral("iso_a3_297x420mm"));
        QVERIFY(prn::cups::userDefault(QStringLiteral("Trays"), QStringLiteral("media")).isEmpty());
        QVERIFY(env.dialogs.shown.isEmpty());

        // Gone before it is chosen: told, and the window stays on the printer it shows.
        QCOMPARE(spooler.removeQueue(QStringLiteral("Trays")), QString());
        choose(w->Combo3, 3);
        w->Combo3_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("プリンタ「Trays」が見つかりません。")});
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("Shop"));
        QCOMPARE(w->Combo3->currentText(), QStringLiteral("Shop"));
        QCOMPARE(items(w->Combo3), QStringList({"Office", "Shop", prn::pdfEntryName()}));

        // Gone while shown: a paper chosen for it is told and written nowhere.
        const QString before = lpoptionsFiles();
        env.dialogs.clear();
        QCOMPARE(spooler.removeQueue(QStringLiteral("Shop")), QString());
        choose(w->Combo2, 1);
        w->Combo2_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("プリンタ「Shop」が見つかりません。")});
        QCOMPARE(lpoptionsFiles(), before);
    }

    void offsetsAndOpening()
    {
        testsupport::Env env;
        pointer::hourglass();
        bool ran = false;
        forms::setModalDriver([&](Form* f) {
            auto* w = qobject_cast<frmPrinterP*>(f);
            QVERIFY(w);
            ran = true;
            QVERIFY(!pointer::isHourglass());
            // 登録 fills empty boxes with 0 and shows both in bold; ｷｬﾝｾﾙ only takes the bold away.
            w->Text1->setText(QStringLiteral("3"));
            w->Command2_Click();
            QCOMPARE(w->Text1->text(), QStringLiteral("3"));
            QCOMPARE(w->Text3->text(), QStringLiteral("0"));
            QVERIFY(w->Text1->font().bold() && w->Text3->font().bold());
            w->UpDown2->stepDown();
            w->UpDown2_Change();
            QCOMPARE(w->Text3->text(), QStringLiteral("-1"));
            w->Command4_Click();
            QVERIFY(!w->Text1->font().bold() && !w->Text3->font().bold());
            QCOMPARE(w->Text1->text(), QStringLiteral("3"));
            w->Command5_Click();
        });
        QVERIFY(windows::open(QStringLiteral("frmPrinterP"), windows::Show::Modal));
        forms::setModalDriver(nullptr);
        QVERIFY(ran);
        QVERIFY(!forms::find<frmPrinterP>());
        QVERIFY(env.dialogs.messages().isEmpty());
    }
};

int main(int argc, char** argv)
{
    testsupport::prepareEnvironment();
    // CUPS listens only where this test's own spooler is started, and the lpoptions it writes go to
    // a temporary home (root writes the server folder's instead).
    static QTemporaryDir dir;
    g_home = &dir;
    QDir().mkpath(dir.path() + QStringLiteral("/home"));
    QDir().mkpath(dir.path() + QStringLiteral("/server"));
    qputenv("CUPS_SERVER", QFile::encodeName(dir.path() + QStringLiteral("/spooler.sock")));
    qputenv("HOME", QFile::encodeName(dir.path() + QStringLiteral("/home")));
    qputenv("CUPS_SERVERROOT", QFile::encodeName(dir.path() + QStringLiteral("/server")));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestPrinterSetup tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_printer_setup.moc"
