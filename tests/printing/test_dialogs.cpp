// The print dialogs: the shared frame (printer list, font, offsets, category choice, load and
// unload) and the count-sheet dialog's paper rules and print path, on recording printers with
// engines that stand in for the real ones.
#include "TestSupport.h"

#include "common/MainWindowInfo.h"
#include "common/Settings.h"
#include "common/WindowTable.h"
#include "common/global.h"
#include "counting/OrphanQuestions.h"
#include "platform/Cursor.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/PrinterCollection.h"
#include "platform/PrinterRecording.h"
#include "printing/DialogTanaMoto1.h"
#include "printing/DialogTanaMoto2.h"
#include "printing/DialogTanaMoto3.h"
#include "printing/PrintDialogData.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace printing;

namespace {

const QDate kDate(2026, 3, 31);
const QDate kOther(2025, 3, 31);

// Printers by name; each opened printer records, with the given physical offsets.
class Printers : public prn::Collection {
public:
    explicit Printers(QStringList names, QPoint offsetPx = {}) : m_names(std::move(names)), m_offset(offsetPx) {}
    QStringList names() const override { return m_names; }
    std::unique_ptr<prn::PrinterObject> open(int index) const override
    {
        if (index < 0 || index >= m_names.size())
            return nullptr;
        return std::make_unique<prn::RecordingPrinter>(m_names.at(index), 576, m_offset);
    }

private:
    QStringList m_names;
    QPoint m_offset;
};

class MainWindowStandIn : public app::MainWindowInfo {
public:
    QDate closingDate() const override { return kDate; }
    QString openFileName() const override { return {}; }
};

// Stand-in engines: they remember what they were asked and answer what the test set.
struct EngineCall {
    QString engine;
    QString device;
    SheetRequest request;
};
QList<EngineCall> g_calls;
SheetResult g_answer;

SheetResult sheetAnswer(bool printed, double total)
{
    SheetResult r;
    r.printed = printed;
    r.printedTotal = total;
    return r;
}

SheetResult record(const char* name, prn::PrinterObject& p, const SheetRequest& r)
{
    g_calls.append({QString::fromLatin1(name), p.deviceName(), r});
    return g_answer;
}
SheetResult fullStub(prn::PrinterObject& p, const SheetRequest& r) { return record("full", p, r); }
SheetResult simpleStub(prn::PrinterObject& p, const SheetRequest& r) { return record("simple", p, r); }
SheetResult hisagoStub(prn::PrinterObject& p, const SheetRequest& r) { return record("hisago", p, r); }
SheetResult bookStub(prn::PrinterObject& p, const SheetRequest& r) { return record("book", p, r); }

QList<SummaryRequest> g_summaryCalls;
SheetResult summaryStub(prn::PrinterObject& p, const SummaryRequest& r)
{
    g_calls.append({QStringLiteral("summary"), p.deviceName(), {}});
    g_summaryCalls.append(r);
    return g_answer;
}

void line(int id, const QDate& d, const QVariant& koumoku, double price, const QVariant& mark = {})
{
    db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単価, 価格, 区分調整) "
             "VALUES (?, ?, ?, '品', 1, ?, ?, ?)",
             {id, db::isoDate(d), koumoku, price, price, mark});
}

QVariant field(int id, const char* name)
{
    return db::scalar(QStringLiteral("SELECT %1 FROM 棚卸マスター WHERE ID = ?").arg(QString::fromUtf8(name)), {id});
}

// Categories 1 文具, 2 食品 (and 未区分); lines of the date in both, and a line of another date.
void fill()
{
    db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具'), (2, '食品')");
    line(1, kDate, 1, 1000);
    line(2, kDate, 2, 234.5);
    line(3, kOther, 7, 50, 5);
}

