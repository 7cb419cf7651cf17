#include "app/frmAMain.h"

#include "app/SingleInstance.h"
#include "common/AppPaths.h"
#include "common/Settings.h"
#include "common/global.h"
#include "platform/Cursor.h"
#include "platform/DateBox.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/WindowPlace.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QSysInfo>
#include <QTimer>
#include <QToolTip>
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

namespace {

// Status panel 1: the database path or the date-format notice. A long path is shortened in the
// middle to the panel's width (the whole path is its tooltip), so that it never widens the window.
class PathPanel : public QLabel {
public:
    explicit PathPanel(QWidget* parent) : QLabel(parent) {}

    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }

    // The text as it is drawn at the panel's current width.
    QString shownText() const
    {
        return fontMetrics().elidedText(text(), Qt::ElideMiddle, qMax(0, contentsRect().width() - 2 * margin()));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        drawFrame(&p);
        const QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        style()->drawItemText(&p, r, alignment(), palette(), isEnabled(), shownText(), foregroundRole());
    }

    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(e);
            if (text().isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), text(), this);
            return true;
        }
        return QLabel::event(e);
    }
};

// One builder per frame of the main window; each creates its frame's controls in tab order.

QWidget* buildPicture(frmAMain* w)
{
    w->Picture2 = named(new QLabel(w), "Picture2");
    w->Picture2->setFixedSize(240, 320);
    w->Picture2->setAlignment(Qt::AlignCenter);
    w->Picture2->setFrameShape(QFrame::StyledPanel);
    return w->Picture2;
}

// The closing date and the platform lines.
QWidget* buildDateFrame(frmAMain* w)
{
    w->Picture3 = named(new QWidget(w), "Picture3");
    auto* p3 = new QGridLayout(w->Picture3);
    w->Label1 = named(new QLabel(QStringLiteral("決算日(&D)"), w->Picture3), "Label1");
    w->DTPicker1 = named(new DateBox(w->Picture3), "DTPicker1");
    w->DTPicker1->setDate(QDate::currentDate());
    w->Label1->setBuddy(w->DTPicker1);
    w->Label9 = named(new QLabel(QStringLiteral("Data Provider SQLite ") + db::engineVersion(), w->Picture3), "Label9");
    w->Label13 = named(new QLabel(w->Picture3), "Label13");
    w->Label22 = named(new QLabel(QStringLiteral("決算日の棚卸表を入力・訂正・印刷します。"), w->Picture3), "Label22");
    p3->addWidget(w->Label1, 0, 0);
    p3->addWidget(w->DTPicker1, 0, 1);
    p3->addWidget(w->Label22, 0, 2);
    p3->addWidget(w->Label9, 1, 0, 1, 3);
    p3->addWidget(w->Label13, 2, 0, 1, 3);
    p3->setColumnStretch(2, 1);
    return w->Picture3;
}

