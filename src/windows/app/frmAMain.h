#pragma once
// The main window: keeps the closing date, shows the open database file, loads and saves the
// settings and opens every other window.
#include "app/FileController.h"
#include "common/MainWindowInfo.h"
#include "platform/Form.h"

#include <QDate>
#include <QPixmap>

class QAction;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTimer;

class frmAMain : public Form, public app::MainWindowInfo {
    Q_OBJECT
public:
    frmAMain();
    ~frmAMain() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_QueryUnload(bool& cancel) override;
    void Form_Unload(bool& cancel) override;
    // The exit's keeping steps (settings, then the backup of the open file) without closing
    // anything. False when either failed, with the message for the user in failure; telling the
    // user is the caller's.
    bool keepSettingsAndBackup(QString* failure = nullptr);

    // The closing date other windows read when they load.
    QDate closingDate() const override;
    QString fileName() const;
    QString openFileName() const override;
    bool connected() const { return m_files.connected(); }

    // The command line as the shell passed it (the database path, or empty).
    static void setCommandLine(const QString& arg);
    static QString commandLine();

    // Controls, named as in the window's design.
    QLabel* Picture2 = nullptr;         // the picture: the user's own or the built-in one
    QWidget* Picture3 = nullptr;        // the closing date with the platform lines
    QLabel* Label1 = nullptr;           // caption of the closing date
    QDateEdit* DTPicker1 = nullptr;     // the closing date every window works on
    QLabel* Label9 = nullptr;           // the data-provider line
    QLabel* Label13 = nullptr;          // the platform line: the system the program runs on
    QLabel* Label22 = nullptr;          // what the closing date is for
    QGroupBox* Frame1 = nullptr;        // the command buttons
    QGroupBox* Frame8 = nullptr;        // maintenance, hidden until Command1 shows it
    QPushButton* Command22 = nullptr;   // repair and compaction of the open file
    QGroupBox* Frame4 = nullptr;        // clearing tables (データ削除)
    QComboBox* Combo3 = nullptr;        // which tables to clear
    QPushButton* Command58 = nullptr;   // clears the tables chosen
    QLabel* Label5 = nullptr;           // file size before the compaction
    QLabel* Label7 = nullptr;           // file size after the compaction
    QLineEdit* txtFileName = nullptr;
    QStatusBar* StatusBar1 = nullptr;   // open file, date and time
    // Its panels StatusBar1Panel1..3: the open file, the date, the time.
    QLabel* statusPanel[3] = {nullptr, nullptr, nullptr};
    QPushButton* Command2 = nullptr;    // closes the program
    QPushButton* Command17 = nullptr;   // count entry
    QPushButton* Command19 = nullptr;   // count correction
    QPushButton* Command21 = nullptr;   // count-sheet print dialog
    QPushButton* Command3 = nullptr;    // summary list
    QPushButton* Command4 = nullptr;    // count-entry book print dialog
    QPushButton* Command33 = nullptr;   // product list
    QPushButton* Command28 = nullptr;   // category list
    QPushButton* Command24 = nullptr;   // unit list
    QPushButton* Command5 = nullptr;    // count import
    QPushButton* Command1 = nullptr;    // shows or hides the maintenance frame

    QMenuBar* menuBar = nullptr;
    QMenu* mnuFileOpen = nullptr;
    QMenu* mnuPic = nullptr;
    QMenu* mnuBar6 = nullptr;      // the count menu (棚卸表)
    QMenu* mnuPre = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuNew = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuSave = nullptr;
    QAction* munPrinter = nullptr;
    QAction* mnuBackupOpen = nullptr;
    QAction* mnuDenQuit = nullptr;
    QAction* mnuPicLoad = nullptr;
    QAction* mnuPSave = nullptr;
    QAction* mnuDatabaseRep = nullptr;
    QAction* mnuPreTana = nullptr;
    QAction* mnuTanaAmd = nullptr;
    QAction* mnuList = nullptr;
    QAction* mnuList2 = nullptr;   // count-entry book print dialog
    QAction* mnuTanaMoto = nullptr;
    QAction* mnuPreSiire = nullptr;
    QAction* mnuPreShohin = nullptr;
    QAction* mnuInportB = nullptr;
    QAction* mnuTani = nullptr;
    QAction* mnuInportA = nullptr;
    QAction* mnuHelpReadme = nullptr;
    QAction* mnuHelpSport = nullptr;
    QAction* mnuUpdate = nullptr;
    QAction* mnuAbout = nullptr;

    // Database file commands.
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuBackupOpen_Click();
    void Command22_Click();
    void Command58_Click();

    // Windows and commands.
    void Command17_Click();
    void mnuPreTana_Click();
    void Command19_Click();
    void mnuTanaAmd_Click();
    void Command21_Click();
    void mnuTanaMoto_Click();
    void Command3_Click();
    void mnuList_Click();
    void Command4_Click();
    void mnuList2_Click();
    void Command33_Click();
    void mnuPreShohin_Click();
    void Command28_Click();
    void mnuPreSiire_Click();
    void Command24_Click();
    void mnuTani_Click();
    void Command5_Click();
    void mnuInportA_Click();
    void mnuInportB_Click();
    void munPrinter_Click();
    void mnuUpdate_Click();
    void mnuAbout_Click();
    void mnuHelpReadme_Click();
    void mnuHelpSport_Click();
    void mnuPicLoad_Click();
    void mnuPSave_Click();
    void Command1_Click();
    void mnuDatabaseRep_Click();
    void Command2_Click();
    void mnuDenQuit_Click();
    void txtFileName_Change();

    // The picture the window shows when no picture file is set or the file cannot be read.
    static QPixmap designPicture();

protected:
    // The shutdown's steps, in the order they run (separate so that each can be followed).
    virtual void closeConnectionAtExit();
    virtual void saveSettingsAtExit();

private:
    // False (after telling the user why) when no count line exists or no database is open.
    bool countCheck(const QString& message);
    void openWindow(const QString& name, bool modal);
    void buildUi();
    void buildMenus();
    // Opens the file chosen at start (the setting or the command line); false when it did not open.
    bool chooseFileAtStart();
    void firstRunFlow();
    // What came of a file command: the messages it calls for, and the box (and the status bar)
    // naming the file open now.
    void tell(const dbfile::FileResult& r);
    void showOpenFile(const dbfile::FileResult& r);
    // The overwrite question and the box naming the file being worked on, with the hourglass
    // while the file is made when asked for.
    dbfile::FileSteps fileSteps(bool hourglass);
    void backupAtExit();
    bool loadPicture(const QString& file);
    void showPicture(const QPixmap& picture);

    dbfile::FileController m_files;
    bool TipShown = false;
    QTimer* m_clock = nullptr;
};
