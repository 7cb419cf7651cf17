#pragma once
// The count correction window: looks up the count lines already entered, edits them in place,
// deletes them, and moves lines whose category was deleted to 未区分.
#include "counting/CountLineQueries.h"
#include "counting/CountListForm.h"

#include <optional>

class DataCombo;
class QPushButton;

namespace counting {
class CountLineModel;
}

class frmInAmd2 : public counting::CountListForm {
    Q_OBJECT
public:
    frmInAmd2();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_QueryUnload(bool& cancel) override;
    void Form_Unload(bool& cancel) override;
    void connectionClosing() override;
    void connectionOpened() override;

    // The grid's lines; nullptr until the first search or orphan listing, and again once the
    // database file was closed under the window or the window unloaded.
    counting::CountLineModel* gridModel() const { return m_grid; }

    // The four searches.
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void Command3_Click();          // 更新
    void cmdMasterCancel_Click();   // 削除
    void DTPicker1_Change();
    void dbcNouhin_Change();
    void dbcNouhin_GotFocus();
    void dbcNouhin_Click();
    void dbcShohin_Change();
    void dbcShohin_GotFocus();
    void dbcShohin_Click();
    void CheckOrphanCategory();

    // Controls, named as in the window's design (the shared ones in CountListForm).
    QLabel* Label7 = nullptr;          // caption of the category list
    DataCombo* dbcNouhin = nullptr;
    QLabel* Label2 = nullptr;          // caption of the category key
    QLineEdit* Text2 = nullptr;        // the picked category's key
    QLabel* Label6 = nullptr;          // caption of the product list
    DataCombo* dbcShohin = nullptr;
    QPushButton* Command1 = nullptr;   // hidden: searches the picked category's lines
    QPushButton* Command5 = nullptr;   // hidden: searches the lines of the typed product
    QPushButton* Command2 = nullptr;   // lines without a unit price
    QPushButton* Command4 = nullptr;   // every line of every date
    QPushButton* Command3 = nullptr;   // stores the grid's edits
    QPushButton* cmdMasterCancel = nullptr;

    // Told when the database refuses an edit of the grid; the edit stays for the user to correct.
    static const QString kEditRefused;
    // Told when the database file changes under an edit that cannot be stored.
    static const QString kEditLost;

private:
    // What the grid lists: a search is listed again from a newly opened file, the orphan lines of
    // the old file are not.
    enum class Listing { None, Search, Orphans };

    void buildSearch(QGridLayout* frame) override;
    void buildButtons(QHBoxLayout* frame) override;
    void setUpGrid() override;
    void connectHandlers() override;
    void ImeOn();
    void fillCategoryList();
    counting::CountLineModel* grid();
    // Stores the grid's pending edits; on refusal tells the user and returns false.
    bool storeGridEdits();
    // Replaces the grid's lines; false when pending edits could not be stored first (the grid
    // then keeps its lines).
    bool showLines(const counting::LineQuery& lines);
    // A search: lists its lines and sets 更新 and 削除 by whether it found any.
    bool search(const counting::LineQuery& lines);
    void setEditButtons(bool on);
    // Makes the row the grid's current line, selected so the user sees which line 削除 acts on.
    void showCurrentLine(int row);
    bool gridHasLines() const;
    void reportRefusal(const QString& why);

    counting::CountLineModel* m_grid = nullptr;
    bool m_refusalQueued = false;
    bool m_closeRefused = false;
    Listing m_listing = Listing::None;
    counting::LineQuery m_lastSearch;
    // A search typed or picked in the lists while a refused edit held the grid; it runs once 更新
    // has stored the edit, so the lines shown match the lists' text.
    std::optional<counting::LineQuery> m_heldSearch;
};
