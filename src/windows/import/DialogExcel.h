#pragma once
// The import dialogs: one shell for the count import (DialogExcelA, with its closing date) and the
// product import (DialogExcelB, with the option to update known products). They gather the file
// and the answers, call the store, and show progress and the result lines.
#include "import/Mapping.h"
#include "platform/Form.h"

#include <QElapsedTimer>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class MappingDialog;
namespace importer {
struct Outcome;
}

class ImportDialog : public Form {
    Q_OBJECT
public:
    void Form_Load() override;
    void Form_Activate() override;

    QLabel* Label6 = nullptr;               // caption of the closing date; count import only
    QDateEdit* DTPicker1 = nullptr;         // closing date of the imported lines; count import only
    QLabel* Label1 = nullptr;               // caption of the file name
    QLineEdit* txtFileName = nullptr;
    QPushButton* Command2 = nullptr;        // chooses the file
    QPushButton* Command1 = nullptr;        // starts the import
    QPushButton* Command3 = nullptr;        // the mapping window
    QPushButton* Command4 = nullptr;        // help
    QCheckBox* Check1 = nullptr;            // updates known products' price and unit; product import only
    QProgressBar* ProgressBar1 = nullptr;   // the run's progress
    QLabel* Label4 = nullptr;               // shown while the import runs
    QLabel* Label2 = nullptr;               // count lines imported; count import only
    QLabel* Label3 = nullptr;               // new categories; count import only
    QLabel* Label5 = nullptr;               // new products

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    // The mapping window's OK: the file it was given comes back and the run may start.
    void receiveMapping(const QString& fileName);

    importer::Kind kind() const { return m_kind; }

protected:
    explicit ImportDialog(importer::Kind kind);
    // The mapping window of this kind of import, loaded.
    virtual MappingDialog* mappingDialog() = 0;

private:
    void runCount();
    void runProducts();
    // The steps shared by both runs after their first questions: the mapping read from its file
    // and the file's data lines. False when the run stopped.
    bool prepareRun(QStringList& dataLines, importer::Mapping& mapping);
    // Shows "インポート処理中" and paints the whole window before a run that keeps the event loop
    // from running.
    void paintBeforeRun();
    // The failure message, with what went wrong (which line, why) below it when that is known.
    void fail(const QString& detail = QString());
    void failAfterRun(const importer::Outcome& out);
    void showProgress(int done);

    importer::Kind m_kind;
    QElapsedTimer m_repaint;
};

class DialogExcelA : public ImportDialog {
    Q_OBJECT
public:
    DialogExcelA();

protected:
    MappingDialog* mappingDialog() override;
};

class DialogExcelB : public ImportDialog {
    Q_OBJECT
public:
    DialogExcelB();

protected:
    MappingDialog* mappingDialog() override;
};
