#include "printing/PrintDialogShell.h"

#include "common/MainWindowInfo.h"
#include "common/Settings.h"
#include "common/WindowTable.h"
#include "common/global.h"
#include "counting/CountWindowRules.h"
#include "platform/Cursor.h"
#include "platform/DataCombo.h"
#include "platform/DateBox.h"
#include "platform/Dialogs.h"
#include "platform/PdfFileQuestion.h"
#include "platform/PrinterCollection.h"
#include "printing/PrintDialogData.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace printing {

// --- up-down control -------------------------------------------------------------------------

UpDownControl::UpDownControl(QLineEdit* buddy, int minimum, int maximum, int increment, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_min(minimum), m_max(maximum), m_increment(increment)
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    auto* up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    up->setAutoRepeat(true);
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    down->setAutoRepeat(true);
    up->setFocusPolicy(Qt::NoFocus);
    down->setFocusPolicy(Qt::NoFocus);
    box->addWidget(up);
    box->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { stepUp(); });
    connect(down, &QToolButton::clicked, this, [this] { stepDown(); });
}

void UpDownControl::step(int by)
{
    // The box may hold anything the user typed; a number there is where the step starts.
    if (m_buddy) {
        const double typed = offsetMillimetres(m_buddy->text());
        m_value = std::isfinite(typed) ? static_cast<int>(std::clamp(std::round(typed), double(m_min), double(m_max))) : 0;
    }
    m_value = std::clamp(m_value + by, m_min, m_max);
    if (m_buddy)
        m_buddy->setText(QString::number(m_value));
}

// --- shell -----------------------------------------------------------------------------------

const QString PrintDialogShell::kLoadFailed =
    QStringLiteral("データベースの接続に失敗しました。データベースが使用可能になってから再度実行してください。");

PrintDialogShell::PrintDialogShell(const PrintDialogTraits& traits) : m_traits(traits)
{
    setObjectName(QString::fromLatin1(traits.objectName));
    setWindowTitle(traits.caption);
    setEnterAsTab(true);
    buildUi();
}

