#pragma once
// The mapping windows: the user picks, for each target field, the heading of the file column that
// feeds it. One design for the count mapping (DialogTabA) and the product mapping (DialogTabB).
#include "import/Mapping.h"
#include "platform/Form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class MappingDialog : public Form {
    Q_OBJECT
public:
    void Form_Load() override;
    void Form_Activate() override;

    QLabel* Label1 = nullptr;              // caption of the file name
    QLineEdit* Text2 = nullptr;            // the file whose headings are listed
    QPushButton* Command1 = nullptr;       // chooses the file
    QLabel* Label2 = nullptr;              // caption of the headings
    QComboBox* Combo1 = nullptr;           // the file's column headings
    QPushButton* Command2 = nullptr;       // assigns the heading to the current field
    QPushButton* Command5 = nullptr;       // clears the current field's heading
    QTableWidget* MSFlexGrid1 = nullptr;   // the target fields and their headings
    QLabel* Label3 = nullptr;              // the note on required fields
    QPushButton* Command3 = nullptr;       // OK: saves the mapping, hands the file back
    QPushButton* Command4 = nullptr;       // cancel
    QPushButton* Command6 = nullptr;       // help

    void Command1_Click();
    void Command2_Click();
    void Combo1_Click();
    void Command5_Click();
    void Command3_Click();
    void Command4_Click();
    void Command6_Click();

    importer::Kind kind() const { return m_kind; }

protected:
    explicit MappingDialog(importer::Kind kind);
    // The import dialog that OK hands the file back to.
    virtual void handBack() = 0;

private:
    void listHeadings();
    void fillGrid();
    // The target field of the grid's current row (1..N), 0 when there is no row.
    int currentField() const;

    importer::Kind m_kind;
    // The mapping as the rows show it: read from the mapping file at load, saved by OK.
    importer::Mapping m_mapping;
};

class DialogTabA : public MappingDialog {
    Q_OBJECT
public:
    DialogTabA();

protected:
    void handBack() override;
};

class DialogTabB : public MappingDialog {
    Q_OBJECT
public:
    DialogTabB();

protected:
    void handBack() override;
};
