#include "printing/frmPrinterP.h"

#include "platform/Cursor.h"
#include "platform/Dialogs.h"
#include "platform/PrinterCollection.h"
#include "printing/PrintDialogData.h"
#include "printing/PrintDialogShell.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace printing::setup;

const QString frmPrinterP::kCannotShow = QStringLiteral("表示できません。");

frmPrinterP::frmPrinterP()
{
    setObjectName(QStringLiteral("frmPrinterP"));
    setWindowTitle(QStringLiteral("プリンタの設定"));
    buildUi();
}

void frmPrinterP::buildUi()
{
    auto* root = new QVBoxLayout(this);

    Frame2 = named(new QGroupBox(QStringLiteral("プリンタ"), this), "Frame2");
    auto* f2 = new QGridLayout(Frame2);
    Label1 = named(new QLabel(QStringLiteral("名前(&N)："), Frame2), "Label1");
    Combo3 = named(new QComboBox(Frame2), "Combo3");
    Combo3->setMinimumContentsLength(28);
    Label1->setBuddy(Combo3);
    Command3 = named(new QPushButton(QStringLiteral("ﾌﾟﾛﾊﾟﾃｨ(&P)..."), Frame2), "Command3");
    Label6 = named(new QLabel(Frame2), "Label6");
    Label4 = named(new QLabel(Frame2), "Label4");
    Combo1 = named(new QComboBox(Frame2), "Combo1");
    Combo1->setVisible(false);
    f2->addWidget(Label1, 0, 0);
    f2->addWidget(Combo3, 0, 1);
    f2->addWidget(Command3, 0, 2);
    f2->addWidget(Label6, 1, 1);
    f2->addWidget(Label4, 1, 2);
    f2->setColumnStretch(1, 1);
    root->addWidget(Frame2);

    Frame1 = named(new QGroupBox(QStringLiteral("プリンタの用紙"), this), "Frame1");
    auto* f1 = new QGridLayout(Frame1);
    Label2 = named(new QLabel(QStringLiteral("サイズ(&Z)："), Frame1), "Label2");
    Combo2 = named(new QComboBox(Frame1), "Combo2");
    // Editable only so that it can show the current paper's text, which need not be an item.
    Combo2->setEditable(true);
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    Combo2->lineEdit()->setReadOnly(true);
    Combo2->setMinimumContentsLength(28);
    Label2->setBuddy(Combo2);
    Label3 = named(new QLabel(QStringLiteral("給紙方法："), Frame1), "Label3");
    Label7 = named(new QLabel(Frame1), "Label7");
    f1->addWidget(Label2, 0, 0);
    f1->addWidget(Combo2, 0, 1);
    f1->addWidget(Label3, 1, 0);
    f1->addWidget(Label7, 1, 1);
    f1->setColumnStretch(1, 1);
    root->addWidget(Frame1);

    // Kept as the window was designed; nothing else reads these values.
    Frame12 = named(new QGroupBox(QStringLiteral("出力位置の調整"), this), "Frame12");
    auto* f12 = new QGridLayout(Frame12);
    Label21 = named(new QLabel(QStringLiteral("印字位置を調整します"), Frame12), "Label21");
    Label25 = named(new QLabel(QStringLiteral("横方向 右へ"), Frame12), "Label25");
    Text1 = named(new QLineEdit(Frame12), "Text1");
    UpDown1 = named(new printing::UpDownControl(Text1, -100, 100, 1, Frame12), "UpDown1");
    Label27 = named(new QLabel(QStringLiteral("㎜"), Frame12), "Label27");
    Label26 = named(new QLabel(QStringLiteral("縦方向 下へ"), Frame12), "Label26");
    Text3 = named(new QLineEdit(Frame12), "Text3");
    UpDown2 = named(new printing::UpDownControl(Text3, -100, 100, 1, Frame12), "UpDown2");
    Label28 = named(new QLabel(QStringLiteral("㎜"), Frame12), "Label28");
    Command2 = named(new QPushButton(QStringLiteral("登録（&I)"), Frame12), "Command2");
    Command4 = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), Frame12), "Command4");
    Text1->setMaximumWidth(60);
    Text3->setMaximumWidth(60);
    f12->addWidget(Label21, 0, 0, 1, 4);
    f12->addWidget(Label25, 1, 0);
    f12->addWidget(Text1, 1, 1);
    f12->addWidget(UpDown1, 1, 2);
    f12->addWidget(Label27, 1, 3);
    f12->addWidget(Command2, 1, 5);
    f12->addWidget(Label26, 2, 0);
    f12->addWidget(Text3, 2, 1);
    f12->addWidget(UpDown2, 2, 2);
    f12->addWidget(Label28, 2, 3);
    f12->addWidget(Command4, 2, 5);
    f12->setColumnStretch(4, 1);
    root->addWidget(Frame12);

    auto* buttons = new QHBoxLayout;
    Command1 = named(new QPushButton(QStringLiteral("OK"), this), "Command1");
    Command5 = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "Command5");
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command5);
    root->addLayout(buttons);
    setDefaultButton(Command1);
    setCancelButton(Command5);

    connect(Combo3, &QComboBox::activated, this, [this] { Combo3_Click(); });
    connect(Combo2, &QComboBox::activated, this, [this] { Combo2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    // The up-down controls write their value into their boxes themselves.
}

void frmPrinterP::Form_Load()
{
    // The window opens on the printer current now. Only the names are read: making every printer
    // current in turn to learn its name would leave the last one current should the current one
    // have vanished from the list meanwhile.
    const QString current = prn::currentPrinter().deviceName();
    Combo3->clear();
    Combo3->addItems(prn::printerNames());
    const int index = prn::currentPrinterIndex();
    if (index >= 0 && index < Combo3->count() && Combo3->itemText(index) == current)
        SetupPrinterIndex = index;
    else if (const int byName = Combo3->findText(current); byName >= 0)
        SetupPrinterIndex = byName;
    if (SetupPrinterIndex >= 0) {
        Combo3->setCurrentIndex(SetupPrinterIndex);
        // A fresh printer object of the same printer, found by its name.
        if (prn::currentPrinterIndex() != SetupPrinterIndex && prn::choosePrinter(current, SetupPrinterIndex))
            SetupPrinterIndex = prn::currentPrinterIndex();
    }
    LoadPaperInfo();
}

void frmPrinterP::Form_Activate()
{
    pointer::reset();
}

void frmPrinterP::Combo3_Click()
{
    const int index = Combo3->currentIndex();
    const QString name = Combo3->currentText();
    if (name.isEmpty() || index < 0)
        return;
    // The printer the user saw in the list, by its name: its name, papers and trays and whatever
    // is written for it belong to that one queue, however the spooler's list changed meanwhile.
    if (prn::choosePrinter(name, index)) {
        SetupPrinterIndex = prn::currentPrinterIndex();
        LoadPaperInfo();
        return;
    }
    printerGone(name);
}

void frmPrinterP::printerGone(const QString& name)
{
    dlg::Information(printing::printerGoneText(name), this);
    // The list as it is now, on the printer that stays current; its papers are still the ones
    // shown.
    const QString current = prn::currentPrinter().deviceName();
    Combo3->clear();
    Combo3->addItems(prn::printerNames());
    SetupPrinterIndex = Combo3->findText(current);
    Combo3->setCurrentIndex(SetupPrinterIndex);
}

void frmPrinterP::LoadPaperInfo()
{
    Combo1->clear();
    Combo2->clear();
    Label7->clear();
    // The copies line belongs to the printer shown; another printer's number would mislead.
    Label6->clear();
    setPaperPartEnabled(true);

    m_infoPrinter = prn::currentPrinter().deviceName();
    m_info = readPaperInfo(prn::currentPrinter());
    if (!m_info.ok || m_info.papers.isEmpty()) {
        // Nothing of the printer shown before stays in the greyed size box either.
        Combo2->clearEditText();
        setPaperPartEnabled(false);
        return;
    }
    for (const Paper& p : m_info.papers)
        Combo1->addItem(paperCodeName(p.code), p.code);
    Label6->setText(copiesText(m_info.maxCopies));
    Label7->setText(paperSourceText(m_info.binCode));
    for (const Paper& p : m_info.papers)
        Combo2->addItem(p.name);
    ShowCurrentPaperSize();
}

void frmPrinterP::ShowCurrentPaperSize()
{
    Combo2->setCurrentIndex(-1);
    Combo2->setEditText(currentPaperText(m_info.currentCode, m_info.physicalPx, m_info.dpi));
}

void frmPrinterP::setPaperPartEnabled(bool on)
{
    m_greyed = !on;
    Frame1->setEnabled(true);
    Label2->setEnabled(on);
    Label3->setEnabled(on);
    Label7->setEnabled(on);
    Combo2->setEnabled(on);
    QPalette pal = Combo2->palette();
    pal.setColor(QPalette::Base, palette().color(on ? QPalette::Base : QPalette::Button));
    Combo2->setPalette(pal);
}

void frmPrinterP::Combo2_Click()
{
    const int index = Combo2->currentIndex();
    if (index < 0 || index >= Combo1->count() || index >= m_info.papers.size())
        return;
    Combo1->setCurrentIndex(index);
    if (Combo1->currentText().isEmpty() || Combo3->currentText().isEmpty())
        return;
    // The papers listed are those of the printer they were read from, which is the one shown.
    if (m_infoPrinter != Combo3->currentText())
        return;
    // The user's own default for the queue; the texts shown and the current printer stay as they
    // are until the printer is read again.
    if (!writeDefaultPaper(m_infoPrinter, m_info.papers.at(index).media) && !printerExists(m_infoPrinter))
        printerGone(m_infoPrinter);
}

void frmPrinterP::Command3_Click()
{
    const QString name = prn::currentPrinter().deviceName();
    // The PDF entry keeps no settings between jobs, so it has no sheet to show.
    const dlg::PropertySheet sheet =
        name == prn::pdfEntryName() ? dlg::PropertySheet{} : dlg::PrinterProperties(name, this);
    if (!sheet.shown)
        Label4->setText(kCannotShow);
    else if (sheet.paper) {
        const QString media = mediaOf(m_info, *sheet.paper);
        if (!media.isEmpty())
            writeDefaultPaper(name, media);
    }
    // A fresh printer object, so that what was changed in the sheet takes effect.
    if (!prn::choosePrinter(name, SetupPrinterIndex))
        return printerGone(name);
    SetupPrinterIndex = prn::currentPrinterIndex();
    LoadPaperInfo();
}

void frmPrinterP::Command1_Click()
{
    unload();
}

void frmPrinterP::Command5_Click()
{
    unload();
}

void frmPrinterP::Command2_Click()
{
    if (Text1->text().isEmpty())
        Text1->setText(QStringLiteral("0"));
    if (Text3->text().isEmpty())
        Text3->setText(QStringLiteral("0"));
    setOffsetsBold(true);
}

void frmPrinterP::Command4_Click()
{
    setOffsetsBold(false);
}

void frmPrinterP::UpDown1_Change()
{
    Text1->setText(QString::number(UpDown1->value()));
}

void frmPrinterP::UpDown2_Change()
{
    Text3->setText(QString::number(UpDown2->value()));
}

void frmPrinterP::setOffsetsBold(bool bold)
{
    for (QLineEdit* t : {Text1, Text3}) {
        QFont f = t->font();
        f.setBold(bold);
        t->setFont(f);
    }
}
