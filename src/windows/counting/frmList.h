#pragma once
// The summary list by closing date: the count lines of one date listed whole, without a unit
// price, summed by category or by product, or checked for lines whose category or product is
// missing from its master; hands over to the print dialogs and writes the list to Excel.
#include "counting/CountLineQueries.h"
#include "counting/CountListForm.h"
#include "counting/SummaryList.h"

#include <functional>

class QComboBox;
class QPushButton;

class frmList : public counting::CountListForm {
    Q_OBJECT
public:
    frmList();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_QueryUnload(bool& cancel) override;
    void Form_Unload(bool& cancel) override;
    void connectionClosing() override;
    void connectionOpened() override;

    // The rows the grid shows; nullptr before the first list and after the file was closed.
    counting::SummaryListModel* listModel() const { return m_list; }

    void Combo1_Click();
    void Command1_Click();   // runs the list for the mode in Combo1
    void Command2_Click();   // print
    void Command3_Click();   // Excel
    void DTPicker1_Change();

    // Controls, named as in the window's design (the shared ones in CountListForm).
    QLabel* Label4 = nullptr;          // caption of the list mode
    QComboBox* Combo1 = nullptr;       // the list mode: every line, sums, missing masters
    QPushButton* Command1 = nullptr;   // runs the chosen list
    QPushButton* Command2 = nullptr;   // print dialog of the list shown
    QPushButton* Command3 = nullptr;   // writes the list to an Excel workbook

private:
    void buildSearch(QGridLayout* frame) override;
    void buildButtons(QHBoxLayout* frame) override;
    void setUpGrid() override;
    void connectHandlers() override;
    void ListOrphanKoumoku();
    void ListOrphanShohin();
    // Lists a listing mode's rows with its layout; the buttons are left to the caller.
    void showListing(counting::ListMode mode);
    // Shows count lines in the count-line layout (the orphan modes).
    void showLines(const counting::LineQuery& lines);
    counting::SummaryListModel* listForRun();
    void showRows(const QString& sql, const QVariantList& args, const std::function<void()>& layOut);
    void resetColumns();

    counting::SummaryListModel* m_list = nullptr;
    // The mode of the last run, listed again from a newly opened file.
    std::optional<counting::ListMode> m_shown;
};
