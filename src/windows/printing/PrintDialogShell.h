#pragma once
// The frame the print dialogs share: the printer list that also chooses the printer of the whole
// program, the print font, the printer setup button, the print-position offsets kept in the
// settings, the printer's physical offsets read at every activation, the date and (in the count
// dialogs) the category choice. Each dialog gives its differences as traits and adds its own
// controls and print button.
#include "platform/Form.h"
#include "printing/CountSheet.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

class DataCombo;
class QComboBox;
class QDateEdit;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace prn {
class PrinterObject;
}

namespace printing {

// An up-down control beside a text box: each step reads the box's number, moves it by the
// increment within the range and writes it back.
class UpDownControl : public QWidget {
    Q_OBJECT
public:
    UpDownControl(QLineEdit* buddy, int minimum, int maximum, int increment, QWidget* parent = nullptr);
    void stepUp() { step(m_increment); }
    void stepDown() { step(-m_increment); }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    int increment() const { return m_increment; }
    int value() const { return m_value; }

private:
    void step(int by);
    QLineEdit* m_buddy;
    int m_min, m_max, m_increment;
    int m_value = 0;
};

struct PrintDialogTraits {
    const char* objectName = "";
    QString caption;              // empty: the caption is Text3's text, set at each activation
    bool dateFromMainWindow = false;   // else today
    QString dateLabel;
    bool categoryChoice = false;  // Frame1, Option1/2, dbcNouhin, Text3 bound to 項目ID
    QString categoryLabel;
    bool loadFailureTold = false; // a failing load step stops the load with a message
};

class PrintDialogShell : public Form {
    Q_OBJECT
public:
    explicit PrintDialogShell(const PrintDialogTraits& traits);

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool& cancel) override;
    void connectionClosing() override;

    void Combo6_Click();
    void Command1_Click();
    void Picture4_Click() { Command1_Click(); }
    void Command7_Click();
    void Option1_Click();
    void Option2_Click();
    void dbcNouhin_Change();
    void dbcNouhin_GotFocus();

    const PrintDialogTraits& traits() const { return m_traits; }

    // The printer's physical page offsets: device pixels, and twips for the preprinted form.
    long PhysOffsetXPx = 0;
    long PhysOffsetYPx = 0;
    long PhysOffsetX = 0;
    long PhysOffsetY = 0;

    // Controls, named as in the window's design.
    QGroupBox* Frame2 = nullptr;        // the printer and the font
    QLabel* Label3 = nullptr;           // caption of the printer list
    QComboBox* Combo6 = nullptr;        // the printer list: the desktop's queues and the PDF entry
    QPushButton* Command1 = nullptr;    // chooses the print font
    QToolButton* Picture4 = nullptr;    // the font icon; chooses the font too
    QLineEdit* txtFontName = nullptr;
    QPushButton* Command7 = nullptr;    // the printer setup window
    QPushButton* Command3 = nullptr;    // prints
    QGroupBox* Frame12 = nullptr;       // the print-position offsets
    QLabel* Label25 = nullptr;          // caption of the horizontal offset
    QLineEdit* Text2 = nullptr;         // horizontal offset in mm
    UpDownControl* UpDown1 = nullptr;   // steps the horizontal offset
    QLabel* Label27 = nullptr;          // unit of the horizontal offset
    QLabel* Label26 = nullptr;          // caption of the vertical offset
    QLineEdit* Text8 = nullptr;         // vertical offset in mm
    UpDownControl* UpDown2 = nullptr;   // steps the vertical offset
    QLabel* Label28 = nullptr;          // unit of the vertical offset
    QLabel* Label1 = nullptr;           // caption of the date
    QDateEdit* DTPicker1 = nullptr;     // the closing date whose lines are printed
    QGroupBox* Frame1 = nullptr;        // one category or all; category choice only
    QRadioButton* Option1 = nullptr;    // one category
    QRadioButton* Option2 = nullptr;    // every category
    QLabel* Label10 = nullptr;          // caption of the category list
    DataCombo* dbcNouhin = nullptr;
    QLineEdit* Text3 = nullptr;         // hidden: the category's key, or the summary sheet's title

    static const QString kLoadFailed;

protected:
    // A dialog's own parts of the load, the category choice and the unload.
    virtual bool loadOwnControls() { return true; }   // load step 2
    virtual void applyOffsetFrameRule();              // load step 7: disabled unless a dialog says so
    virtual void beforeOption1Enabling() {}
    virtual void saveOwnSettings() {}
    void setOffsetFrameEnabled(bool on);
    // Runs a page engine on the current printer. The PDF entry's output file is asked for first
    // and handed down to the printer; a cancel runs nothing and gives a cancelled result. The
    // engine runs under the hourglass. drawsPages, asked only when a file would be asked for, false:
    // the request prints nothing, so no file is asked for.
    SheetResult printOnCurrentPrinter(const std::function<SheetResult(prn::PrinterObject&)>& engine,
                                      const std::function<bool()>& drawsPages = {});
    // Tells why a print sent nothing (heading, then the reason); nothing when it was sent or the
    // user cancelled it.
    void tellPrintFailure(const QString& heading, const SheetResult& result);
    // A row for the dialog's own controls, above the print button.
    QGridLayout* ownArea() const { return m_ownArea; }

private:
    void buildUi();
    void fillPrinterList();
    void refillPrinterList();
    bool openCategoryList();
    void setCategoryEnabled(bool on);
    void loadFailed(std::optional<db::Cause> cause = std::nullopt);

    PrintDialogTraits m_traits;
    QGridLayout* m_ownArea = nullptr;
};

} // namespace printing
