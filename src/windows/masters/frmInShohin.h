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

    QGroupBox* Frame2 = nullptr;
    QRadioButton* Option2 = nullptr;   // 品名昇順
    QRadioButton* Option1 = nullptr;   // 項目ID昇順
    QPushButton* Command3 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void layoutGrid() override;

private:
    void buildSortFrame();
    void buildListButtons();
    void RequeryShohin();
    void showOrder(masters::Order order);
};
