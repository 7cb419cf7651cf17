#include "app/DialogUpdate.h"

#include "app/Addresses.h"
#include "app/frmAMain.h"
#include "common/AppPaths.h"
#include "platform/Cursor.h"
#include "platform/Dialogs.h"

#include <QClipboard>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

DialogUpdate::DialogUpdate()
{
    setObjectName("DialogUpdate");
    setWindowTitle(QStringLiteral("UPDATE"));
    auto* root = new QHBoxLayout(this);
    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_ArrowDown).pixmap(48, 48));
    root->addWidget(Picture1, 0, Qt::AlignTop);

    auto* right = new QVBoxLayout;
    root->addLayout(right, 1);
    Frame1 = new QGroupBox(QStringLiteral("アップデート版のセットアップの方法"), this);
    Frame1->setObjectName("Frame1");
    auto* f1 = new QVBoxLayout(Frame1);
    Label1 = new QLabel(QStringLiteral("解凍先フォルダをクリップボードにコピーしました。"), Frame1);
    Label1->setObjectName("Label1");
    Label6 = new QLabel(QStringLiteral("下記の解凍先フォルダをクリップボードにコピーしましたので、解凍先フォルダ（D）：を削除し、解凍先フォルダ名に、貼り付けます。"), Frame1);
    Label6->setObjectName("Label6");
    Label6->setWordWrap(true);
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName("Text1");
    Text1->setReadOnly(true);
    Label5 = new QLabel(QStringLiteral("ファイルのダウンロードは、ファイルを開くを選択します。"), Frame1);
    Label5->setObjectName("Label5");
    f1->addWidget(Label1);
    f1->addWidget(Label6);
    f1->addWidget(Text1);
    f1->addWidget(Label5);
    right->addWidget(Frame1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    CancelButton->setObjectName("CancelButton");
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    setDefaultButton(OKButton);
    setCancelButton(CancelButton);
    right->addLayout(buttons);
    setMinimumWidth(480);

    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
}

void DialogUpdate::Form_Load()
{
    // The folder as the system names it, without a trailing separator.
    Text1->setText(QDir::toNativeSeparators(QDir::cleanPath(paths::programFolder())));
    if (QClipboard* c = QGuiApplication::clipboard()) {
        c->clear();
        c->setText(Text1->text());
    }
}

void DialogUpdate::Form_Activate()
{
    pointer::reset();
}

void DialogUpdate::OKButton_Click()
{
    // Without the download page there is nothing to install: the program stays open.
    if (!dlg::OpenExternal(QUrl(addresses::kUpdatePage)))
        return;
    unload();
    if (frmAMain* main = forms::find<frmAMain>())
        main->unload();
}

void DialogUpdate::CancelButton_Click()
{
    if (QClipboard* c = QGuiApplication::clipboard())
        c->clear();
    unload();
}
