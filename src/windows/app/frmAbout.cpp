#include "app/frmAbout.h"

#include "common/global.h"
#include "platform/Cursor.h"
#include "platform/Dialogs.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace global {

QString AppTitle()
{
    return QStringLiteral("Brevotane");
}

void StartSysInfo()
{
    // No system-information tool is registered anywhere on this platform.
    dlg::MsgBox(QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"), dlg::Icon::None, AppTitle());
}

}

frmAbout::frmAbout()
{
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    auto* grid = new QGridLayout(this);
    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(32, 32));
    lblVersion = new QLabel(QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), this);
    lblVersion->setObjectName("lblVersion");
    lblDescription = new QLabel(QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの説明") + QString(54, QChar(0x3000)) + QStringLiteral("棚卸表を作成するソフトウエア"), this);
    lblDescription->setObjectName("lblDescription");
    lblDescription->setWordWrap(true);
    lblDescription->setFixedWidth(360);
    Label1 = new QLabel(QStringLiteral("Brevotane Sheet"), this);
    Label1->setObjectName("Label1");
    auto line = [this](const char* name) {
        auto* l = new QFrame(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setFrameShape(QFrame::HLine);
        l->setFrameShadow(QFrame::Sunken);
        return l;
    };
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    // OK is both the default and the cancel button: Enter and Escape close the box.
    setDefaultButton(cmdOK);
    setCancelButton(cmdOK);
    cmdSysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    cmdSysInfo->setObjectName("cmdSysInfo");
    grid->addWidget(Picture1, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblVersion, 0, 1);
    grid->addWidget(lblDescription, 1, 1);
    grid->addWidget(line("Line1"), 2, 1);      // rule under the description
    grid->addWidget(Label1, 3, 1);
    grid->addWidget(line("Line2"), 4, 0, 1, 2);   // rule above the buttons
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    grid->addLayout(buttons, 5, 0, 1, 2);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
}

void frmAbout::Form_Load()
{
    setWindowTitle(global::AppTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    lblVersion->setText(QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + global::VersionText());
}

void frmAbout::Form_Activate()
{
    pointer::reset();
}

void frmAbout::cmdOK_Click()
{
    unload();
}

void frmAbout::cmdSysInfo_Click()
{
    global::StartSysInfo();
}
