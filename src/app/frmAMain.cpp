#include "app/frmAMain.h"

#include "app/AppPaths.h"
#include "app/Settings.h"
#include "app/SingleInstance.h"
#include "app/global.h"
#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/WindowPlace.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStatusBar>
#include <QSysInfo>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QString s_commandLine;

} // namespace

void frmAMain::setCommandLine(const QString& arg) { s_commandLine = arg; }
QString frmAMain::commandLine() { return s_commandLine; }

frmAMain::frmAMain()
{
    setObjectName("frmAMain");
    setWindowTitle(QStringLiteral("Brevotane Sheet Version 1.0"));
    setEnterAsTab(true);
    buildUi();
    buildMenus();
    showPicture(designPicture());
    app::setMainWindowInfo(this);
}

frmAMain::~frmAMain()
{
    if (app::mainWindowInfo() == this)
        app::setMainWindowInfo(nullptr);
}

void frmAMain::buildUi()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    menuBar = named(new QMenuBar(this), "menuBar");
    root->setMenuBar(menuBar);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(8, 8, 8, 8);
    body->setSpacing(8);
    root->addLayout(body, 1);

    // Left: the picture.
    Picture2 = named(new QLabel(this), "Picture2");
    Picture2->setFixedSize(240, 320);
    Picture2->setAlignment(Qt::AlignCenter);
    Picture2->setFrameShape(QFrame::StyledPanel);
    body->addWidget(Picture2, 0, Qt::AlignTop);

    auto* right = new QVBoxLayout;
    body->addLayout(right, 1);

    // The closing date and the platform lines.
    Picture3 = named(new QWidget(this), "Picture3");
    auto* p3 = new QGridLayout(Picture3);
    Label1 = named(new QLabel(QStringLiteral("決算日(&D)"), Picture3), "Label1");
    DTPicker1 = named(new QDateEdit(Picture3), "DTPicker1");
    DTPicker1->setCalendarPopup(true);
    DTPicker1->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    DTPicker1->setDate(QDate::currentDate());
    Label1->setBuddy(DTPicker1);
    Label9 = named(new QLabel(QStringLiteral("Data Provider Microsoft.Jet.OLEDB.4.0"), Picture3), "Label9");
    Label13 = named(new QLabel(Picture3), "Label13");
    Label22 = named(new QLabel(QStringLiteral("決算日の棚卸表を入力・訂正・印刷します。"), Picture3), "Label22");
    p3->addWidget(Label1, 0, 0);
    p3->addWidget(DTPicker1, 0, 1);
    p3->addWidget(Label22, 0, 2);
    p3->addWidget(Label9, 1, 0, 1, 3);
    p3->addWidget(Label13, 2, 0, 1, 3);
    p3->setColumnStretch(2, 1);
    right->addWidget(Picture3);

    // The command buttons.
    Frame1 = named(new QGroupBox(this), "Frame1");
    auto* f1 = new QGridLayout(Frame1);
    auto button = [this](const char* name, const QString& caption) {
        auto* b = named(new QPushButton(caption, Frame1), name);
        b->setMinimumHeight(40);
        return b;
    };
    Command17 = button("Command17", QStringLiteral("棚 卸 入 力 (&E)　　"));
    Command19 = button("Command19", QStringLiteral("棚 卸 表 訂 正 (&C)　　"));
    Command21 = button("Command21", QStringLiteral("棚 卸 表 (&P)"));
    Command3 = button("Command3", QStringLiteral("棚卸集計表(&L)"));
    Command3->setToolTip(QStringLiteral("項目/分類別集計表、品名別集計表が作成できます。"));
    Command4 = button("Command4", QStringLiteral("棚卸記入帳(&D)"));
    Command4->setToolTip(QStringLiteral("前期の棚卸表から「棚卸記入帳」が作成できますので、棚卸し実地の記録に活用できます。"));
    Command33 = button("Command33", QStringLiteral("品 名 情 報 (&I)"));
    Command33->setToolTip(QStringLiteral("エクセルファイルからインポートすることができます。"));
    Command28 = button("Command28", QStringLiteral("項目/分類情報(&B)"));
    Command24 = button("Command24", QStringLiteral("数量単位情報(&Q)"));
    Command5 = button("Command5", QStringLiteral("棚卸のｲﾝﾎﾟｰﾄ(&T)"));
    Command5->setToolTip(QStringLiteral("エクセルファイルからインポートすることができます。"));
    Command1 = button("Command1", QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽの修復(&R)"));
    Command2 = button("Command2", QStringLiteral("閉じる(&X)"));
    f1->addWidget(Command17, 0, 0);
    f1->addWidget(Command19, 0, 1);
    f1->addWidget(Command21, 1, 0);
    f1->addWidget(Command3, 1, 1);
    f1->addWidget(Command4, 2, 0);
    f1->addWidget(Command5, 2, 1);
    f1->addWidget(Command33, 3, 0);
    f1->addWidget(Command28, 3, 1);
    f1->addWidget(Command24, 4, 0);
    f1->addWidget(Command1, 4, 1);
    f1->addWidget(Command2, 5, 1);
    right->addWidget(Frame1);

    // The maintenance frame, hidden until asked for.
    Frame8 = named(new QGroupBox(this), "Frame8");
    auto* f8 = new QGridLayout(Frame8);
    Command22 = named(new QPushButton(QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽの修復/最適化((&Z)"), Frame8), "Command22");
    Label5 = named(new QLabel(Frame8), "Label5");
    Label7 = named(new QLabel(Frame8), "Label7");
    Frame4 = named(new QGroupBox(QStringLiteral("データ削除(&K)"), Frame8), "Frame4");
    auto* f4 = new QHBoxLayout(Frame4);
    Combo3 = named(new QComboBox(Frame4), "Combo3");
    Command58 = named(new QPushButton(QStringLiteral("削除"), Frame4), "Command58");
    f4->addWidget(Combo3, 1);
    f4->addWidget(Command58);
    f8->addWidget(Command22, 0, 0);
    f8->addWidget(Label5, 0, 1);
    f8->addWidget(Label7, 1, 1);
    f8->addWidget(Frame4, 2, 0, 1, 2);
    Frame8->hide();
    right->addWidget(Frame8);

    txtFileName = named(new QLineEdit(this), "txtFileName");
    right->addWidget(txtFileName);
    right->addStretch(1);

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        statusPanel[i] = new QLabel(StatusBar1);
        statusPanel[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        if (i == 0)
            StatusBar1->addWidget(statusPanel[i], 1);
        else
            StatusBar1->addPermanentWidget(statusPanel[i]);
    }
    root->addWidget(StatusBar1);

    // Panels 2 and 3 keep the date and the time themselves.
    m_clock = new QTimer(this);
    auto tick = [this] {
        const QDateTime now = QDateTime::currentDateTime();
        statusPanel[1]->setText(now.date().toString(QStringLiteral("yyyy/MM/dd")));
        statusPanel[2]->setText(now.time().toString(QStringLiteral("HH:mm")));
    };
    connect(m_clock, &QTimer::timeout, this, tick);
    tick();
    m_clock->start(1000);

    connect(txtFileName, &QLineEdit::textChanged, this, [this] { txtFileName_Change(); });
    connect(Command17, &QPushButton::clicked, this, [this] { Command17_Click(); });
    connect(Command19, &QPushButton::clicked, this, [this] { Command19_Click(); });
    connect(Command21, &QPushButton::clicked, this, [this] { Command21_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command33, &QPushButton::clicked, this, [this] { Command33_Click(); });
    connect(Command28, &QPushButton::clicked, this, [this] { Command28_Click(); });
    connect(Command24, &QPushButton::clicked, this, [this] { Command24_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command22, &QPushButton::clicked, this, [this] { Command22_Click(); });
    connect(Command58, &QPushButton::clicked, this, [this] { Command58_Click(); });
}

void frmAMain::buildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& caption, void (frmAMain::*handler)(),
                       const QKeySequence& shortcut = QKeySequence()) {
        auto* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return a;
    };
    auto menu = [this](const char* name, const QString& caption) {
        auto* m = menuBar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };

    mnuFileOpen = menu("mnuFileOpen", QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnuNew = item(mnuFileOpen, "mnuNew", QStringLiteral("新規作成(&N)"), &frmAMain::mnuNew_Click, QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFileOpen->addSeparator();
    mnuOpen = item(mnuFileOpen, "mnuOpen", QStringLiteral("開く(&O)"), &frmAMain::mnuOpen_Click, QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSave = item(mnuFileOpen, "mnuSave", QStringLiteral("名前を付けて保存(&S)"), &frmAMain::mnuSave_Click);
    mnuFileOpen->addSeparator();
    munPrinter = item(mnuFileOpen, "munPrinter", QStringLiteral("ﾌﾟﾘﾝﾀの設定(&U)"), &frmAMain::munPrinter_Click);
    mnuFileOpen->addSeparator();
    mnuBackupOpen = item(mnuFileOpen, "mnuBackupOpen", QStringLiteral("バックアップファイルを開く(&B)"), &frmAMain::mnuBackupOpen_Click);
    mnuDenQuit = item(mnuFileOpen, "mnuDenQuit", QStringLiteral("終了(&X)"), &frmAMain::mnuDenQuit_Click);

    mnuPic = menu("mnuPic", QStringLiteral("表示(&V)"));
    mnuPicLoad = item(mnuPic, "mnuPicLoad", QStringLiteral("画像の差替え(&P)"), &frmAMain::mnuPicLoad_Click);
    mnuPSave = item(mnuPic, "mnuPSave", QStringLiteral("画像を元に戻す(&U)"), &frmAMain::mnuPSave_Click);
    mnuPic->addSeparator();
    mnuDatabaseRep = item(mnuPic, "mnuDatabaseRep", QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽの修復(&R)"), &frmAMain::mnuDatabaseRep_Click);

    mnuBar6 = menu("mnuBar6", QStringLiteral("棚卸表(&S)"));
    mnuPreTana = item(mnuBar6, "mnuPreTana", QStringLiteral("棚卸入力(&E)"), &frmAMain::mnuPreTana_Click);
    mnuTanaAmd = item(mnuBar6, "mnuTanaAmd", QStringLiteral("棚卸表訂正(&R)"), &frmAMain::mnuTanaAmd_Click);
    mnuBar6->addSeparator();
    mnuList = item(mnuBar6, "mnuList", QStringLiteral("棚卸集計表(&D)"), &frmAMain::mnuList_Click);
    mnuList2 = item(mnuBar6, "mnuList2", QStringLiteral("棚卸記入帳(&L)"), &frmAMain::mnuList2_Click);
    mnuBar6->addSeparator();
    mnuTanaMoto = item(mnuBar6, "mnuTanaMoto", QStringLiteral("棚卸表(&P)"), &frmAMain::mnuTanaMoto_Click);

    mnuPre = menu("mnuPre", QStringLiteral("初期設定(&A)"));
    mnuPreSiire = item(mnuPre, "mnuPreSiire", QStringLiteral("項目/分類情報(&B)"), &frmAMain::mnuPreSiire_Click, QKeySequence(Qt::CTRL | Qt::Key_B));
    mnuPre->addSeparator();
    mnuPreShohin = item(mnuPre, "mnuPreShohin", QStringLiteral("品名情報(&I)"), &frmAMain::mnuPreShohin_Click);
    mnuInportB = item(mnuPre, "mnuInportB", QStringLiteral("品名情報のｲﾝﾎﾟｰﾄ(&S)"), &frmAMain::mnuInportB_Click);
    mnuPre->addSeparator();
    mnuTani = item(mnuPre, "mnuTani", QStringLiteral("数量単位情報(&Q)"), &frmAMain::mnuTani_Click);
    mnuPre->addSeparator();
    mnuInportA = item(mnuPre, "mnuInportA", QStringLiteral("棚卸のｲﾝﾎﾟｰﾄ(&T)"), &frmAMain::mnuInportA_Click);

    mnuHelp = menu("mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    mnuHelpReadme = item(mnuHelp, "mnuHelpReadme", QStringLiteral("目次と検索(&H)"), &frmAMain::mnuHelpReadme_Click);
    mnuHelp->addSeparator();
    mnuHelpSport = item(mnuHelp, "mnuHelpSport", QStringLiteral("オンラインサポート(&S)"), &frmAMain::mnuHelpSport_Click);
    mnuUpdate = item(mnuHelp, "mnuUpdate", QStringLiteral("アップデート(&U)"), &frmAMain::mnuUpdate_Click);
    mnuHelp->addSeparator();
    mnuAbout = item(mnuHelp, "mnuAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"), &frmAMain::mnuAbout_Click);
}

QDate frmAMain::closingDate() const { return DTPicker1->date(); }
QString frmAMain::fileName() const { return txtFileName->text(); }
QString frmAMain::openFileName() const { return global::DbFilePath; }

void frmAMain::txtFileName_Change()
{
    statusPanel[0]->setText(txtFileName->text());
}

namespace {
const QString kDateText = QStringLiteral("yyyy/MM/dd");

// FDate holds the date as text; older values may be in ISO form or the system's short form.
QDate dateFromSetting(const QString& text)
{
    for (const QString& format : {kDateText, QStringLiteral("yyyy-MM-dd"),
                                  QLocale::system().dateFormat(QLocale::ShortFormat)}) {
        const QDate d = QDate::fromString(text.trimmed(), format);
        if (d.isValid())
            return d;
    }
    return QDate();
}

int edgeFromSetting(const QString& key)
{
    bool ok = false;
    const float v = GetSetting(QStringLiteral("Settings"), key, QStringLiteral("0")).toFloat(&ok);
    return ok ? static_cast<int>(v) : 0;
}
} // namespace

void frmAMain::Form_Load()
{
    try {
        Combo3->clear();
        Combo3->addItems({QStringLiteral("すべて選択"), QStringLiteral("棚卸表"), QStringLiteral("項目分類情報"),
                          QStringLiteral("品名情報"), QStringLiteral("数量単位情報")});
        place::moveFrameTo(this, QPoint(edgeFromSetting(QStringLiteral("MainLeft")),
                                        edgeFromSetting(QStringLiteral("MainTop"))));
        const QDate fdate = dateFromSetting(GetSetting("Settings", "FDate"));
        DTPicker1->setDate(fdate.isValid() ? fdate : QDate::currentDate());
        global::MainPictureFile = GetSetting("Settings", "PictureFile", "");
        global::PrintDeviceName = GetSetting("Printer", "PrinterName", "");
        if (global::PrintDeviceName.isEmpty())
            global::PrintDeviceName = QPrinterInfo::defaultPrinterName();
        global::PrintFontName = GetSetting("Printer", "PrinterFont", QStringLiteral("ＭＳ 明朝"));
        if (global::PrintFontName.isEmpty())
            global::PrintFontName = QStringLiteral("ＭＳ 明朝");
        chooseFileAtStart();
        // Neither Windows family applies here: the family stays empty and the platform line says
        // truthfully what the system is.
        global::WindowsFamily = QString();
        Label13->setText(QStringLiteral("PLATFORM ") + QSysInfo::prettyProductName());
        Connected = true;
    } catch (const std::exception&) {
        dlg::Information(QStringLiteral("データベースの接続に失敗しました。ファイル名を変更してください。"), this);
        Connected = false;
        return;
    }
    // A picture that cannot be read is no reason to doubt the database: the window keeps its
    // design-time picture and the setting stays as it is.
    if (!global::MainPictureFile.isEmpty() && !loadPicture(global::MainPictureFile))
        showPicture(designPicture());
}

void frmAMain::Form_Activate()
{
    pointer::reset();
    if (singleinstance::previousInstance())
        singleinstance::ActivatePrevInstance();
    const QString shortDate = QDate::currentDate().toString(QLocale::system().dateFormat(QLocale::ShortFormat));
    if (shortDate.size() != 10)
        statusPanel[0]->setText(QStringLiteral("　システムの日付を１０桁表示に設定してください。(yyyy/MM/dd "));
    firstRunFlow();
}

void frmAMain::Form_QueryUnload(bool&)
{
    // The other windows go first, the most recently loaded first; a window that refuses to go
    // does not stop the shutdown.
    const QList<Form*> windows = forms::loaded();
    for (int i = windows.size() - 1; i >= 0; --i) {
        Form* f = windows.at(i);
        if (f != this && forms::loaded().contains(f))
            f->unload();
    }
    closeConnectionAtExit();
}

void frmAMain::closeConnectionAtExit()
{
    // Closing is harmless when nothing is open; the file must not stay locked past the exit.
    if (Connected || db::isOpen())
        db::close();
}

void frmAMain::Form_Unload(bool&)
{
    try {
        saveSettingsAtExit();
        backupAtExit();
    } catch (const std::exception&) {
        dlg::Information(QStringLiteral("データベースのバックアップに失敗しました。"), this);
    }
}

void frmAMain::saveSettingsAtExit()
{
    SaveSetting("Printer", "PrinterName", global::PrintDeviceName);
    SaveSetting("Printer", "PrinterFont", global::PrintFontName);
    SaveSetting("Settings", "PictureFile", global::MainPictureFile);
    SaveSetting("Settings", "FDate", DTPicker1->date().toString(kDateText));
    // A minimised window's edges are not where the user wants it next time. The frame's corner is
    // saved: the next start puts the frame, not the client area, back at it.
    if (!isMinimized()) {
        const QPoint corner = place::frameCorner(this);
        const QString left = QString::number(corner.x());
        const QString top = QString::number(corner.y());
        SaveSetting("Settings", "MainLeft", left);
        SaveSetting("Settings", "MainTop", top);
        SaveSetting("Settings", "frmLeft", left);
        SaveSetting("Settings", "frmTop", top);
    }
}

void frmAMain::Command1_Click() { Frame8->setHidden(!Frame8->isHidden()); }
void frmAMain::mnuDatabaseRep_Click() { Command1_Click(); }
void frmAMain::Command2_Click() { unload(); }
void frmAMain::mnuDenQuit_Click() { unload(); }
