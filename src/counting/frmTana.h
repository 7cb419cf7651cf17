#pragma once
// The count entry window: count lines of the closing date are typed in here, one after another,
// mostly from the keyboard. New categories, products and units are registered on the way, and the
// product master keeps the price and unit of the last line entered for each product.
#include "platform/Form.h"

#include <QDate>
#include <QList>
#include <optional>

class DataCombo;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSqlQueryModel;
class QTableView;
class QTableWidget;

class frmTana : public Form {
    Q_OBJECT
public:
    frmTana();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool& cancel) override;

    // Controls, named as in the window's design.
    QLabel* Label1 = nullptr;
    QDateEdit* DTPicker1 = nullptr;
    QLabel* Label2 = nullptr;
    DataCombo* dbcNouhin = nullptr;
    QLabel* Label3 = nullptr;
    DataCombo* dbcShohin = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtCnt = nullptr;
    QLabel* Label5 = nullptr;
    DataCombo* dbcTani = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtTanka = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* txtMemo = nullptr;
    QPushButton* cmdSubAdd = nullptr;
    QPushButton* cmdMasterCancel = nullptr;
    QTableView* dgdSub = nullptr;
    QLabel* Label8 = nullptr;
    QTableWidget* MSFlexGrid1 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command1 = nullptr;

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

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void buildUi();
    void ShowTotal();
    void CheckInputComplete();
    // Reads the lines of the grid again and puts its cursor on the line with the ID (or on the last
    // line when none is given).
    void refreshLines(std::optional<long> selectId = std::nullopt);
    void layOutLines();
    void fillHistory(const QString& name);
    // Trims the box's text, puts it back and tells the user when it is longer than the limit.
    bool trimAndCheck(DataCombo* box, int limitBytes, const QString& message);

    bool IgnoreCategory = false;
    QSqlQueryModel* m_lines = nullptr;
    // The grid shows the lines of the date it was opened with, plus the lines added here under
    // another date after the picker was changed.
    QDate m_linesDate;
    QList<long> m_addedOtherDate;
};
