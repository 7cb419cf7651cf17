#include "masters/MasterGrid.h"

#include <QLineEdit>

namespace masters {

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
        e->setMaxLength(m_nameLimit);
    if (m_right.contains(index.column()))
        e->setAlignment(Qt::AlignRight);
    return e;
}

void MasterDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* le = qobject_cast<QLineEdit*>(editor))
        le->setText(cellText(index.data(Qt::EditRole)));
}

void MasterDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* le = qobject_cast<QLineEdit*>(editor);
    if (!le || le->text() == cellText(index.data(Qt::EditRole)))
        return;   // an untouched cell is no edit
    model->setData(index, le->text(), Qt::EditRole);
}

} // namespace masters
