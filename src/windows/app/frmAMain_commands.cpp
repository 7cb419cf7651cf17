// What the main window's buttons and menu items open, its picture and its help commands.
#include "app/frmAMain.h"

#include "app/Addresses.h"
#include "common/AppPaths.h"
#include "common/WindowTable.h"
#include "common/global.h"
#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"

#include <QDateEdit>
#include <QFont>
#include <QImageReader>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>

namespace {
const QString kNoCountButton = QStringLiteral("現在、該当する棚卸はありません。");
const QString kNoCountMenu = QStringLiteral("現在、該当する棚卸表はありません。");
} // namespace

bool frmAMain::countCheck(const QString& message)
{
    if (!windows::requireDatabase(this))
        return false;
    bool any = false;
    try {
        any = db::scalar(QStringLiteral("SELECT * FROM 棚卸マスター LIMIT 1")).isValid();
    } catch (const db::DbError& e) {
        dlg::Information(db::withCause(QStringLiteral("データベースの接続に失敗しました。"), e), this);
        return false;
    }
    if (!any)
        dlg::Information(message, this);
    return any;
}

void frmAMain::openWindow(const QString& name, bool modal)
{
    windows::open(name, modal ? windows::Show::Modal : windows::Show::Modeless);
}

// --- counting --------------------------------------------------------------------------------

void frmAMain::Command17_Click()
{
    if (!windows::requireDatabase(this))
        return;
    const QDate date = DTPicker1->date();
    if (date == QDate::currentDate()) {
        const QString text = QStringLiteral("入力する棚卸の決算日は、") + date.toString(QStringLiteral("yyyy/MM/dd"))
                             + QStringLiteral("です。よろしいですか。");
        if (dlg::Question(text, this) != dlg::vbYes) {
            DTPicker1->setFocus();
            return;
        }
    }
    openWindow(QStringLiteral("frmTana"), false);
}

void frmAMain::mnuPreTana_Click() { openWindow(QStringLiteral("frmTana"), false); }

void frmAMain::Command19_Click()
{
    if (countCheck(kNoCountButton))
        openWindow(QStringLiteral("frmInAmd2"), true);
}

void frmAMain::mnuTanaAmd_Click()
{
    if (!countCheck(kNoCountMenu))
        return;
    pointer::hourglass();
    openWindow(QStringLiteral("frmInAmd2"), true);
}

void frmAMain::Command21_Click()
{
    if (countCheck(kNoCountButton))
        openWindow(QStringLiteral("DialogTanaMoto1"), true);
}

void frmAMain::mnuTanaMoto_Click()
{
    if (countCheck(kNoCountMenu))
        openWindow(QStringLiteral("DialogTanaMoto1"), true);
}

void frmAMain::Command3_Click()
{
    if (countCheck(kNoCountButton))
        openWindow(QStringLiteral("frmList"), true);
}

void frmAMain::mnuList_Click()
{
    if (countCheck(kNoCountMenu))
        openWindow(QStringLiteral("frmList"), true);
}

void frmAMain::Command4_Click()
{
    if (countCheck(kNoCountButton))
        openWindow(QStringLiteral("DialogTanaMoto2"), true);
}

void frmAMain::mnuList2_Click()
{
    if (countCheck(kNoCountMenu))
        openWindow(QStringLiteral("DialogTanaMoto2"), true);
}

// --- master data -------------------------------------------------------------------------------

void frmAMain::Command33_Click()
{
    pointer::hourglass();
    openWindow(QStringLiteral("frmInShohin"), true);
}

void frmAMain::mnuPreShohin_Click() { Command33_Click(); }

void frmAMain::Command28_Click()
{
    pointer::hourglass();
    openWindow(QStringLiteral("frmKoumoku"), true);
    pointer::reset();
}

void frmAMain::mnuPreSiire_Click()
{
    pointer::hourglass();
    openWindow(QStringLiteral("frmKoumoku"), false);
}

void frmAMain::Command24_Click()
{
    pointer::hourglass();
    openWindow(QStringLiteral("frmTani"), true);
    pointer::reset();
}

void frmAMain::mnuTani_Click()
{
    pointer::hourglass();
    openWindow(QStringLiteral("frmTani"), true);
}

// --- imports, printer, about ---------------------------------------------------------------------

void frmAMain::Command5_Click() { openWindow(QStringLiteral("DialogExcelA"), true); }
// The menu item carries the button's caption, so it does what the button does.
void frmAMain::mnuInportA_Click() { Command5_Click(); }
void frmAMain::mnuInportB_Click() { openWindow(QStringLiteral("DialogExcelB"), true); }

void frmAMain::munPrinter_Click()
{
    pointer::hourglass();
    openWindow(QStringLiteral("frmPrinterP"), true);
}

void frmAMain::mnuUpdate_Click()
{
    pointer::hourglass();
    openWindow(QStringLiteral("DialogUpdate"), true);
}

void frmAMain::mnuAbout_Click() { openWindow(QStringLiteral("frmAbout"), true); }

