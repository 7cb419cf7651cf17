#include "import/MappingDialog.h"

#include "common/WindowTable.h"
#include "import/DialogExcel.h"
#include "import/ImportFile.h"
#include "platform/Cursor.h"
#include "platform/Dialogs.h"
#include "platform/Twips.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString kOpenFilter = QStringLiteral("DAT形式のファイル (*.dat)|*.dat|タブ区切りのテキストファイル (*.txt)|*.txt");
}

MappingDialog::MappingDialog(importer::Kind kind) : m_kind(kind), m_mapping(kind)
{
    auto* root = new QVBoxLayout(this);

    auto* top = new QGridLayout;
    Label1 = named(new QLabel(QStringLiteral("インポートするファイルの選択(&S)"), this), "Label1");
    Text2 = named(new QLineEdit(this), "Text2");
    Label1->setBuddy(Text2);
    Command1 = named(new QPushButton(QStringLiteral("参照(&B)"), this), "Command1");
    top->addWidget(Label1, 0, 0, 1, 2);
    top->addWidget(Text2, 1, 0);
    top->addWidget(Command1, 1, 1);
    Label2 = named(new QLabel(QStringLiteral("項目(&F)"), this), "Label2");
    Combo1 = named(new QComboBox(this), "Combo1");
    Label2->setBuddy(Combo1);
    top->addWidget(Label2, 2, 0, 1, 2);
    top->addWidget(Combo1, 3, 0);
    root->addLayout(top);

    auto* assign = new QHBoxLayout;
    Command2 = named(new QPushButton(QStringLiteral("項目の割り当て(M)"), this), "Command2");
    Command5 = named(new QPushButton(QStringLiteral("戻す(&U)"), this), "Command5");
    assign->addWidget(Command2);
    assign->addWidget(Command5);
    assign->addStretch(1);
    root->addLayout(assign);

    MSFlexGrid1 = named(new QTableWidget(this), "MSFlexGrid1");
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->horizontalHeader()->setHighlightSections(false);
    root->addWidget(MSFlexGrid1, 1);
    Label3 = named(new QLabel(QStringLiteral("＊印は必須項目です"), this), "Label3");
    root->addWidget(Label3);

    auto* buttons = new QHBoxLayout;
    Command6 = named(new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"), this), "Command6");
    Command3 = named(new QPushButton(QStringLiteral("OK"), this), "Command3");
    Command4 = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "Command4");
    buttons->addWidget(Command6);
    buttons->addStretch(1);
    buttons->addWidget(Command3);
    buttons->addWidget(Command4);
    root->addLayout(buttons);
    setMinimumWidth(2 * twips::toPixels(4000, this) + 40);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Combo1, &QComboBox::activated, this, [this](int) { Combo1_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
}

void MappingDialog::Form_Load()
{
    // Without a readable mapping file (none yet, or a damaged one) every row shows unassigned, so
    // that the user can map again and OK writes a whole file over it.
    if (std::optional<importer::Mapping> saved = importer::readMapping(m_kind))
        m_mapping = std::move(*saved);
    fillGrid();
    Combo1->setEnabled(false);
}

void MappingDialog::fillGrid()
{
    const importer::MappingLayout& s = importer::layoutOf(m_kind);
    MSFlexGrid1->clear();
    MSFlexGrid1->setColumnCount(2);
    MSFlexGrid1->setHorizontalHeaderLabels({s.gridHeading, QStringLiteral("インポートする項目")});
    const int width = twips::toPixels(4000, this);
    MSFlexGrid1->setColumnWidth(0, width);
    MSFlexGrid1->setColumnWidth(1, width);
    MSFlexGrid1->setRowCount(static_cast<int>(s.fields.size()));
    for (int i = 1; i <= s.fields.size(); ++i) {
        MSFlexGrid1->setItem(i - 1, 0, new QTableWidgetItem(s.fields.at(i - 1)));
        MSFlexGrid1->setItem(i - 1, 1, new QTableWidgetItem(m_mapping.heading(i)));
    }
    MSFlexGrid1->setCurrentCell(0, 0);
    // Every target field in view without scrolling.
    MSFlexGrid1->setMinimumHeight(MSFlexGrid1->horizontalHeader()->sizeHint().height()
                                  + MSFlexGrid1->verticalHeader()->defaultSectionSize() * MSFlexGrid1->rowCount()
                                  + 2 * MSFlexGrid1->frameWidth());
}

void MappingDialog::Form_Activate()
{
    pointer::reset();
    if (!Text2->text().isEmpty()) {
        listHeadings();
        Combo1->setFocus();
    }
}

void MappingDialog::listHeadings()
{
    const std::optional<QStringList> headings = importer::readHeadings(Text2->text());
    if (!headings)
        return;
    Combo1->clear();
    Combo1->addItems(*headings);
    Combo1->setEnabled(true);
}

void MappingDialog::Command1_Click()
{
    const std::optional<QString> file = dlg::OpenFile(QStringLiteral("開く"), kOpenFilter, 2, this);
    if (!file)
        return;
    Text2->setText(*file);
    listHeadings();
    pointer::reset();
}

int MappingDialog::currentField() const
{
    const int row = MSFlexGrid1->currentRow();
    return row < 0 ? 0 : row + 1;
}

void MappingDialog::Command2_Click()
{
    const QString heading = Combo1->currentText();
    const int r = currentField();
    if (heading.isEmpty() || r == 0 || Combo1->currentIndex() < 0)
        return;
    m_mapping.assign(r, heading, Combo1->currentIndex() + 1);
    MSFlexGrid1->item(r - 1, 1)->setText(heading);
    MSFlexGrid1->setCurrentCell(r - 1, 1);
}

void MappingDialog::Combo1_Click()
{
    Command2_Click();
}

void MappingDialog::Command5_Click()
{
    const int r = currentField();
    if (r == 0)
        return;
    m_mapping.clear(r);
    MSFlexGrid1->item(r - 1, 1)->setText(QString());
}

void MappingDialog::Command3_Click()
{
    const int required = importer::layoutOf(m_kind).requiredField;
    if (m_mapping.heading(required).isEmpty()) {
        dlg::Information(QStringLiteral("品名の項目が設定されていません。"), this);
        return;
    }
    // A failed save keeps the previous mapping file whole; the import then reports what it finds.
    importer::saveMapping(m_mapping);
    handBack();
    unload();
}

void MappingDialog::Command4_Click()
{
    unload();
}

void MappingDialog::Command6_Click()
{
    windows::showTip({QStringLiteral("インポートの設定について"), QString(),
                        QStringLiteral("インポートするファイルを選択すると「項目（F)」にファイルの項目が表示されます。"),
                        importer::layoutOf(m_kind).helpLine, QString()});
}

DialogTabA::DialogTabA() : MappingDialog(importer::Kind::Count)
{
    setObjectName("DialogTabA");
    setWindowTitle(QStringLiteral("棚　卸　ｲﾝﾎﾟｰﾄの設定"));
}

void DialogTabA::handBack()
{
    if (auto* d = forms::find<DialogExcelA>())
        d->receiveMapping(Text2->text());
}

DialogTabB::DialogTabB() : MappingDialog(importer::Kind::Product)
{
    setObjectName("DialogTabB");
    setWindowTitle(QStringLiteral("品名情報　ｲﾝﾎﾟｰﾄの設定"));
}

void DialogTabB::handBack()
{
    if (auto* d = forms::find<DialogExcelB>())
        d->receiveMapping(Text2->text());
}
