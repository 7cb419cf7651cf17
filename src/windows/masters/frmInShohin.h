#pragma once
// The products (仕入商品), maintained by hand: besides the shared parts a choice of sort order,
// the product list written to an Excel workbook, and the way to the product import.
#include "masters/MasterWindow.h"

class QGroupBox;
class QRadioButton;

class frmInShohin : public masters::MasterWindow {
    Q_OBJECT
public:
    frmInShohin();

    void Option1_Click();
    void Option2_Click();
    void Command1_Click();   // product import
    void Command3_Click();   // Excel

    QGroupBox* Frame2 = nullptr;       // the sort order
    QRadioButton* Option2 = nullptr;   // by name (品名昇順)
    QRadioButton* Option1 = nullptr;   // by category key (項目ID昇順)
    QPushButton* Command3 = nullptr;   // writes the product list to an Excel workbook
    QPushButton* Command1 = nullptr;   // the product import

protected:
    void layoutGrid() override;

private:
    void buildSortFrame();
    void buildListButtons();
    void RequeryShohin();
    void showOrder(masters::Order order);
};
