#pragma once
// The count entry window: count lines of the closing date are typed in here, one after another,
// mostly from the keyboard. New categories, products and units are registered on the way, and the
// product master keeps the price and unit of the last line entered for each product.
#include "counting/CountLineStore.h"
#include "counting/EntryLine.h"
#include "platform/DataCombo.h"
#include "platform/Form.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QPointer>
#include <optional>

class QDateEdit;
class QLabel;
class QLineEdit;
class QGridLayout;
class QPushButton;
class QTableView;
class QTableWidget;
class QVBoxLayout;

namespace counting {
class EntryLinesModel;
}

class frmTana : public Form {
    Q_OBJECT
public:
    frmTana();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool& cancel) override;
    // Another file replaces the open one: the window lets go of the old file's rows and shows
    // the new file's lines and totals, so that a delete names a line of the file on screen.
    void connectionClosing() override;
    void connectionOpened() override;
    // Lists follow by themselves; the lines, the totals and the history are read again.
    void tablesCleared(const QStringList& tables) override;

    // Controls, named as in the window's design.
    QLabel* Label1 = nullptr;              // caption of the closing date
    QDateEdit* DTPicker1 = nullptr;        // the closing date of the lines entered
    QLabel* Label2 = nullptr;              // caption of the category
    DataCombo* dbcNouhin = nullptr;
    QLabel* Label3 = nullptr;              // caption of the product
    DataCombo* dbcShohin = nullptr;
    QLabel* Label4 = nullptr;              // caption of the quantity
    QLineEdit* txtCnt = nullptr;
    QLabel* Label5 = nullptr;              // caption of the unit
    DataCombo* dbcTani = nullptr;
    QLabel* Label6 = nullptr;              // caption of the unit price
    QLineEdit* txtTanka = nullptr;
    QLabel* Label7 = nullptr;              // caption of the remark
    QLineEdit* txtMemo = nullptr;
    QPushButton* cmdSubAdd = nullptr;
    QPushButton* cmdMasterCancel = nullptr;
    QTableView* dgdSub = nullptr;
    QLabel* Label8 = nullptr;              // caption of the history
    QTableWidget* MSFlexGrid1 = nullptr;   // the history: the product's earlier count lines
    QLineEdit* Text3 = nullptr;            // the date's totals
    QLineEdit* Text1 = nullptr;            // the category's key
    QLineEdit* Text2 = nullptr;            // the product's key
    QPushButton* Command4 = nullptr;       // help
    QPushButton* Command1 = nullptr;       // closes the window

    // Handlers.
    void Command1_Click();
    void Command4_Click();
    void cmdSubAdd_Click();
    void cmdMasterCancel_Click();
    void dgdSub_Click();
    void DTPicker1_Change();
    void dbcNouhin_Change();
    void dbcNouhin_GotFocus();
    void dbcNouhin_LostFocus();
    void dbcShohin_Change();
    void dbcShohin_GotFocus();
    void dbcShohin_LostFocus();
    void dbcTani_Change();
    void dbcTani_GotFocus();
    void dbcTani_LostFocus();
    void MSFlexGrid1_Click(int row, int col);
    void txtCnt_Change();
    void txtCnt_GotFocus();
    void txtTanka_Change();
    void txtTanka_GotFocus();

    // The help has been shown on its own once in this run of the program.
    static bool TipShown;
    // The user agreed, since the window was loaded, to enter lines without a category.
    bool ignoreCategory() const { return IgnoreCategory; }
    // The ID of the line the grid's cursor stands on, if any.
    std::optional<long> currentLineId() const;

    static const QStringList& helpLines();
    // The back colour of 入力 once product, quantity and price are all typed in.
    static QColor completeLineColour();

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    // One builder per area of the window, top to bottom.
    void buildUi();
    void buildDateRow(QGridLayout* top);
    void buildNameBoxes(QGridLayout* top);
    void buildNumberBoxes(QGridLayout* top);
    void buildEntryButtons(QVBoxLayout* root);
    void buildHistory(QVBoxLayout* root);
    void buildLineGrid(QVBoxLayout* root);
    void buildBottomButtons(QVBoxLayout* root);
    void setUpTabOrder();
    void connectHandlers();

    void ShowTotal();
    void CheckInputComplete();
    // Checks the boxes as 入力 does, telling the user what is missing or wrong; the line to store
    // when everything is in order.
    std::optional<counting::EntryLine> gatherLine();
    // Lists the lines of the date the window was opened with (and the lines added here under
    // another date) and puts the grid's cursor on the last one. Throws db::DbError.
    void showLines();
    void selectRow(int row);
    void fillHistory(const QString& name);
    void fetchMoreHistory();
    void appendHistoryPage();
    // Trims the box's text, puts it back and tells the user when it is longer than the limit.
    // A check on leaving the box remembers what it refused, so that the button press that moved
    // the focus does not tell the user the same thing again.
    bool trimAndCheck(DataCombo* box, int limitBytes, const QString& message, bool leavingBox = false);

    bool IgnoreCategory = false;
    counting::EntryLinesModel* m_lines = nullptr;
    // The grid shows the lines of the date it was opened with, plus the lines added here under
    // another date after the picker was changed.
    QDate m_linesDate;
    // The totals line as last read, current while nothing else wrote to the file: a new line
    // adds its amount instead of summing the whole date again.
    struct Totals {
        QDate date;
        counting::DateTotals totals;
        counting::ChangeStamp stamp;
        bool valid = false;
    } m_totals;
    // The rows the grid shows were read at this stamp; coming back to the window after another
    // writer changed the file reads them again.
    counting::ChangeStamp m_linesStamp;
    // The product text the history shows, and whether it has more lines to fetch as it scrolls.
    QString m_historyText;
    bool m_historyMore = false;
    // The box and text the last check on leaving a box refused.
    QPointer<DataCombo> m_refusedBox;
    QString m_refusedText;
    FocusMoves m_cntFocus;
    FocusMoves m_tankaFocus;
};
