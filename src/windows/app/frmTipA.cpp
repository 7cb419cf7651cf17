#include "app/frmTipA.h"

#include "platform/Cursor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

frmTipA::frmTipA()
{
    setObjectName("frmTipA");
    setWindowTitle(QStringLiteral("ﾜﾝﾎﾟｲﾝﾄ"));
    auto* layout = new QHBoxLayout(this);
    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    layout->addWidget(Picture1, 0, Qt::AlignTop);
    auto* right = new QVBoxLayout;
    RichTextBox1 = new QTextEdit(this);
    RichTextBox1->setObjectName("RichTextBox1");
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setAcceptRichText(false);
    RichTextBox1->setMinimumSize(520, 300);
    right->addWidget(RichTextBox1, 1);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    // The only button: Enter and Escape both close the tip.
    setDefaultButton(cmdOK);
    setCancelButton(cmdOK);
    right->addWidget(cmdOK, 0, Qt::AlignRight);
    layout->addLayout(right, 1);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

void frmTipA::Form_Activate()
{
    pointer::reset();
}

void frmTipA::addLine(const QString& line)
{
    QTextCursor c = RichTextBox1->textCursor();
    c.insertText(line + '\n');
    RichTextBox1->setTextCursor(c);
}

QString frmTipA::text() const
{
    return RichTextBox1->toPlainText();
}

void frmTipA::cmdOK_Click()
{
    unload();
}

void frmTipA::fill(const QStringList& lines)
{
    for (const QString& l : lines)
        addLine(l);
    moveCursorToStart();
}

void frmTipA::showLines(const QStringList& lines)
{
    auto* tip = forms::get<frmTipA>();
    tip->fill(lines);
    tip->showModal();
}

void frmTipA::moveCursorToStart()
{
    // The reader starts at the top; the insertion point stays where the writers left it otherwise.
    QTextCursor c = RichTextBox1->textCursor();
    c.movePosition(QTextCursor::Start);
    RichTextBox1->setTextCursor(c);
}
