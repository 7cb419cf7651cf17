#include "masters/MasterGrid.h"

#include <QLineEdit>

#include <algorithm>

namespace masters {

NameLimit::NameLimit(int characters, QLineEdit* box) : QValidator(box), m_limit(characters), m_allowed(characters)
{
    box->setValidator(this);
}

int NameLimit::characters(const QString& text)
{
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++n)
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    return n;
}

QValidator::State NameLimit::validate(QString& input, int&) const
{
    // Refused whole, so a typed or pasted text never ends inside a character.
    return characters(input) <= m_allowed ? Acceptable : Invalid;
}

void NameLimit::showText(QLineEdit* box, const QString& text)
{
    if (auto* limit = box->findChild<NameLimit*>())
        limit->m_allowed = std::max(limit->m_limit, characters(text));
    box->setText(text);
}

MasterDelegate::MasterDelegate(QObject* parent, int nameColumn, int nameLimit)
    : QStyledItemDelegate(parent), m_nameColumn(nameColumn), m_nameLimit(nameLimit)
{
}

QString MasterDelegate::cellText(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

void MasterDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = cellText(index.data(Qt::DisplayRole));
    if (m_right.contains(index.column()))
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
}

QWidget* MasterDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    auto* e = new QLineEdit(parent);
    e->setFrame(false);
    if (index.column() == m_nameColumn && m_nameLimit > 0)
        new NameLimit(m_nameLimit, e);
    if (m_right.contains(index.column()))
        e->setAlignment(Qt::AlignRight);
    return e;
}

void MasterDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* le = qobject_cast<QLineEdit*>(editor))
        NameLimit::showText(le, cellText(index.data(Qt::EditRole)));
}

void MasterDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* le = qobject_cast<QLineEdit*>(editor);
    if (!le || le->text() == cellText(index.data(Qt::EditRole)))
        return;   // an untouched cell is no edit
    model->setData(index, le->text(), Qt::EditRole);
}

} // namespace masters
