#pragma once
// What the correction window and the summary list share: a search frame that opens with the
// closing date, a frame of buttons beside it, the grid of lines below taking the height and the
// totals line of the date at the foot. The grid's model holds the shared connection and is let go
// of before the connection goes.
#include "platform/Form.h"

#include <QDate>

class QDateEdit;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QTableView;

namespace counting {

class CountListForm : public Form {
    Q_OBJECT
public:
    QDate closingDate() const;

    // Controls, named as in the windows' design.
    QGroupBox* Frame1 = nullptr;      // the search, the closing date first
    QGroupBox* Frame2 = nullptr;      // the window's buttons
    QWidget* Picture1 = nullptr;      // the totals line, holding Text1
    QLabel* Label3 = nullptr;         // caption of the closing date
    QDateEdit* DTPicker1 = nullptr;   // the closing date searched and totalled
    QTableView* dgdSub = nullptr;
    QLineEdit* Text1 = nullptr;       // the date's totals (read only)

protected:
    CountListForm(const char* name, const QString& caption);

    // Builds the window in the order the user meets its controls: the search frame with the date
    // box in its first row and the window's own fields after it, the buttons, the grid and the
    // totals line; then the window's handlers. Called by the window's constructor.
    void buildUi();
    virtual void buildSearch(QGridLayout* frame) = 0;
    virtual void buildButtons(QHBoxLayout* frame) = 0;
    // dgdSub exists: how it edits and shows its cells.
    virtual void setUpGrid() = 0;
    virtual void connectHandlers() = 0;

    // The first thing the window does on loading: its place from the settings, the grid's row
    // height, and the main window's closing date without a change being signalled.
    void loadPlaceAndDate();
    void ShowTotal();
    // Takes the model off the grid and deletes it, its selection model with it.
    template <class Model>
    void dropModel(Model*& model)
    {
        releaseGrid();
        delete model;
        model = nullptr;
    }

private:
    void releaseGrid();
};

} // namespace counting