// The command buttons.
QWidget* buildCommandFrame(frmAMain* w)
{
    w->Frame1 = named(new QGroupBox(w), "Frame1");
    auto* f1 = new QGridLayout(w->Frame1);
    auto button = [w](const char* name, const QString& caption, const QString& tip = QString()) {
        auto* b = named(new QPushButton(caption, w->Frame1), name);
        b->setMinimumHeight(40);
        if (!tip.isEmpty())
            b->setToolTip(tip);
        return b;
    };
    const QString fromExcel = QStringLiteral("エクセルファイルからインポートすることができます。");
    w->Command17 = button("Command17", QStringLiteral("棚 卸 入 力 (&E)　　"));
    w->Command19 = button("Command19", QStringLiteral("棚 卸 表 訂 正 (&C)　　"));
    w->Command21 = button("Command21", QStringLiteral("棚 卸 表 (&P)"));
    w->Command3 = button("Command3", QStringLiteral("棚卸集計表(&L)"),
                         QStringLiteral("項目/分類別集計表、品名別集計表が作成できます。"));
    w->Command4 = button("Command4", QStringLiteral("棚卸記入帳(&D)"),
                         QStringLiteral("前期の棚卸表から「棚卸記入帳」が作成できますので、棚卸し実地の記録に活用できます。"));
    w->Command33 = button("Command33", QStringLiteral("品 名 情 報 (&I)"), fromExcel);
    w->Command28 = button("Command28", QStringLiteral("項目/分類情報(&B)"));
    w->Command24 = button("Command24", QStringLiteral("数量単位情報(&Q)"));
    w->Command5 = button("Command5", QStringLiteral("棚卸のｲﾝﾎﾟｰﾄ(&T)"), fromExcel);
    w->Command1 = button("Command1", QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽの修復(&R)"));
    w->Command2 = button("Command2", QStringLiteral("閉じる(&X)"));
    f1->addWidget(w->Command17, 0, 0);
    f1->addWidget(w->Command19, 0, 1);
    f1->addWidget(w->Command21, 1, 0);
    f1->addWidget(w->Command3, 1, 1);
    f1->addWidget(w->Command4, 2, 0);
    f1->addWidget(w->Command5, 2, 1);
    f1->addWidget(w->Command33, 3, 0);
    f1->addWidget(w->Command28, 3, 1);
    f1->addWidget(w->Command24, 4, 0);
    f1->addWidget(w->Command1, 4, 1);
    f1->addWidget(w->Command2, 5, 1);
    return w->Frame1;
}

// The maintenance frame, hidden until asked for.
QWidget* buildMaintenanceFrame(frmAMain* w)
{
    w->Frame8 = named(new QGroupBox(w), "Frame8");
    auto* f8 = new QGridLayout(w->Frame8);
    w->Command22 = named(new QPushButton(QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽの修復/最適化((&Z)"), w->Frame8), "Command22");
    w->Label5 = named(new QLabel(w->Frame8), "Label5");
    w->Label7 = named(new QLabel(w->Frame8), "Label7");
    w->Frame4 = named(new QGroupBox(QStringLiteral("データ削除(&K)"), w->Frame8), "Frame4");
    auto* f4 = new QHBoxLayout(w->Frame4);
    w->Combo3 = named(new QComboBox(w->Frame4), "Combo3");
    w->Command58 = named(new QPushButton(QStringLiteral("削除"), w->Frame4), "Command58");
    f4->addWidget(w->Combo3, 1);
    f4->addWidget(w->Command58);
    f8->addWidget(w->Command22, 0, 0);
    f8->addWidget(w->Label5, 0, 1);
    f8->addWidget(w->Label7, 1, 1);
    f8->addWidget(w->Frame4, 2, 0, 1, 2);
    w->Frame8->hide();
    return w->Frame8;
}

QWidget* buildFileNameBox(frmAMain* w)
{
    w->txtFileName = named(new QLineEdit(w), "txtFileName");
    // The box's width comes from the window, never from the length of the path in it.
    w->txtFileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return w->txtFileName;
}

QStatusBar* buildStatusBar(frmAMain* w)
{
    w->StatusBar1 = named(new QStatusBar(w), "StatusBar1");
    w->StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        QLabel* panel = i == 0 ? new PathPanel(w->StatusBar1) : new QLabel(w->StatusBar1);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        w->statusPanel[i] = panel;
        if (i == 0)
            w->StatusBar1->addWidget(panel, 1);
        else
            w->StatusBar1->addPermanentWidget(panel);
    }
    return w->StatusBar1;
}

void connectControls(frmAMain* w)
{
    QObject::connect(w->txtFileName, &QLineEdit::textChanged, w, [w] { w->txtFileName_Change(); });
    const QList<std::pair<QPushButton*, void (frmAMain::*)()>> buttons = {
        {w->Command17, &frmAMain::Command17_Click}, {w->Command19, &frmAMain::Command19_Click},
        {w->Command21, &frmAMain::Command21_Click}, {w->Command3, &frmAMain::Command3_Click},
        {w->Command4, &frmAMain::Command4_Click},   {w->Command33, &frmAMain::Command33_Click},
        {w->Command28, &frmAMain::Command28_Click}, {w->Command24, &frmAMain::Command24_Click},
        {w->Command5, &frmAMain::Command5_Click},   {w->Command1, &frmAMain::Command1_Click},
        {w->Command2, &frmAMain::Command2_Click},   {w->Command22, &frmAMain::Command22_Click},
        {w->Command58, &frmAMain::Command58_Click},
    };
    for (const auto& [button, handler] : buttons)
        QObject::connect(button, &QPushButton::clicked, w, [w, handler = handler] { (w->*handler)(); });
}

// Menus: one builder per menu of the menu bar, items in the menu's order.

QMenu* topMenu(frmAMain* w, const char* name, const QString& caption)
{
    auto* m = w->menuBar->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

QAction* menuItem(frmAMain* w, QMenu* menu, const char* name, const QString& caption, void (frmAMain::*handler)(),
                  const QKeySequence& shortcut = QKeySequence())
{
    auto* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    QObject::connect(a, &QAction::triggered, w, [w, handler] { (w->*handler)(); });
    return a;
}

void buildFileMenu(frmAMain* w)
{
    QMenu* m = w->mnuFileOpen = topMenu(w, "mnuFileOpen", QStringLiteral("ﾌｧｲﾙ(&F)"));
    w->mnuNew = menuItem(w, m, "mnuNew", QStringLiteral("新規作成(&N)"), &frmAMain::mnuNew_Click,
                         QKeySequence(Qt::CTRL | Qt::Key_N));
    m->addSeparator();
    w->mnuOpen = menuItem(w, m, "mnuOpen", QStringLiteral("開く(&O)"), &frmAMain::mnuOpen_Click,
                          QKeySequence(Qt::CTRL | Qt::Key_O));
    w->mnuSave = menuItem(w, m, "mnuSave", QStringLiteral("名前を付けて保存(&S)"), &frmAMain::mnuSave_Click);
    m->addSeparator();
    w->munPrinter = menuItem(w, m, "munPrinter", QStringLiteral("ﾌﾟﾘﾝﾀの設定(&U)"), &frmAMain::munPrinter_Click);
    m->addSeparator();
    w->mnuBackupOpen = menuItem(w, m, "mnuBackupOpen", QStringLiteral("バックアップファイルを開く(&B)"),
                                &frmAMain::mnuBackupOpen_Click);
    w->mnuDenQuit = menuItem(w, m, "mnuDenQuit", QStringLiteral("終了(&X)"), &frmAMain::mnuDenQuit_Click);
}

void buildViewMenu(frmAMain* w)
{
    QMenu* m = w->mnuPic = topMenu(w, "mnuPic", QStringLiteral("表示(&V)"));
    w->mnuPicLoad = menuItem(w, m, "mnuPicLoad", QStringLiteral("画像の差替え(&P)"), &frmAMain::mnuPicLoad_Click);
    w->mnuPSave = menuItem(w, m, "mnuPSave", QStringLiteral("画像を元に戻す(&U)"), &frmAMain::mnuPSave_Click);
    m->addSeparator();
    w->mnuDatabaseRep = menuItem(w, m, "mnuDatabaseRep", QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽの修復(&R)"),
                                 &frmAMain::mnuDatabaseRep_Click);
}

void buildCountMenu(frmAMain* w)
{
    QMenu* m = w->mnuBar6 = topMenu(w, "mnuBar6", QStringLiteral("棚卸表(&S)"));
    w->mnuPreTana = menuItem(w, m, "mnuPreTana", QStringLiteral("棚卸入力(&E)"), &frmAMain::mnuPreTana_Click);
    w->mnuTanaAmd = menuItem(w, m, "mnuTanaAmd", QStringLiteral("棚卸表訂正(&R)"), &frmAMain::mnuTanaAmd_Click);
    m->addSeparator();
    w->mnuList = menuItem(w, m, "mnuList", QStringLiteral("棚卸集計表(&D)"), &frmAMain::mnuList_Click);
    w->mnuList2 = menuItem(w, m, "mnuList2", QStringLiteral("棚卸記入帳(&L)"), &frmAMain::mnuList2_Click);
    m->addSeparator();
    w->mnuTanaMoto = menuItem(w, m, "mnuTanaMoto", QStringLiteral("棚卸表(&P)"), &frmAMain::mnuTanaMoto_Click);
}

void buildSetupMenu(frmAMain* w)
{
    QMenu* m = w->mnuPre = topMenu(w, "mnuPre", QStringLiteral("初期設定(&A)"));
    w->mnuPreSiire = menuItem(w, m, "mnuPreSiire", QStringLiteral("項目/分類情報(&B)"), &frmAMain::mnuPreSiire_Click,
                              QKeySequence(Qt::CTRL | Qt::Key_B));
    m->addSeparator();
    w->mnuPreShohin = menuItem(w, m, "mnuPreShohin", QStringLiteral("品名情報(&I)"), &frmAMain::mnuPreShohin_Click);
    w->mnuInportB = menuItem(w, m, "mnuInportB", QStringLiteral("品名情報のｲﾝﾎﾟｰﾄ(&S)"), &frmAMain::mnuInportB_Click);
    m->addSeparator();
    w->mnuTani = menuItem(w, m, "mnuTani", QStringLiteral("数量単位情報(&Q)"), &frmAMain::mnuTani_Click);
    m->addSeparator();
    w->mnuInportA = menuItem(w, m, "mnuInportA", QStringLiteral("棚卸のｲﾝﾎﾟｰﾄ(&T)"), &frmAMain::mnuInportA_Click);
}

void buildHelpMenu(frmAMain* w)
{
    QMenu* m = w->mnuHelp = topMenu(w, "mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    w->mnuHelpReadme = menuItem(w, m, "mnuHelpReadme", QStringLiteral("目次と検索(&H)"), &frmAMain::mnuHelpReadme_Click);
    m->addSeparator();
    w->mnuHelpSport = menuItem(w, m, "mnuHelpSport", QStringLiteral("オンラインサポート(&S)"),
                               &frmAMain::mnuHelpSport_Click);
    w->mnuUpdate = menuItem(w, m, "mnuUpdate", QStringLiteral("アップデート(&U)"), &frmAMain::mnuUpdate_Click);
    m->addSeparator();
    w->mnuAbout = menuItem(w, m, "mnuAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"), &frmAMain::mnuAbout_Click);
}

} // namespace

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
    body->addWidget(buildPicture(this), 0, Qt::AlignTop);
    auto* right = new QVBoxLayout;
    body->addLayout(right, 1);
    right->addWidget(buildDateFrame(this));
    right->addWidget(buildCommandFrame(this));
    right->addWidget(buildMaintenanceFrame(this));
    right->addWidget(buildFileNameBox(this));
    right->addStretch(1);
    root->addWidget(buildStatusBar(this));

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
    connectControls(this);
}

void frmAMain::buildMenus()
{
    buildFileMenu(this);
    buildViewMenu(this);
    buildCountMenu(this);
    buildSetupMenu(this);
    buildHelpMenu(this);
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
    return place::edgeFromText(GetSetting(QStringLiteral("Settings"), key, QStringLiteral("0")));
}
} // namespace

void frmAMain::Form_Load()
{
    // The box shows the open file; only the file commands change it.
    txtFileName->setReadOnly(true);
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
        if (!chooseFileAtStart())
            return;
        // The program runs on one kind of system, so there is no family to tell apart: the family
        // stays empty and the platform line names the system it runs on.
        global::WindowsFamily = QString();
        Label13->setText(QStringLiteral("PLATFORM ") + QSysInfo::prettyProductName());
    } catch (const std::exception& e) {
        dlg::Information(db::withCause(QStringLiteral("データベースの接続に失敗しました。ファイル名を変更してください。"), e), this);
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
    if (m_files.connected() || db::isOpen())
        db::close();
}

void frmAMain::Form_Unload(bool&)
{
    QString failure;
    if (!keepSettingsAndBackup(&failure))
        dlg::Information(failure, this);
}

bool frmAMain::keepSettingsAndBackup(QString* failure)
{
    // Settings that cannot be written are reported like a failed backup, but do not cost the
    // user the backup itself.
    const int failedBefore = SettingWriteFailures();
    bool failed = false;
    try {
        saveSettingsAtExit();
    } catch (const std::exception&) {
        failed = true;
    }
    failed = failed || SettingWriteFailures() != failedBefore;
    const QString message = QStringLiteral("データベースのバックアップに失敗しました。");
    QString told = message;
    try {
        backupAtExit();
    } catch (const std::exception& e) {
        told = db::withCause(message, e);
        failed = true;
    }
    if (failed && failure)
        *failure = told;
    return !failed;
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
