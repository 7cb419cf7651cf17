#include "import/DialogExcel.h"

#include "common/WindowTable.h"
#include "import/ImportFile.h"
#include "import/ImportStore.h"
#include "import/MappingDialog.h"
#include "platform/Cursor.h"
#include "platform/DateBox.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kOpenFilter = QStringLiteral("DAT形式のファイル (*.dat)|*.dat|タブ区切りのテキストファイル (*.txt)|*.txt");
const QString kInitialFileText = QStringLiteral("参照（B)をクリックし該当する．DATファイルを選択してください。");
// The progress bar is repainted at most this often during a run (milliseconds).
constexpr int kRepaintInterval = 40;

QString dateText(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy/MM/dd"));
}
} // namespace

ImportDialog::ImportDialog(importer::Kind kind) : m_kind(kind)
{
    const bool count = kind == importer::Kind::Count;
    auto* root = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    int row = 0;
    if (count) {
        Label6 = named(new QLabel(QStringLiteral("インポートする棚卸データの決算日(&D)"), this), "Label6");
        DTPicker1 = named(new DateBox(this), "DTPicker1");
        Label6->setBuddy(DTPicker1);
        top->addWidget(Label6, row, 0);
        top->addWidget(DTPicker1, row++, 1, Qt::AlignLeft);
    }
    Label1 = named(new QLabel(QStringLiteral("ﾌｧｲﾙ名(&F)："), this), "Label1");
    txtFileName = named(new QLineEdit(kInitialFileText, this), "txtFileName");
    Label1->setBuddy(txtFileName);
    Command2 = named(new QPushButton(QStringLiteral("参照(&B)"), this), "Command2");
    top->addWidget(Label1, row++, 0, 1, 3);
    top->addWidget(txtFileName, row, 0, 1, 2);
    top->addWidget(Command2, row++, 2);
    root->addLayout(top);
    if (!count) {
        Check1 = named(new QCheckBox(QStringLiteral("既に登録されている品名情報の単価、数量単位を更新する。"), this), "Check1");
        root->addWidget(Check1);
    }

    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    root->addWidget(ProgressBar1);
    Label4 = named(new QLabel(QStringLiteral("インポート処理中"), this), "Label4");
    root->addWidget(Label4);

    QFont fixed(QStringLiteral("ＭＳ ゴシック"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    auto resultLine = [&](const char* name) {
        auto* l = named(new QLabel(this), name);
        l->setFont(fixed);
        root->addWidget(l);
        return l;
    };
    if (count) {
        Label2 = resultLine("Label2");
        Label3 = resultLine("Label3");
    }
    Label5 = resultLine("Label5");

    auto* buttons = new QHBoxLayout;
    Command1 = named(new QPushButton(QStringLiteral("ｲﾝﾎﾟｰﾄ開始(&I)"), this), "Command1");
    Command3 = named(new QPushButton(QStringLiteral("設定(&S)"), this), "Command3");
    Command4 = named(new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"), this), "Command4");
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    buttons->addStretch(1);
    buttons->addWidget(Command4);
    root->addLayout(buttons);
    setMinimumWidth(560);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
}

void ImportDialog::Form_Load()
{
    Command1->setEnabled(false);
    Label4->hide();
    if (DTPicker1)
        DTPicker1->setDate(QDate::currentDate());
}

void ImportDialog::Form_Activate()
{
    pointer::reset();
}

void ImportDialog::Command2_Click()
{
    const std::optional<QString> file = dlg::OpenFile(QStringLiteral("開く"), kOpenFilter, 2, this);
    if (!file)
        return;
    txtFileName->setText(*file);
    Command1->setEnabled(true);
    Command1->setFocus();
}

void ImportDialog::Command3_Click()
{
    mappingDialog()->showModal();
}

void ImportDialog::Command4_Click()
{
    windows::showTip({QStringLiteral("インポートについて"),
                        QStringLiteral("インポートできるファイル形式は、タブ区切り(TXT)、(DAT)のテキストファイルです。"),
                        QString(),
                        QStringLiteral("Ｅｘｃｅｌなどでタブ区切り(TXT)のテキスト形式で保存してください。インポート処理は一行目(見出し行）は読み込みません。見出し行がないデータの場合は、１行目に「見出し」を挿入してください。"),
                        QString()});
}

void ImportDialog::receiveMapping(const QString& fileName)
{
    txtFileName->setText(fileName);
    Command1->setEnabled(true);
}

void ImportDialog::Command1_Click()
{
    try {
        if (m_kind == importer::Kind::Count)
            runCount();
        else
            runProducts();
    } catch (const db::DbError& e) {
        fail(db::causeText(e.cause()));
    }
}

void ImportDialog::fail(const QString& detail)
{
    pointer::reset();
    Label4->hide();
    QString text = m_kind == importer::Kind::Count
                       ? QStringLiteral("インポートに失敗しました。インポートしたデータをチェックしてください。")
                       : QStringLiteral("インポートに失敗しました。インポートされだデータをチェックしてください。");
    if (!detail.isEmpty())
        text += QStringLiteral("\n\n") + detail;
    dlg::Information(text, this);
}

void ImportDialog::failAfterRun(const importer::Outcome& out)
{
    // The store numbers the data lines from 1; the file's own line numbers count the heading too.
    fail(out.failedLine > 0 ? importer::atLine(out.failedLine + 1, out.error) : out.error);
}

void ImportDialog::paintBeforeRun()
{
    pointer::hourglass();
    Label4->show();
    // The answered question's area waits for the window system's expose, and the run keeps the
    // event loop from handling it: take in what is pending (the new layout with Label4, exposes
    // already here; no user input), then paint the whole window at once.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    m_repaint.invalidate();
}

bool ImportDialog::prepareRun(QStringList& dataLines, importer::Mapping& mapping)
{
    Command1->setEnabled(false);
    if (!importer::mappingExists(m_kind)) {
        dlg::Information(QStringLiteral("設定ファイルが見つかりませんでした。インポートの設定を行います。"), this);
        MappingDialog* tab = mappingDialog();
        tab->Text2->setText(txtFileName->text());
        txtFileName->clear();
        tab->showModal();
        return false;
    }
    std::optional<importer::Mapping> saved = importer::readMapping(m_kind);
    if (!saved) {
        fail(QStringLiteral("設定ファイル「%1」を読み取れません。").arg(importer::mappingPath(m_kind)));
        return false;
    }
    mapping = std::move(*saved);
    QString why;
    std::optional<QStringList> lines = importer::readImportFile(txtFileName->text(), &why);
    if (!lines) {
        fail(why);
        return false;
    }
    // A file of its heading line only, or an empty one, holds no line to import: it is asked
    // about as 0 lines and then refused as inconsistent, since it has no last data line.
    const int dataCount = std::max<int>(0, static_cast<int>(lines->size()) - 1);
    if (dlg::Question(QStringLiteral("データ件数は、%1件です。インポートを開始しますか。").arg(dataCount), this) != dlg::vbYes) {
        pointer::reset();
        return false;
    }
    ProgressBar1->setRange(0, dataCount);
    ProgressBar1->setValue(0);
    ProgressBar1->show();

    const int nameColumn = mapping.column(importer::layoutOf(m_kind).requiredField);
    if (dataCount > 0) {
        const std::optional<QStringList> last = importer::cutLine(lines->last());
        if (!last) {
            fail(importer::atLine(static_cast<int>(lines->size()), importer::tooManyCells()));
            return false;
        }
        if (!importer::cellAt(*last, nameColumn).isEmpty()) {
            dataLines = lines->mid(1);
            return true;
        }
    }
    dlg::Information(QStringLiteral("インポートするデータに整合性がありません。ファイルを確認してください。"), this);
    return false;
}

void ImportDialog::showProgress(int done)
{
    if (m_repaint.isValid() && m_repaint.elapsed() < kRepaintInterval)
        return;
    ProgressBar1->setValue(done);
    ProgressBar1->repaint();
    m_repaint.restart();
}

void ImportDialog::runCount()
{
    const QDate date = DTPicker1->date();
    const QString d = dateText(date);
    if (dlg::Question(QStringLiteral("インポートする棚卸データの決算日は、") + d + QStringLiteral("です。よろしいですか。"), this)
        != dlg::vbYes) {
        pointer::reset();
        return;
    }
    QStringList dataLines;
    importer::Mapping mapping(m_kind);
    if (!prepareRun(dataLines, mapping))
        return;
    if (db::scalar(QStringLiteral("SELECT 1 FROM 棚卸マスター WHERE 日付 = ? LIMIT 1"), {db::isoDate(date)}).isValid()
        && dlg::Question(QStringLiteral("既に棚卸表に") + d + QStringLiteral("日付のデータがあります。インポートを続けますか？"), this)
               != dlg::vbYes)
        return;

    paintBeforeRun();
    const importer::Outcome out = importer::storeCountLines(dataLines, date, mapping,
                                                        [this](int done) { showProgress(done); });
    ProgressBar1->setValue(out.lines);
    pointer::reset();
    if (out.failed) {
        failAfterRun(out);
        return;
    }
    Label2->setText(QStringLiteral("棚卸表　入力件数       %1 件").arg(out.lines));
    Label3->setText(QStringLiteral("項目/分類情報　新規登録件数　%1 件").arg(out.categories));
    Label5->setText(QStringLiteral("品名情報　新規登録件数　 　　%1 件").arg(out.products));
    dlg::Information(QStringLiteral("棚卸のインポートは正常に完了しました。"), this);
    Label4->hide();
}

void ImportDialog::runProducts()
{
    QStringList dataLines;
    importer::Mapping mapping(m_kind);
    if (!prepareRun(dataLines, mapping))
        return;
    paintBeforeRun();
    int read = 0;
    const importer::Outcome out = importer::storeProducts(dataLines, mapping, Check1->isChecked(),
                                                      [this, &read](int done) {
                                                          read = done;
                                                          showProgress(done);
                                                      });
    ProgressBar1->setValue(read);
    pointer::reset();
    if (out.failed) {
        failAfterRun(out);
        return;
    }
    Label5->setText(QStringLiteral("品名情報　新規登録件数　 　　%1 件").arg(out.products));
    dlg::Information(QStringLiteral("棚卸表のインポートは正常に完了しました。"), this);
    Label4->hide();
}

DialogExcelA::DialogExcelA() : ImportDialog(importer::Kind::Count)
{
    setObjectName("DialogExcelA");
    setWindowTitle(QStringLiteral("棚卸のインポート"));
}

MappingDialog* DialogExcelA::mappingDialog()
{
    return forms::get<DialogTabA>();
}

DialogExcelB::DialogExcelB() : ImportDialog(importer::Kind::Product)
{
    setObjectName("DialogExcelB");
    setWindowTitle(QStringLiteral("品名情報のインポート"));
}

MappingDialog* DialogExcelB::mappingDialog()
{
    return forms::get<DialogTabB>();
}
