#include "app/frmSplash.h"

#include "common/global.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

frmSplash::frmSplash()
{
    setObjectName("frmSplash");
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    auto* outer = new QVBoxLayout(this);
    fraMainFrame = new QFrame(this);
    fraMainFrame->setObjectName("fraMainFrame");
    fraMainFrame->setFrameShape(QFrame::Box);
    outer->addWidget(fraMainFrame);
    auto* grid = new QGridLayout(fraMainFrame);
    Picture2 = new QLabel(fraMainFrame);
    Picture2->setObjectName("Picture2");
    Picture2->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(64, 64));
    lblProductName = new QLabel(QStringLiteral("Brevotane Sheet"), fraMainFrame);
    lblProductName->setObjectName("lblProductName");
    QFont big = lblProductName->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    lblProductName->setFont(big);
    lblLicenseTo = new QLabel(QStringLiteral("棚卸表を作成するソフトウエア"), fraMainFrame);
    lblLicenseTo->setObjectName("lblLicenseTo");
    lblVersion = new QLabel(fraMainFrame);
    lblVersion->setObjectName("lblVersion");
    grid->addWidget(Picture2, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblProductName, 0, 1);
    grid->addWidget(lblLicenseTo, 1, 1);
    grid->addWidget(lblVersion, 2, 1, Qt::AlignRight);
    setMinimumSize(420, 180);
}

void frmSplash::Form_Load()
{
    lblVersion->setText(QStringLiteral("Version ") + global::VersionText());
}