// --- help ----------------------------------------------------------------------------------------

void frmAMain::mnuHelpReadme_Click()
{
    // Whether a viewer for the help file is installed is the desktop's business; nothing to report.
    dlg::OpenExternal(QUrl::fromLocalFile(paths::programFolder() + QStringLiteral("Brevotane.chm")));
}

void frmAMain::mnuHelpSport_Click()
{
    dlg::OpenExternal(QUrl(addresses::kSupportPage));
}

// --- picture -------------------------------------------------------------------------------------

void frmAMain::mnuPicLoad_Click()
{
    const std::optional<QString> file =
        dlg::OpenFile(QStringLiteral("開く"), QStringLiteral("すべてのﾌｧｲﾙ(*.*)|*.*|"), 1, this);
    if (!file || file->isEmpty())
        return;
    // The name is kept even when the file cannot be read; the next start falls back by itself.
    global::MainPictureFile = *file;
    Picture2->clear();
    if (!loadPicture(*file))
        dlg::MsgBox(QStringLiteral("読み込めない形式のﾌｧｲﾙです。"), dlg::Icon::Critical, QStringLiteral("入力事項の確認"),
                    this);
}

void frmAMain::mnuPSave_Click()
{
    global::MainPictureFile.clear();
    dlg::MsgBox(QStringLiteral("設定を有効にするには、ｱﾌﾟﾘｹｰｼｮﾝを終了してください。"), dlg::Icon::Exclamation,
                QStringLiteral("入力事項の確認"), this);
}

bool frmAMain::loadPicture(const QString& file)
{
    QImageReader reader(file);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    showPicture(QPixmap::fromImage(image));
    return true;
}

void frmAMain::showPicture(const QPixmap& picture)
{
    // Larger pictures are fitted into the box; smaller ones keep their size.
    const QSize box = Picture2->contentsRect().size();
    if (picture.width() > box.width() || picture.height() > box.height())
        Picture2->setPixmap(picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    else
        Picture2->setPixmap(picture);
}

QPixmap frmAMain::designPicture()
{
    const QSize size(236, 316);
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(0xe8, 0xf1, 0xfa));
    sky.setColorAt(1, QColor(0xb9, 0xd0, 0xe8));
    p.fillRect(pm.rect(), sky);

    // A shelf with boxes being counted.
    const QColor wood(0x8a, 0x5a, 0x2b);
    const int shelfLeft = 24, shelfRight = size.width() - 24;
    for (int row = 0; row < 3; ++row) {
        const int y = 110 + row * 58;
        p.fillRect(QRect(shelfLeft, y, shelfRight - shelfLeft, 6), wood);
        int x = shelfLeft + 6;
        for (int k = 0; k < 4; ++k) {
            const int w = 28 + ((row * 7 + k * 5) % 3) * 6;
            const int h = 26 + ((row + k) % 3) * 8;
            const QRect box(x, y - h, w, h);
            p.setPen(QPen(QColor(0x6b, 0x48, 0x22), 1));
            p.setBrush(QColor(0xd9 - k * 8, 0xa8 - row * 6, 0x62));
            p.drawRect(box);
            p.drawLine(box.left(), box.top() + h / 3, box.right(), box.top() + h / 3);
            x += w + 8;
            if (x > shelfRight - 36)
                break;
        }
    }
    p.fillRect(QRect(shelfLeft, 104, 6, 186), wood);
    p.fillRect(QRect(shelfRight - 6, 104, 6, 186), wood);

    // A clipboard with ticked lines.
    const QRect board(size.width() - 92, 212, 74, 92);
    p.setPen(QPen(QColor(0x44, 0x44, 0x44), 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(board, 4, 4);
    p.setBrush(QColor(0x70, 0x70, 0x70));
    p.drawRoundedRect(QRect(board.center().x() - 14, board.top() - 5, 28, 10), 3, 3);
    for (int i = 0; i < 4; ++i) {
        const int y = board.top() + 20 + i * 18;
        p.setPen(QPen(QColor(0x1e, 0x8a, 0x3a), 2.5));
        QPainterPath tick;
        tick.moveTo(board.left() + 8, y);
        tick.lineTo(board.left() + 12, y + 5);
        tick.lineTo(board.left() + 20, y - 5);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
        p.setPen(QPen(QColor(0x99, 0x99, 0x99), 1.5));
        p.drawLine(board.left() + 26, y, board.right() - 8, y);
    }

    // The program's name.
    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(26);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0x1f, 0x3f, 0x6b));
    p.drawText(QRect(0, 18, size.width(), 34), Qt::AlignCenter, QStringLiteral("Brevotane"));
    QFont sub(QStringLiteral("Sans Serif"));
    sub.setPixelSize(15);
    p.setFont(sub);
    p.drawText(QRect(0, 52, size.width(), 22), Qt::AlignCenter, QStringLiteral("棚卸表"));
    p.end();
    return pm;
}