void chooseFromList(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void clickOption(QRadioButton* option)
{
    option->setChecked(true);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        g_calls.clear();
        g_answer = SheetResult();
        sheetEngines() = SheetEngines{&fullStub, &simpleStub, &hisagoStub, &bookStub};
        global::PrintDeviceName.clear();
        global::PrintFontName = QStringLiteral("ＭＳ 明朝");
        global::PrinterIndex = 0;
        pointer::reset();
    }
    void cleanup()
    {
        restoreSheetEngines();
        prn::setCollection(nullptr);
        app::setMainWindowInfo(nullptr);
    }

    void loadWithNothingStoredAndUnloadSavesWhatIsTyped()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        MainWindowStandIn mainWindow;
        app::setMainWindowInfo(&mainWindow);
        Printers printers({QStringLiteral("一階")});
        prn::setCollection(&printers);

        auto* d = forms::get<DialogTanaMoto1>();
        QVERIFY(env.dialogs.shown.isEmpty());
        QCOMPARE(d->windowTitle(), QStringLiteral("棚　卸　表　印刷"));
        QCOMPARE(d->DTPicker1->date(), kDate);
        QCOMPARE(d->Label1->text(), QStringLiteral("決算日(&D)"));
        QCOMPARE(d->Combo1->count(), 3);
        QCOMPARE(d->Combo1->itemText(1), QStringLiteral("A４　簡易棚卸表"));
        QCOMPARE(d->Combo1->currentText(), QStringLiteral("A４　オリジナル棚卸表"));
        QCOMPARE(d->Text2->text(), QStringLiteral("0"));
        QCOMPARE(d->Text8->text(), QStringLiteral("0"));
        QCOMPARE(d->Text1->text(), QStringLiteral("0"));
        QVERIFY(d->Option2->isChecked());
        QVERIFY(!d->dbcNouhin->isEnabled());
        QVERIFY(!d->Label10->isEnabled());
        QVERIFY(!d->Frame12->isEnabled());
        QVERIFY(!d->Text2->isEnabled() && !d->UpDown1->isEnabled() && !d->Label28->isEnabled());
        // 未区分 is not offered until the list is narrowed.
        QCOMPARE(d->dbcNouhin->rowCount(), 2);
        QCOMPARE(d->Text3->text(), QStringLiteral("1"));

        // The steppers stay within -100..100 by 1; a box holding no number starts from 0.
        QCOMPARE(d->UpDown1->minimum(), -100);
        QCOMPARE(d->UpDown1->maximum(), 100);
        d->Text2->setText(QStringLiteral("99"));
        d->UpDown1->stepUp();
        d->UpDown1->stepUp();
        QCOMPARE(d->Text2->text(), QStringLiteral("100"));
        d->Text8->setText(QStringLiteral("横"));
        d->UpDown2->stepDown();
        QCOMPARE(d->Text8->text(), QStringLiteral("-1"));

        // Saved at unload as typed, although the frame is disabled for this paper.
        d->Text2->setText(QStringLiteral("2.5"));
        d->Text8->setText(QStringLiteral("ずれ"));
        d->Combo1->setEditText(QStringLiteral("HISAGO 1151"));
        d->Form_Activate();
        QVERIFY(d->unload());
        QCOMPARE(GetSetting("Printer", "stOffsetX"), QStringLiteral("2.5"));
        QCOMPARE(GetSetting("Printer", "stOffsetY"), QStringLiteral("ずれ"));
        QCOMPARE(GetSetting("Settings", "DialogOutCombo1"), QStringLiteral("HISAGO 1151"));
        QCOMPARE(global::PrintDeviceName, QStringLiteral("一階"));

        // Next time: the preprinted form opens the offset frame.
        d = forms::get<DialogTanaMoto1>();
        QCOMPARE(d->Combo1->currentText(), QStringLiteral("HISAGO 1151"));
        QCOMPARE(d->Text2->text(), QStringLiteral("2.5"));
        QVERIFY(d->Frame12->isEnabled() && d->Text8->isEnabled() && d->UpDown2->isEnabled());
        QCOMPARE(d->sheetRequest().offsetX, 2.5);

        // The preprinted form reads the offsets as every typed number of the program is read, and
        // an offset that is empty or no number prints nothing (and says nothing).
        restoreSheetEngines();
        d->DTPicker1->setDate(kDate);
        d->Text8->setText(QStringLiteral("0"));
        auto& recorder = static_cast<prn::RecordingPrinter&>(prn::currentPrinter());
        const struct {
            const char* typed;
            bool prints;
            double titleX;   // twips: 80 mm, moved by the offset
        } offsets[] = {{"", false, 0}, {"abc", false, 0}, {"ずれ", false, 0}, {"1,5", false, 0},
                       {"１", true, 4536 + 57}, {"-2", true, 4536 - 113}};
        for (const auto& o : offsets) {
            const int sent = recorder.sentCount();
            d->Text2->setText(QString::fromUtf8(o.typed));
            d->Command3_Click();
            QVERIFY2(recorder.sentCount() - sent == (o.prints ? 1 : 0), o.typed);
            if (o.prints)
                QCOMPARE(recorder.page(1).at(1).x, o.titleX);
        }
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void thePrinterListChoosesThePrinterOfTheProgram()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Printers printers({QStringLiteral("一階"), QStringLiteral("二階"), QStringLiteral("二階")}, QPoint(1, 3));
        prn::setCollection(&printers);

        // Two printers of the stored name: the later one is taken.
        global::PrintDeviceName = QStringLiteral("二階");
        auto* d = forms::get<DialogTanaMoto1>();
        QCOMPARE(d->Combo6->count(), 3);
        QCOMPARE(global::PrinterIndex, 2);
        QCOMPARE(prn::currentPrinterIndex(), 2);
        d->Form_Activate();
        QCOMPARE(d->Combo6->currentText(), QStringLiteral("二階"));
        QCOMPARE(prn::currentPrinter().scaleMode(), prn::kScaleTwips);
        // 1 and 3 pixels at 576 dpi are 2.5 and 7.5 twips: halves go to the even number.
        QCOMPARE(d->PhysOffsetXPx, 1L);
        QCOMPARE(d->PhysOffsetX, 2L);
        QCOMPARE(d->PhysOffsetY, 8L);
        QCOMPARE(d->sheetRequest().physOffsetY, 3);

        // Choosing a printer makes it current at once; the name is taken only at unload.
        chooseFromList(d->Combo6, 0);
        QCOMPARE(global::PrinterIndex, 0);
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("一階"));
        QCOMPARE(global::PrintDeviceName, QStringLiteral("二階"));
        QVERIFY(d->unload());
        QCOMPARE(global::PrintDeviceName, QStringLiteral("一階"));

        // A stored name that names no printer: the position chosen before holds and the list shows
        // the stored name until the dialog activates.
        global::PrintDeviceName = QStringLiteral("撤去した印刷機");
        global::PrinterIndex = 1;
        d = forms::get<DialogTanaMoto1>();
        QCOMPARE(global::PrinterIndex, 1);
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("二階"));
        QCOMPARE(d->Combo6->currentText(), QStringLiteral("撤去した印刷機"));
        d->Form_Activate();
        QCOMPARE(d->Combo6->currentText(), QStringLiteral("二階"));
        QVERIFY(d->unload());

        // A position past the end of the list (a queue removed since) falls back to the first.
        global::PrintDeviceName = QStringLiteral("撤去した印刷機");
        global::PrinterIndex = 7;
        d = forms::get<DialogTanaMoto1>();
        QCOMPARE(global::PrinterIndex, 0);
        QCOMPARE(prn::currentPrinter().deviceName(), QStringLiteral("一階"));
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void fontChoiceAndPrinterSetup()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Printers printers({QStringLiteral("一階")});
        prn::setCollection(&printers);
        auto* d = forms::get<DialogTanaMoto1>();
        d->Form_Activate();
        QCOMPARE(d->txtFontName->text(), QStringLiteral("ＭＳ 明朝"));

        // The vertical-writing variant stores the face itself.
        env.dialogs.fonts << QFont(QStringLiteral("@ＭＳ ゴシック"), 9);
        d->Command1_Click();
        const dlg::Shown asked = env.dialogs.shown.value(0);
        QCOMPARE(asked.kind, QStringLiteral("font"));
        QVERIFY(asked.fixedPitch);
        QCOMPARE(asked.font.family(), QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(asked.font.pointSize(), 16);
        QCOMPARE(global::PrintFontName, QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(d->txtFontName->text(), QStringLiteral("ＭＳ ゴシック"));

        // Cancelled: nothing changes. The picture button is the same button.
        env.dialogs.fonts << std::nullopt;
        d->Picture4_Click();
        QCOMPARE(env.dialogs.shown.size(), 2);
        QCOMPARE(global::PrintFontName, QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(d->txtFontName->text(), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(d->sheetRequest().fontName, QStringLiteral("ＭＳ ゴシック"));

        // The printer setup window opens modal and takes the hourglass back.
        env.dialogs.clear();
        forms::shownModal().clear();
        d->Command7_Click();
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(forms::shownModal(), QStringList{QStringLiteral("frmPrinterP")});
        QVERIFY(!pointer::isHourglass());
    }

    void thePaperRulesFollowTypingAndChoosing()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        Printers printers({QStringLiteral("一階")});
        prn::setCollection(&printers);
        auto* d = forms::get<DialogTanaMoto1>();
        d->DTPicker1->setDate(kDate);

        // One category, A4: the category box opens.
        clickOption(d->Option1);
        QVERIFY(d->dbcNouhin->isEnabled() && d->Label10->isEnabled());
        QVERIFY(env.dialogs.shown.isEmpty());

        // Typing the preprinted form: told the moment the text matches, all categories chosen, the
        // offset frame as it was.
        d->Combo1->lineEdit()->clear();
        QTest::keyClicks(d->Combo1->lineEdit(), QStringLiteral("HISAGO 115"));
        QVERIFY(env.dialogs.shown.isEmpty());
        QTest::keyClicks(d->Combo1->lineEdit(), QStringLiteral("1"));
        QCOMPARE(env.dialogs.messages(), QStringList{DialogTanaMoto1::kNoPerCategory});
        QCOMPARE(env.dialogs.shown.at(0).icon, dlg::Icon::Information);
        QVERIFY(d->Option2->isChecked());
        QVERIFY(!d->dbcNouhin->isEnabled() && !d->Label10->isEnabled());
        QVERIFY(!d->Frame12->isEnabled());

        // Choosing from the list sets the frame and never the category rule.
        env.dialogs.clear();
        chooseFromList(d->Combo1, 0);
        QVERIFY(!d->Frame12->isEnabled());
        clickOption(d->Option1);
        chooseFromList(d->Combo1, 2);
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(d->Option1->isChecked());
        QVERIFY(d->Frame12->isEnabled() && d->Label25->isEnabled() && d->UpDown1->isEnabled());

        // Printing the preprinted form with one category chosen: every line, without the check.
        line(4, kDate, 9, 10);
        d->Command3_Click();
        QCOMPARE(g_calls.size(), 1);
        QCOMPARE(g_calls.at(0).engine, QStringLiteral("hisago"));
        QVERIFY(field(4, "区分調整").isNull());
        QVERIFY(env.dialogs.shown.isEmpty());

        // Choosing one category while the preprinted form is set: told, and all categories again.
        clickOption(d->Option2);
        clickOption(d->Option1);
        QCOMPARE(env.dialogs.messages(), QStringList{DialogTanaMoto1::kNoPerCategory});
        QVERIFY(d->Option2->isChecked());
        QVERIFY(!d->dbcNouhin->isEnabled());

        // A paper kind that is none of the three prints nothing and says nothing.
        env.dialogs.clear();
        g_calls.clear();
        d->Combo1->setEditText(QStringLiteral("B5"));
        clickOption(d->Option1);
        d->Command3_Click();
        QVERIFY(g_calls.isEmpty());
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void narrowingListsUncategorisedAndChoosesTheCategory()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        Printers printers({QStringLiteral("一階")});
        prn::setCollection(&printers);
        auto* d = forms::get<DialogTanaMoto1>();
        d->DTPicker1->setDate(kDate);
        clickOption(d->Option1);

        d->dbcNouhin_GotFocus();
        QCOMPARE(d->dbcNouhin->rowCount(), 3);
        QCOMPARE(d->dbcNouhin->record(0).value("項目分類名").toString(), QStringLiteral("未区分"));
        QCOMPARE(d->Text3->text(), QStringLiteral("0"));

        d->dbcNouhin->setText(QStringLiteral("食"));
        d->dbcNouhin_Change();
        QCOMPARE(d->dbcNouhin->rowCount(), 1);
        QCOMPARE(d->Text3->text(), QStringLiteral("2"));
        d->Command3_Click();
        QCOMPARE(g_calls.size(), 1);
        QCOMPARE(g_calls.at(0).engine, QStringLiteral("full"));
        QVERIFY(!g_calls.at(0).request.allCategories);
        QCOMPARE(g_calls.at(0).request.categoryId, 2);
        QCOMPARE(g_calls.at(0).request.date, kDate);

        // A text no category contains leaves nothing chosen.
        d->dbcNouhin->setText(QStringLiteral("家具"));
        d->dbcNouhin_Change();
        QCOMPARE(d->Text3->text(), QString());
        d->Command3_Click();
        QCOMPARE(g_calls.size(), 1);
        QCOMPARE(env.dialogs.messages(), QStringList{printing::kNoCategoryChosen});
    }

    void theUncategorisedCheckBeforePrintingAllCategories()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        line(4, kDate, 7, 10);   // its category was deleted
        Printers printers({QStringLiteral("一階")});
        prn::setCollection(&printers);
        auto* d = forms::get<DialogTanaMoto1>();
        d->DTPicker1->setDate(kDate);

        // No: nothing printed, the line stays flagged, another date untouched.
        env.dialogs.answers << dlg::vbNo;
        d->Command3_Click();
        QCOMPARE(env.dialogs.messages(),
                 (QStringList{counting::kAskUncategorised, DialogTanaMoto1::kStopForCorrection}));
        QCOMPARE(env.dialogs.shown.at(0).icon, dlg::Icon::Question);
        QVERIFY(g_calls.isEmpty());
        QCOMPARE(field(4, "区分調整").toInt(), 1);
        QCOMPARE(field(4, "項目ID").toInt(), 7);
        QCOMPARE(field(1, "区分調整").toInt(), 0);
        QCOMPARE(field(3, "区分調整").toInt(), 5);
        QCOMPARE(field(3, "項目ID").toInt(), 7);

        // Yes: the line goes to 未区分 and the sheet is printed on the simple A4 layout.
        env.dialogs.clear();
        env.dialogs.answers << dlg::vbYes;
        chooseFromList(d->Combo1, 1);
        d->Command3_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{counting::kAskUncategorised});
        QCOMPARE(field(4, "項目ID").toInt(), 0);
        QCOMPARE(field(4, "区分調整").toInt(), 0);
        QCOMPARE(field(3, "区分調整").toInt(), 5);
        QCOMPARE(g_calls.size(), 1);
        QCOMPARE(g_calls.at(0).engine, QStringLiteral("simple"));
        QVERIFY(g_calls.at(0).request.allCategories);
        QCOMPARE(g_calls.at(0).device, QStringLiteral("一階"));
        QVERIFY(!pointer::isHourglass());

        // A date without lines: nothing to ask about, then told there is no count.
        env.dialogs.clear();
        g_calls.clear();
        d->DTPicker1->setDate(QDate(2020, 1, 31));
        d->Command3_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{DialogTanaMoto1::kNoCountLines});
        QCOMPARE(env.dialogs.shown.at(0).icon, dlg::Icon::Information);
        QVERIFY(g_calls.isEmpty());
    }

    void aPrintedTotalShortOfTheDatabaseOpensTheCorrectionWindow()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        Printers printers({QStringLiteral("一階")});
        prn::setCollection(&printers);
        QStringList opened;
        forms::setModalDriver([&](Form* f) { opened << f->objectName(); });

        // Amounts whose sum is not exact in binary: no missing line, although the total box holds
        db::exec("UPDATE 棚卸マスター SET 価格 = 0.1 WHERE ID = 1");
        db::exec("UPDATE 棚卸マスター SET 価格 = 0.2 WHERE ID = 2");
        line(5, kDate, 1, 0.3);
        auto* d = forms::get<DialogTanaMoto1>();
        d->DTPicker1->setDate(kDate);
        // fifteen digits (0.6 where the sum is 0.6000000000000001).
        g_answer = sheetAnswer(true, 0.1 + 0.2 + 0.3);
        d->Command3_Click();
        QCOMPARE(g_calls.size(), 1);
        QCOMPARE(d->lastResult().printedTotal, g_answer.printedTotal);
        QCOMPARE(d->Text1->text(), QStringLiteral("0.6"));
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(!d->isUnloaded());

        // One category printed: no check, the total box still filled.
        db::exec("UPDATE 棚卸マスター SET 価格 = 1000 WHERE ID = 1");
        clickOption(d->Option1);
        g_answer = sheetAnswer(true, 1000);
        d->Command3_Click();
        QCOMPARE(d->Text1->text(), QStringLiteral("1000.5"));
        QVERIFY(env.dialogs.shown.isEmpty());

        // A job that never reached the device printed nothing that could be missing.
        clickOption(d->Option2);
        g_answer = sheetAnswer(false, 0);
        d->Command3_Click();
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(!d->isUnloaded());

        // A date whose lines carry no price totals 0, not the total of the date printed before.
        const QDate unpriced(2026, 9, 30);
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名) VALUES (9, ?, 1, '見本')", {db::isoDate(unpriced)});
        d->DTPicker1->setDate(unpriced);
        g_answer = sheetAnswer(true, 0);
        d->Command3_Click();
        QCOMPARE(d->Text1->text(), QStringLiteral("0"));
        QVERIFY(env.dialogs.shown.isEmpty());
        d->DTPicker1->setDate(kDate);

        // Printed short of the database: told, the dialog goes and the correction window opens.
        g_answer = sheetAnswer(true, 1000.2);
        d->Command3_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{printing::kMissingOutput});
        QVERIFY(d->isUnloaded());
        QVERIFY(!forms::find<DialogTanaMoto1>());
        QCOMPARE(opened, QStringList{QStringLiteral("frmInAmd2")});
        QVERIFY(forms::shownModal().contains(QStringLiteral("frmInAmd2")));
        QCOMPARE(GetSetting("Settings", "DialogOutCombo1"), QStringLiteral("A４　オリジナル棚卸表"));
    }

    void loadFailureAndTheOtherTwoDialogs()
    {
        testsupport::Env env;
        Printers printers({QStringLiteral("一階")});
        prn::setCollection(&printers);
        SaveSetting("Settings", "DialogOutCombo1", "HISAGO 1151");
        SaveSetting("Printer", "stOffsetX", "4");

        // No database: told once; the steps before the failure are done, the later ones not.
        auto* d1 = forms::get<DialogTanaMoto1>();
        QCOMPARE(env.dialogs.messages(), QStringList{db::withCause(printing::PrintDialogShell::kLoadFailed, db::Cause::Other)});
        QCOMPARE(d1->Text2->text(), QStringLiteral("4"));
        QCOMPARE(d1->Combo6->count(), 1);
        QVERIFY(!d1->Frame12->isEnabled());
        QVERIFY(d1->unload());

        env.dialogs.clear();
        auto* d2 = forms::get<DialogTanaMoto2>();
        QCOMPARE(env.dialogs.messages(), QStringList{db::withCause(printing::PrintDialogShell::kLoadFailed, db::Cause::Other)});
        QCOMPARE(d2->windowTitle(), QStringLiteral("棚卸記入帳　　印刷"));
        QCOMPARE(d2->Label1->text(), QStringLiteral("前期の棚卸日(&D)"));
        QCOMPARE(d2->Label10->text(), QStringLiteral("項目/分類名(&K)"));
        QVERIFY(d2->unload());

        // The summary dialog goes on silently, never offers the offsets, takes its caption from
        // its title box and has no category choice.
        env.dialogs.clear();
        env.openNewDatabase();
        MainWindowStandIn mainWindow;
        app::setMainWindowInfo(&mainWindow);
        auto* d3 = forms::get<DialogTanaMoto3>();
        QVERIFY(env.dialogs.shown.isEmpty());
        QCOMPARE(d3->DTPicker1->date(), QDate::currentDate());
        QVERIFY(!d3->Frame12->isEnabled());
        QVERIFY(d3->Frame1->isHidden());
        d3->Text3->setText(QStringLiteral("項目/分類別集計表"));
        d3->Form_Activate();
        QCOMPARE(d3->windowTitle(), QStringLiteral("項目/分類別集計表"));
        d3->Text2->setText(QStringLiteral("-3"));
        QVERIFY(d3->unload());
        QCOMPARE(GetSetting("Printer", "stOffsetX"), QStringLiteral("-3"));
        QCOMPARE(GetSetting("Settings", "DialogOutCombo1"), QStringLiteral("HISAGO 1151"));

        // With a database the count-entry-book dialog lists the categories and never the offsets.
        auto* d2b = forms::get<DialogTanaMoto2>();
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(!d2b->Frame12->isEnabled());
        QVERIFY(d2b->Option2->isChecked());
        QVERIFY(!d2b->dbcNouhin->isEnabled());
    }

    void theSummaryDialogPrintsTheGroupingItsHeadingNames()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        Printers printers({QStringLiteral("一階"), QStringLiteral("二階")});
        prn::setCollection(&printers);
        sheetEngines().summary = &summaryStub;
        g_summaryCalls.clear();

        auto* d = forms::get<DialogTanaMoto3>();
        QCOMPARE(d->Text4->objectName(), QStringLiteral("Text4"));
        QCOMPARE(d->Label1->text(), QStringLiteral("決算日(&D)"));
        // The caption follows the title box at every activation.
        d->Text3->setText(QStringLiteral("棚卸表 (品名別集計)"));
        d->Form_Activate();
        QCOMPARE(d->windowTitle(), QStringLiteral("棚卸表 (品名別集計)"));
        d->Text3->setText(QStringLiteral("棚卸表 (項目/分類別集計)"));
        d->Form_Activate();
        QCOMPARE(d->windowTitle(), QStringLiteral("棚卸表 (項目/分類別集計)"));

        // The heading box alone chooses the grouping; the printer chosen in the list prints.
        chooseFromList(d->Combo6, 1);
        d->DTPicker1->setDate(kOther);
        d->Text4->setText(QStringLiteral("品名"));
        d->Command3->click();
        QVERIFY(d->lastPrintRan());
        QCOMPARE(g_calls.size(), 1);
        QCOMPARE(g_calls.at(0).device, QStringLiteral("二階"));
        QCOMPARE(g_summaryCalls.at(0).date, kOther);
        QCOMPARE(g_summaryCalls.at(0).groupHeading, QStringLiteral("品名"));
        QCOMPARE(g_summaryCalls.at(0).title, QStringLiteral("棚卸表 (項目/分類別集計)"));
        QCOMPARE(g_summaryCalls.at(0).fontName, QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(printing::summaryGroupingOf(g_summaryCalls.at(0).groupHeading), SummaryGrouping::ByProduct);
        for (const char* other : {"項目分類名", "品名 ", ""}) {
            d->Text4->setText(QString::fromUtf8(other));
            d->Command3->click();
            QVERIFY(!d->lastPrintRan());
        }
        d->Text4->setText(QStringLiteral("項目/分類名"));
        d->Command3->click();
        QCOMPARE(g_summaryCalls.size(), 2);
        QVERIFY(env.dialogs.shown.isEmpty());

        // A sheet lost to a failure is told; the user's own cancel is not. The dialog stays open.
        g_answer.error = QStringLiteral("disk full");
        g_answer.failure = PrintFailure::Device;
        g_answer.failedOn = QStringLiteral("二階");
        d->Command3->click();
        QCOMPARE(env.dialogs.messages(), QStringList{DialogTanaMoto3::kPrintFailed +
                                                     QStringLiteral("\nプリンタ「二階」に印刷データを渡せませんでした。")});
        env.dialogs.clear();
        g_answer.cancelled = true;
        g_answer.failure = PrintFailure::Cancelled;
        g_answer.error.clear();
        d->Command3->click();
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(!d->isUnloaded());

        // The real engine on the current printer: the date's groups, and a broken database told
        // with nothing sent.
        restoreSheetEngines();
        d->DTPicker1->setDate(kDate);
        d->Command3->click();
        auto& recorder = static_cast<prn::RecordingPrinter&>(prn::currentPrinter());
        QCOMPARE(recorder.sentCount(), 1);
        QVERIFY(recorder.describePage(1).join('\n').contains(QStringLiteral("食品")));
        QVERIFY(env.dialogs.shown.isEmpty());
        db::exec("ALTER TABLE 棚卸マスター RENAME TO 棚卸行");
        d->Command3->click();
        QCOMPARE(env.dialogs.messages(),
                 QStringList{DialogTanaMoto3::kPrintFailed + QStringLiteral("\nデータベースを読み込めませんでした。")});
        QCOMPARE(recorder.sentCount(), 1);
    }

    void everyDialogTellsWhyNothingWasPrinted()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        Printers printers({QStringLiteral("一階")});
        prn::setCollection(&printers);
        sheetEngines().summary = &summaryStub;
        auto* sheet = forms::get<DialogTanaMoto1>();
        auto* book = forms::get<DialogTanaMoto2>();
        auto* summary = forms::get<DialogTanaMoto3>();
        sheet->DTPicker1->setDate(kDate);
        book->DTPicker1->setDate(kDate);
        summary->Text4->setText(QStringLiteral("品名"));
        const QList<std::pair<QPushButton*, QString>> dialogs = {{sheet->Command3, DialogTanaMoto1::kNotPrinted},
                                                                 {book->Command3, DialogTanaMoto2::kNotPrinted},
                                                                 {summary->Command3, DialogTanaMoto3::kPrintFailed}};
        // The reason by its kind, in Japanese; the system's own English never reaches the user.
        const struct {
            PrintFailure failure;
            const char* on;
            const char* reason;   // none: nothing is told
        } cases[] = {
            {PrintFailure::NoPrinter, "一階", "プリンタ「一階」が見つかりません。"},
            {PrintFailure::NotAccepting, "Office", "プリンタ「Office」は印刷を受け付けていません。"},
            {PrintFailure::CannotWrite, "/srv/棚卸表.pdf", "ファイル「/srv/棚卸表.pdf」に書き込めません。"},
            {PrintFailure::Database, "", "データベースを読み込めませんでした。"},
            {PrintFailure::Device, "一階", "プリンタ「一階」に印刷データを渡せませんでした。"},
            {PrintFailure::Cancelled, "", nullptr},
            {PrintFailure::None, "", nullptr},
        };
        for (const auto& c : cases) {
            for (const auto& [button, heading] : dialogs) {
                g_answer = sheetAnswer(false, 0);
                g_answer.failure = c.failure;
                g_answer.failedOn = QString::fromUtf8(c.on);
                g_answer.error = QStringLiteral("No such file or directory");
                env.dialogs.clear();
                button->click();
                const QStringList expected =
                    c.reason ? QStringList{heading + QLatin1Char('\n') + QString::fromUtf8(c.reason)} : QStringList{};
                QCOMPARE(env.dialogs.messages(), expected);
            }
        }
        // A count sheet whose database cannot be read at all is told too.
        db::exec("ALTER TABLE 棚卸マスター RENAME TO 棚卸行");
        clickOption(sheet->Option1);
        env.dialogs.clear();
        sheet->Command3_Click();
        QCOMPARE(env.dialogs.messages(),
                 QStringList{DialogTanaMoto1::kNotPrinted + QStringLiteral("\nデータベースを読み込めませんでした。")});
    }

    void theMainWindowOpensTheDialog()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Printers printers({QStringLiteral("一階")});
        prn::setCollection(&printers);
        QString shown, printer;
        bool enterMovedOn = false;
        forms::setModalDriver([&](Form* f) {
            auto* d = static_cast<DialogTanaMoto1*>(f);
            shown = d->windowTitle();
            printer = d->Combo6->currentText();   // set by the activation
            QApplication::setActiveWindow(d);
            d->DTPicker1->setFocus();
            QWidget* before = QApplication::focusWidget();
            QTest::keyClick(before, Qt::Key_Return);
            enterMovedOn = before && before->window() == d && QApplication::focusWidget() != before;
        });
        QVERIFY(windows::open(QStringLiteral("DialogTanaMoto1"), windows::Show::Modal));
        QCOMPARE(shown, QStringLiteral("棚　卸　表　印刷"));
        QCOMPARE(printer, QStringLiteral("一階"));
        QVERIFY(enterMovedOn);
        QVERIFY(!forms::find<DialogTanaMoto1>());
        QCOMPARE(global::PrintDeviceName, QStringLiteral("一階"));
    }

    void theEntryBookPrintButton()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        Printers printers({QStringLiteral("一階"), QStringLiteral("二階")});
        prn::setCollection(&printers);
        global::PrintDeviceName = QStringLiteral("二階");
        auto* d = forms::get<DialogTanaMoto2>();
        QVERIFY(env.dialogs.shown.isEmpty());
        QCOMPARE(d->DTPicker1->date(), QDate::currentDate());

        // Left at today, with no count today: told to check the date, nothing printed.
        d->Command3_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{DialogTanaMoto2::kNoEarlierCount});
        QCOMPARE(env.dialogs.shown.at(0).icon, dlg::Icon::Information);
        QCOMPARE(env.dialogs.shown.at(0).title, QStringLiteral("Information"));
        QVERIFY(g_calls.isEmpty());

        // All categories: the book's engine on the current printer, the dialog stays open.
        env.dialogs.clear();
        d->DTPicker1->setDate(kDate);
        global::PrintFontName = QStringLiteral("IPAGothic");
        g_answer = sheetAnswer(true, 0);
        d->Command3_Click();
        QVERIFY(env.dialogs.shown.isEmpty());
        QCOMPARE(g_calls.size(), 1);
        QCOMPARE(g_calls.at(0).engine, QStringLiteral("book"));
        QCOMPARE(g_calls.at(0).device, QStringLiteral("二階"));
        QVERIFY(g_calls.at(0).request.allCategories);
        QCOMPARE(g_calls.at(0).request.date, kDate);
        QCOMPARE(g_calls.at(0).request.fontName, QStringLiteral("IPAGothic"));
        QVERIFY(d->lastPrintRan());
        QVERIFY(!d->isUnloaded());
        QVERIFY(!pointer::isHourglass());

        // One category and none chosen: told so.
        g_calls.clear();
        clickOption(d->Option1);
        QVERIFY(d->dbcNouhin->isEnabled());
        d->Command3_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{printing::kNoCategoryChosen});
        QVERIFY(g_calls.isEmpty());

        // A category chosen by typing; a second print without a new choice prints it again.
        env.dialogs.clear();
        d->dbcNouhin_GotFocus();
        d->dbcNouhin->setText(QStringLiteral("食"));
        d->dbcNouhin_Change();
        QCOMPARE(d->Text3->text(), QStringLiteral("2"));
        d->Command3_Click();
        d->Command3_Click();
        QCOMPARE(g_calls.size(), 2);
        for (const EngineCall& c : g_calls) {
            QVERIFY(!c.request.allCategories);
            QCOMPARE(c.request.categoryId, 2);
        }

        // 未区分 can be chosen once the list has been narrowed.
        g_calls.clear();
        d->dbcNouhin->setText(QStringLiteral("未"));
        d->dbcNouhin_Change();
        QCOMPARE(d->Text3->text(), QStringLiteral("0"));
        d->Command3_Click();
        QCOMPARE(g_calls.size(), 1);
        QCOMPARE(g_calls.at(0).request.categoryId, 0);
        QVERIFY(!g_calls.at(0).request.allCategories);

        // A name that matches no category leaves no key: nothing chosen, nothing printed.
        g_calls.clear();
        d->dbcNouhin->setText(QStringLiteral("家具"));
        d->dbcNouhin_Change();
        QCOMPARE(d->Text3->text(), QString());
        d->Command3_Click();
        QVERIFY(g_calls.isEmpty());
        QCOMPARE(env.dialogs.messages(), QStringList{printing::kNoCategoryChosen});

        // A book abandoned midway is reported with its reason; a cancelled output file question is
        // not.
        env.dialogs.clear();
        clickOption(d->Option2);
        g_answer = sheetAnswer(false, 0);
        g_answer.error = QStringLiteral("device gone");
        g_answer.failure = PrintFailure::NoPrinter;
        g_answer.failedOn = QStringLiteral("二階");
        d->Command3_Click();
        QCOMPARE(env.dialogs.messages(),
                 QStringList{DialogTanaMoto2::kNotPrinted + QStringLiteral("\nプリンタ「二階」が見つかりません。")});
        env.dialogs.clear();
        g_answer = sheetAnswer(false, 0);
        g_answer.cancelled = true;
        g_answer.failure = PrintFailure::Cancelled;
        d->Command3_Click();
        QVERIFY(env.dialogs.shown.isEmpty());

        // A database that cannot be read is not taken for a date without a count.
        g_calls.clear();
        db::exec("ALTER TABLE 棚卸マスター RENAME TO 棚卸行");
        d->Command3_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{db::withCause(printing::PrintDialogShell::kLoadFailed, db::Cause::Other)});
        QVERIFY(g_calls.isEmpty());
        db::exec("ALTER TABLE 棚卸行 RENAME TO 棚卸マスター");
        QVERIFY(d->unload());
        QCOMPARE(global::PrintDeviceName, QStringLiteral("二階"));
    }

    void theEntryBookDialogOpensByName()
    {
        testsupport::Env env;
        Printers printers({QStringLiteral("一階")});
        prn::setCollection(&printers);

        // Without a database the window table tells the user and opens nothing.
        QVERIFY(windows::available(QStringLiteral("DialogTanaMoto2")));
        QVERIFY(!windows::open(QStringLiteral("DialogTanaMoto2"), windows::Show::Modal));
        QCOMPARE(env.dialogs.messages(), QStringList{windows::noDatabaseText()});

        env.dialogs.clear();
        env.openNewDatabase();
        fill();
        QString title, label, printer;
        QDate date;
        bool offsets = true, allChosen = false;
        forms::setModalDriver([&](Form* f) {
            auto* d = qobject_cast<DialogTanaMoto2*>(f);
            QVERIFY(d);
            title = d->windowTitle();
            label = d->Label1->text();
            date = d->DTPicker1->date();
            printer = d->Combo6->currentText();
            offsets = d->Frame12->isEnabled() || d->Text2->isEnabled();
            allChosen = d->Option2->isChecked() && !d->dbcNouhin->isEnabled();
            d->DTPicker1->setDate(kDate);
            d->Command3_Click();
        });
        QVERIFY(windows::open(QStringLiteral("DialogTanaMoto2"), windows::Show::Modal));
        QCOMPARE(title, QStringLiteral("棚卸記入帳　　印刷"));
        QCOMPARE(label, QStringLiteral("前期の棚卸日(&D)"));
        QCOMPARE(date, QDate::currentDate());
        QCOMPARE(printer, QStringLiteral("一階"));
        QVERIFY(!offsets);
        QVERIFY(allChosen);
        QCOMPARE(g_calls.size(), 1);
        QCOMPARE(g_calls.at(0).engine, QStringLiteral("book"));
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(!forms::find<DialogTanaMoto2>());
    }
};

BREVOTANE_TEST_MAIN(TestDialogs)

#include "test_dialogs.moc"