void PrintDialogShell::buildUi()
{
    auto* root = new QVBoxLayout(this);

    auto* dateRow = new QHBoxLayout;
    Label1 = named(new QLabel(m_traits.dateLabel, this), "Label1");
    DTPicker1 = named(new DateBox(this), "DTPicker1");
    Label1->setBuddy(DTPicker1);
    dateRow->addWidget(Label1);
    dateRow->addWidget(DTPicker1);
    dateRow->addStretch(1);
    root->addLayout(dateRow);

    m_ownArea = new QGridLayout;
    root->addLayout(m_ownArea);

    Frame1 = named(new QGroupBox(this), "Frame1");
    auto* f1 = new QGridLayout(Frame1);
    Option1 = named(new QRadioButton(QStringLiteral("項目/分類別に出力(&P)"), Frame1), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("すべての項目/分類を出力(&I)"), Frame1), "Option2");
    Option2->setChecked(true);
    Label10 = named(new QLabel(m_traits.categoryLabel, Frame1), "Label10");
    dbcNouhin = named(new DataCombo(Frame1), "dbcNouhin");
    dbcNouhin->setMinimumContentsLength(20);
    Label10->setBuddy(dbcNouhin);
    f1->addWidget(Option1, 0, 0, 1, 2);
    f1->addWidget(Option2, 1, 0, 1, 2);
    f1->addWidget(Label10, 2, 0);
    f1->addWidget(dbcNouhin, 2, 1);
    f1->setColumnStretch(1, 1);
    root->addWidget(Frame1);
    Frame1->setVisible(m_traits.categoryChoice);
    Text3 = named(new QLineEdit(this), "Text3");
    Text3->setVisible(false);
    if (m_traits.categoryChoice)
        dbcNouhin->bindKeyBox(Text3);

    Frame2 = named(new QGroupBox(this), "Frame2");
    auto* f2 = new QGridLayout(Frame2);
    Label3 = named(new QLabel(QStringLiteral("ﾌﾟﾘﾝﾀ名(&N)"), Frame2), "Label3");
    Combo6 = named(new QComboBox(Frame2), "Combo6");
    Combo6->setEditable(true);
    Combo6->setInsertPolicy(QComboBox::NoInsert);
    Combo6->setMinimumContentsLength(24);
    Label3->setBuddy(Combo6);
    Command7 = named(new QPushButton(QStringLiteral("ﾌﾟﾘﾝﾀの設定(&U)"), Frame2), "Command7");
    Picture4 = named(new QToolButton(Frame2), "Picture4");
    Picture4->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    Picture4->setFocusPolicy(Qt::NoFocus);
    txtFontName = named(new QLineEdit(Frame2), "txtFontName");
    txtFontName->setReadOnly(true);
    Command1 = named(new QPushButton(QStringLiteral("ﾌｫﾝﾄの変更(&F)"), Frame2), "Command1");
    f2->addWidget(Label3, 0, 0);
    f2->addWidget(Combo6, 0, 1, 1, 2);
    f2->addWidget(Command7, 0, 3);
    f2->addWidget(Picture4, 1, 0);
    f2->addWidget(txtFontName, 1, 1, 1, 2);
    f2->addWidget(Command1, 1, 3);
    root->addWidget(Frame2);

    Frame12 = named(new QGroupBox(QStringLiteral("出力位置の調整(&S)"), this), "Frame12");
    auto* f12 = new QGridLayout(Frame12);
    Label25 = named(new QLabel(QStringLiteral("横方向 右へ"), Frame12), "Label25");
    Text2 = named(new QLineEdit(Frame12), "Text2");
    UpDown1 = named(new UpDownControl(Text2, -100, 100, 1, Frame12), "UpDown1");
    Label27 = named(new QLabel(QStringLiteral("㎜"), Frame12), "Label27");
    Label26 = named(new QLabel(QStringLiteral("縦方向 下へ"), Frame12), "Label26");
    Text8 = named(new QLineEdit(Frame12), "Text8");
    UpDown2 = named(new UpDownControl(Text8, -100, 100, 1, Frame12), "UpDown2");
    Label28 = named(new QLabel(QStringLiteral("㎜"), Frame12), "Label28");
    for (QLineEdit* t : {Text2, Text8}) {
        t->setMaximumWidth(60);
        t->setAlignment(Qt::AlignRight);
    }
    f12->addWidget(Label25, 0, 0);
    f12->addWidget(Text2, 0, 1);
    f12->addWidget(UpDown1, 0, 2);
    f12->addWidget(Label27, 0, 3);
    f12->addWidget(Label26, 1, 0);
    f12->addWidget(Text8, 1, 1);
    f12->addWidget(UpDown2, 1, 2);
    f12->addWidget(Label28, 1, 3);
    f12->setColumnStretch(4, 1);
    root->addWidget(Frame12);
    // Only the paper kinds that use the offsets open the frame.
    setOffsetFrameEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command3 = named(new QPushButton(QStringLiteral("印刷(&P)"), this), "Command3");
    buttons->addWidget(Command3);
    root->addLayout(buttons);

    connect(Combo6, &QComboBox::activated, this, [this] { Combo6_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Picture4, &QToolButton::clicked, this, [this] { Picture4_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(dbcNouhin, &DataCombo::Change, this, [this] { dbcNouhin_Change(); });
    connect(dbcNouhin, &DataCombo::GotFocus, this, [this] { dbcNouhin_GotFocus(); });
}

void PrintDialogShell::Form_Load()
{
    DTPicker1->setDate(m_traits.dateFromMainWindow ? app::closingDate() : QDate::currentDate());
    if (!loadOwnControls())
        return loadFailed();
    Text2->setText(GetSetting(QStringLiteral("Printer"), QStringLiteral("stOffsetX"), QStringLiteral("0")));
    Text8->setText(GetSetting(QStringLiteral("Printer"), QStringLiteral("stOffsetY"), QStringLiteral("0")));
    if (m_traits.categoryChoice)
        setCategoryEnabled(Option1->isChecked());
    fillPrinterList();
    if (m_traits.categoryChoice && !openCategoryList() && m_traits.loadFailureTold)
        return loadFailed(dbcNouhin->lastFailure());
    applyOffsetFrameRule();
}

void PrintDialogShell::loadFailed(std::optional<db::Cause> cause)
{
    if (m_traits.loadFailureTold)
        dlg::Information(cause ? db::withCause(kLoadFailed, *cause) : kLoadFailed, this);
}

void PrintDialogShell::fillPrinterList()
{
    // The stored name picks the printer; with two printers of the same name the later one wins,
    // and a name no printer has leaves the position chosen earlier in this run. The printer is
    // then opened by the name at that position in this very list, never by a position in a list
    // read again.
    const QString wanted = global::PrintDeviceName;
    const QStringList names = prn::printerNames();
    Combo6->clear();
    for (int i = 0; i < names.size(); ++i) {
        Combo6->addItem(names.at(i));
        if (names.at(i) == wanted)
            global::PrinterIndex = i;
    }
    if (!prn::choosePrinter(names.value(global::PrinterIndex), global::PrinterIndex)) {
        // The position chosen earlier is past the list (a queue was removed meanwhile), or its
        // printer went as the list was read: the first printer stands in.
        prn::choosePrinter(names.value(0), 0);
    }
    global::PrinterIndex = prn::currentPrinterIndex();
    Combo6->setCurrentIndex(-1);
    Combo6->setEditText(wanted);
}

void PrintDialogShell::refillPrinterList()
{
    const QString shown = prn::currentPrinter().deviceName();
    Combo6->clear();
    Combo6->addItems(prn::printerNames());
    Combo6->setCurrentIndex(-1);
    Combo6->setEditText(shown);
}

bool PrintDialogShell::openCategoryList()
{
    return dbcNouhin->setRowSource(QStringLiteral("SELECT * FROM 項目分類 WHERE 項目ID >= 1 ORDER BY 項目ID"), {},
                                   QStringLiteral("項目分類名"), QStringLiteral("項目ID"));
}

void PrintDialogShell::applyOffsetFrameRule()
{
    setOffsetFrameEnabled(false);
}

void PrintDialogShell::setOffsetFrameEnabled(bool on)
{
    Frame12->setEnabled(on);
    for (QWidget* w : std::initializer_list<QWidget*>{Label25, Label26, Label27, Label28, Text2, Text8, UpDown1, UpDown2})
        w->setEnabled(on);
}

void PrintDialogShell::setCategoryEnabled(bool on)
{
    dbcNouhin->setEnabled(on);
    Label10->setEnabled(on);
}

void PrintDialogShell::Form_Activate()
{
    prn::PrinterObject& printer = prn::currentPrinter();
    Combo6->setEditText(printer.deviceName());
    txtFontName->setText(global::PrintFontName);
    printer.setScaleMode(prn::kScaleTwips);
    const QPoint px = printer.physicalOffsetPx();
    PhysOffsetXPx = px.x();
    PhysOffsetYPx = px.y();
    PhysOffsetX = physicalOffsetTwips(printer.pixelsToTwipsX(px.x()));
    PhysOffsetY = physicalOffsetTwips(printer.pixelsToTwipsY(px.y()));
    if (m_traits.caption.isEmpty())
        setWindowTitle(Text3->text());
}

void PrintDialogShell::Form_Unload(bool&)
{
    saveOwnSettings();
    SaveSetting(QStringLiteral("Printer"), QStringLiteral("stOffsetX"), Text2->text());
    SaveSetting(QStringLiteral("Printer"), QStringLiteral("stOffsetY"), Text8->text());
    global::PrintDeviceName = Combo6->currentText();
    if (m_traits.categoryChoice)
        dbcNouhin->clearRows();
}

void PrintDialogShell::connectionClosing()
{
    if (m_traits.categoryChoice)
        dbcNouhin->clearRows();
}

void PrintDialogShell::Combo6_Click()
{
    const int index = Combo6->currentIndex();
    const QString name = Combo6->currentText();
    if (name.isEmpty() || index < 0)
        return;
    // The printer the user saw in the list, by its name: the spooler's list may have changed
    // since it was read.
    if (prn::choosePrinter(name, index)) {
        global::PrinterIndex = prn::currentPrinterIndex();
        return;
    }
    // Gone since the list was read: told, and the list shows what there is now, with the printer
    // that stays current.
    dlg::Information(printerGoneText(name), this);
    refillPrinterList();
}

void PrintDialogShell::tellPrintFailure(const QString& heading, const printing::SheetResult& result)
{
    const QString text = failureMessage(heading, result);
    if (!text.isEmpty())
        dlg::Information(text, this);
}

SheetResult PrintDialogShell::printOnCurrentPrinter(const std::function<SheetResult(prn::PrinterObject&)>& engine,
                                                   const std::function<bool()>& drawsPages)
{
    prn::PrinterObject& printer = prn::currentPrinter();
    if (!prn::chooseOutputFile(printer, this, drawsPages)) {
        SheetResult cancelled;
        cancelled.cancelled = true;
        cancelled.failure = PrintFailure::Cancelled;
        return cancelled;
    }
    pointer::hourglass();
    SheetResult result = engine(printer);
    pointer::reset();
    prn::forgetOutputFile(printer);
    return result;
}

void PrintDialogShell::Command1_Click()
{
    const std::optional<QFont> chosen = dlg::ChooseFont(QFont(global::PrintFontName, 16), this, true);
    if (!chosen)
        return;
    QString name = chosen->family();
    // The vertical-writing variant of a face prints sideways glyphs; the sheets want the face itself.
    if (name.startsWith(QLatin1Char('@')))
        name.remove(0, 1);
    global::PrintFontName = name;
    txtFontName->setText(name);
}

void PrintDialogShell::Command7_Click()
{
    pointer::hourglass();
    windows::open(QStringLiteral("frmPrinterP"), windows::Show::Modal);
}

void PrintDialogShell::Option1_Click()
{
    beforeOption1Enabling();
    setCategoryEnabled(Option1->isChecked());
}

void PrintDialogShell::Option2_Click()
{
    setCategoryEnabled(Option1->isChecked());
}

void PrintDialogShell::dbcNouhin_Change()
{
    counting::narrow(dbcNouhin, counting::NarrowList::DialogCategory);
}

void PrintDialogShell::dbcNouhin_GotFocus()
{
    counting::ImeOn(dbcNouhin);
    counting::narrow(dbcNouhin, counting::NarrowList::DialogCategory);
}

} // namespace printing
