#include "masters/MasterGrid.h"

#include "platform/TextBox.h"

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
    auto* e = new TextBox(parent, index.column() == m_nameColumn ? m_nameLimit : 0);
    e->setFrame(false);
    if (m_right.contains(index.column()))
        e->setAlignment(Qt::AlignRight);
    return e;
}

void MasterDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = cellText(index.data(Qt::EditRole));
    if (auto* box = qobject_cast<TextBox*>(editor))
        box->showText(text);
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setText(text);
}

void MasterDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || line->text() == cellText(index.data(Qt::EditRole)))
        return;   // an untouched cell is no edit
    model->setData(index, line->text(), Qt::EditRole);
}

} // namespace masters
