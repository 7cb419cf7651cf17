#include "counting/CountListForm.h"

#include "counting/CountWindowRules.h"
#include "platform/GridLayout.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace counting {

CountListForm::CountListForm(const char* name, const QString& caption)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setEnterAsTab(true);
}

void CountListForm::buildUi()
{
    Frame1 = named(new QGroupBox(this), "Frame1");
    auto* search = new QGridLayout(Frame1);
    makeDateBox(Frame1, Label3, "Label3", DTPicker1);
    search->addWidget(Label3, 0, 0);
    search->addWidget(DTPicker1, 0, 1);
    buildSearch(search);

    Frame2 = named(new QGroupBox(this), "Frame2");
    buildButtons(new QHBoxLayout(Frame2));

    dgdSub = named(new QTableView(this), "dgdSub");
    setUpGrid();

    Picture1 = named(new QWidget(this), "Picture1");
    auto* totals = new QHBoxLayout(Picture1);
    totals->setContentsMargins(0, 0, 0, 0);
    Text1 = named(new QLineEdit(Picture1), "Text1");
    Text1->setReadOnly(true);
    totals->addWidget(Text1);

    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(Frame1, 1);
    top->addWidget(Frame2, 0, Qt::AlignBottom);
    root->addLayout(top);
    root->addWidget(dgdSub, 1);
    root->addWidget(Picture1);
    resize(1000, 640);
    connectHandlers();
}

QDate CountListForm::closingDate() const
{
    return DTPicker1->date();
}

void CountListForm::loadPlaceAndDate()
{
    loadCountWindow(this, dgdSub, DTPicker1);
}

void CountListForm::ShowTotal()
{
    counting::ShowTotal(Text1, closingDate());
}

void CountListForm::releaseGrid()
{
    // The model holds the connection: it goes before the connection does.
    grid::setModel(dgdSub, nullptr);
}

} // namespace counting
