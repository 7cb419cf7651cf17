#include "printing/DialogTanaMoto1.h"

#include "common/Settings.h"
#include "common/WindowTable.h"
#include "common/global.h"
#include "counting/OrphanQuestions.h"
#include "platform/Dialogs.h"
#include "platform/PrinterObject.h"
#include "printing/PrintDialogData.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace printing;

const QString DialogTanaMoto1::kNoPerCategory = QStringLiteral("この用紙は、項目/分類別に出力できません。");
const QString DialogTanaMoto1::kStopForCorrection = QStringLiteral("棚卸表作成を中止し棚卸表訂正を行ってください。");
const QString DialogTanaMoto1::kNoCountLines = QStringLiteral("該当する棚卸はありません。決算日を確認してください。");
const QString DialogTanaMoto1::kNotPrinted = QStringLiteral("棚卸表を印刷できませんでした。");

namespace {

PrintDialogTraits dialogTraits()
{
    PrintDialogTraits t;
    t.objectName = "DialogTanaMoto1";
    t.caption = QStringLiteral("棚　卸　表　印刷");
    t.dateFromMainWindow = true;
    t.dateLabel = QStringLiteral("決算日(&D)");
    t.categoryChoice = true;
    t.categoryLabel = QStringLiteral("項目分類名(&K)");
    t.loadFailureTold = true;
    return t;
}

const QString kSection = QStringLiteral("Settings");
const QString kPaperKey = QStringLiteral("DialogOutCombo1");

} // namespace

DialogTanaMoto1::DialogTanaMoto1() : PrintDialogShell(dialogTraits())
{
    Label2 = named(new QLabel(QStringLiteral("用紙(&M)"), this), "Label2");
    Combo1 = named(new QComboBox(this), "Combo1");
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setMinimumContentsLength(20);
    Label2->setBuddy(Combo1);
    Text1 = named(new QLineEdit(QStringLiteral("0"), this), "Text1");
    Text1->setVisible(false);
    ownArea()->addWidget(Label2, 0, 0);
    ownArea()->addWidget(Combo1, 0, 1);
    ownArea()->setColumnStretch(2, 1);

    // Typing runs the category rule; choosing from the list runs the offset-frame rule.
    connect(Combo1->lineEdit(), &QLineEdit::textEdited, this, [this] { Combo1_Change(); });
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

bool DialogTanaMoto1::loadOwnControls()
{
    Combo1->clear();
    Combo1->addItems(paperKinds());
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(GetSetting(kSection, kPaperKey, kPaperA4Full));
    Combo1_Change();
    return true;
}

void DialogTanaMoto1::applyOffsetFrameRule()
{
    setOffsetFrameEnabled(Combo1->currentText() == kPaperHisago);
}

void DialogTanaMoto1::saveOwnSettings()
{
    SaveSetting(kSection, kPaperKey, Combo1->currentText());
}

void DialogTanaMoto1::beforeOption1Enabling()
{
    CategoryRule();
}

void DialogTanaMoto1::CategoryRule()
{
    if (Combo1->currentText() == kPaperHisago && Option1->isChecked()) {
        dlg::Information(kNoPerCategory, this);
        Option2->setChecked(true);
    }
}

void DialogTanaMoto1::Combo1_Change()
{
    CategoryRule();
}

void DialogTanaMoto1::Combo1_Click()
{
    applyOffsetFrameRule();
}

SheetRequest DialogTanaMoto1::sheetRequest() const
{
    SheetRequest r;
    r.date = DTPicker1->date();
    r.allCategories = Option2->isChecked();
    r.categoryId = Text3->text().trimmed().toLongLong();
    r.fontName = global::PrintFontName;
    r.offsetX = offsetMillimetres(Text2->text());
    r.offsetY = offsetMillimetres(Text8->text());
    r.physOffsetX = static_cast<int>(PhysOffsetXPx);
    r.physOffsetY = static_cast<int>(PhysOffsetYPx);
    return r;
}

void DialogTanaMoto1::Command3_Click()
{
    m_printRan = false;
    const QDate date = DTPicker1->date();
    if (Option2->isChecked()) {
        CategoryCheckOk = false;
        CheckUncategorised();
        if (!CategoryCheckOk) {
            dlg::Information(kStopForCorrection, this);
            return;
        }
    }
    bool hasLines = false;
    try {
        hasLines = hasCountLines(date);
    } catch (const std::exception& e) {
        // Nothing can be printed from a database that cannot be read; the engines would fail alike.
        SheetResult unread;
        unread.error = QString::fromStdString(e.what());
        unread.failure = PrintFailure::Database;
        unread.databaseCause = db::causeOf(e);
        tellPrintFailure(kNotPrinted, unread);
        return;
    }
    if (!hasLines) {
        dlg::Information(kNoCountLines, this);
        return;
    }
    const PaperKind kind = paperKindOf(Combo1->currentText());
    const SheetEngine engine = engineFor(kind);
    if (!engine)
        return;
    const bool a4 = kind != PaperKind::Hisago;
    if (a4 && Option1->isChecked() && Text3->text().trimmed().isEmpty()) {
        dlg::Information(kNoCategoryChosen, this);
        return;
    }

    const SheetRequest request = sheetRequest();
    // The preprinted form refuses offsets it cannot take before it begins a document.
    const auto drawsPages = [&] {
        return kind != PaperKind::Hisago || hisagoOffsetsFit(request.offsetX, request.offsetY);
    };
    m_lastResult = printOnCurrentPrinter([&](prn::PrinterObject& printer) { return engine(printer, request); },
                                         drawsPages);
    m_printRan = true;
    // A sheet dropped midway (the printer gone or refusing, the file unwritable, the database
    // unreadable) is told; the user's own cancel is not.
    tellPrintFailure(kNotPrinted, m_lastResult);
    if (!a4)
        return;

    // A line whose category matches none of the printed ones was left out of the sheets: the
    // database total tells. A job that never reached the device (the output file question
    // cancelled, a failing printer) printed nothing that could be missing.
    const double total = GrandTotal();
    if (!Option2->isChecked() || !m_lastResult.printed)
        return;
    if (!totalsDiffer(total, m_lastResult.printedTotal))
        return;
    dlg::Information(kMissingOutput, this);
    unload();
    windows::open(QStringLiteral("frmInAmd2"), windows::Show::Modal);
}

void DialogTanaMoto1::CheckUncategorised()
{
    CategoryCheckOk = counting::CheckUncategorised(DTPicker1->date(), this).mayPrint;
}

double DialogTanaMoto1::GrandTotal()
{
    try {
        m_databaseTotal = databaseTotal(DTPicker1->date());
        Text1->setText(totalText(m_databaseTotal));
    } catch (const std::exception&) {
        // The last total read stands, in the box as well.
    }
    return m_databaseTotal;
}
