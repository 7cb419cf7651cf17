#pragma once
// The window the three master tables share: the table in a grid, the current row's key and name in
// two boxes, and new row, register, cancel and delete. A new row is stored at once holding only
// its key; registering writes what was typed since; cancelling, or closing before registering,
// deletes it again. What differs between the products, categories and units is described by a
// WindowText and the table's MasterTable; the product and category windows add their own parts.
#include "masters/MasterData.h"
#include "platform/Db.h"
#include "platform/Form.h"
#include "platform/TextBox.h"

class QBoxLayout;
class QDataWidgetMapper;
class QLabel;
class QPushButton;
class QTableView;

namespace masters {

class MasterModel;

// The texts and rules in which the three windows differ.
struct WindowText {
    const char* objectName;
    QString caption;
    const char* nameBox;        // the name box's control name
    QString nameLabel;          // Label2, with its access key
    QString deleteCaption;
    int nameLimit;              // characters the name box takes; 0 = no limit
    bool activationReports;     // a failing activation is told (else passed over)
    bool registerReports;       // a failing 登録 without a database is told (else passed over)
};

class MasterWindow : public Form {
    Q_OBJECT
public:
    MasterWindow(const MasterTable& table, const WindowText& text);

    void Form_Load() override;
    void Form_Activate() override;
    void Form_QueryUnload(bool& cancel) override;
    void Form_Unload(bool& cancel) override;
    void connectionClosing() override;
    void connectionOpened() override;
    // The window's table was emptied: it shows it again, as at load.
    void tablesCleared(const QStringList& tables) override;

    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdCancel_Click();
    void cmdDelete_Click();
    void DataGrid1_Click();

    // 1 = browsing, 2 = a new row has been stored and is being filled in.
    int EditMode = 1;

    // The rows shown; nullptr while no database file is open for the window.
    MasterModel* model() const { return m_model; }
    const MasterTable& masterTable() const { return m_table; }
    // The key of the current row, or 0 when no row is current.
    qint64 currentKey() const;

    // Controls, named as in the window's design.
    QLabel* Label1 = nullptr;          // caption of the key
    TextBox* txtID = nullptr;
    QLabel* Label2 = nullptr;          // caption of the name
    TextBox* nameBox = nullptr;        // txtShohin or txtName
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdDelete = nullptr;
    QTableView* DataGrid1 = nullptr;   // the table's rows

    static const QString kConnectionFailed;
    static const QString kDeleteQuestion;
    // Told when the database refuses an edit; the edit stays for the user to correct.
    static const QString kEditRefused;
    // Told when a refused edit is given up (a second close, or another file opened).
    static const QString kEditNotStored;

protected:
    // Room beside the buttons for a window's own controls.
    QBoxLayout* extraArea() const { return m_extra; }
    // Reads the rows again (pending edits must have been stored or dropped first) and makes the
    // row with this key current, else the row at this position (or the last one).
    bool reload(qint64 key = 0, int fallbackRow = 0);
    // Stores the pending edits, first dropping those of the row with dropKey; a refusal is told
    // and false returned (the edits stay).
    bool storeEdits(qint64 dropKey = 0);
    // cmdAdd on, cmdUpdate and cmdCancel off, cmdDelete on when rows are shown.
    void setButtonsAsAtLoad();
    void reportFailure(const QString& text);
    // The connection message with the cause of the model's last failure (or of the failure to
    // read the table at all).
    void reportModelFailure();
    // Back to browsing: a new row still being filled becomes an ordinary row of the table.
    void browse()
    {
        EditMode = 1;
        m_newKey = 0;
    }

    virtual void layoutGrid() {}
    virtual void rowDeleted() {}
    // Another database file is now shown in the window.
    virtual void fileChanged() {}

private:
    // Why the table could not be read when no model is held.
    db::Cause m_openFailure = db::Cause::Other;
    void buildFields(QBoxLayout* top);
    void buildButtons(QBoxLayout* top);
    void buildGrid(QBoxLayout* root);
    bool openModel();
    void releaseModel();
    void showRow(int row);
    void commitBoxes();
    // The boxes' text into the model, and the edits of the row with dropKey thrown away.
    void gatherEdits(qint64 dropKey);
    void reportRefusal(const QString& why);
    void queueRefusal(const QString& why);
    // Stores the pending edits but those of the row with dropKey; what is refused is given up,
    // and the user told so.
    void storeOrDrop(qint64 dropKey);
    // Leaves the file: stores what can be stored, drops the unregistered new row.
    void leaveRows();
    // Deletes the unregistered new row with key (none when 0); a failure is passed over.
    void dropNewRow(qint64 key);

    const MasterTable& m_table;
    const WindowText& m_text;
    MasterModel* m_model = nullptr;
    QDataWidgetMapper* m_mapper = nullptr;
    QBoxLayout* m_extra = nullptr;
    qint64 m_newKey = 0;        // the row 新規登録 stored, while EditMode is 2
    qint64 m_keyBeforeNew = 0;  // the row current before it
    bool m_refusalQueued = false;
    bool m_closeRefused = false;
};

} // namespace masters
