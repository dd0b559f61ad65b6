#include "coloritemdelegate.h"

#include "UI/Operations/materialcombobox.h"

#include <QApplication>
#include <QColorDialog>
#include <QPainter>

namespace Ui {

ColorItemDelegate::ColorItemDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QWidget *ColorItemDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    // A whole dialog as the editor: the view commits and closes it when it
    // hides, so accepting or rejecting it ends the edit.
    QColorDialog *dialog = new QColorDialog(parent);
    dialog->setObjectName(QStringLiteral("colorDialog"));
    dialog->setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
    dialog->setModal(true);
    return dialog;
}

void ColorItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    QColorDialog *dialog = qobject_cast<QColorDialog *>(editor);
    if (!dialog) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QColor color = index.data(Qt::EditRole).value<QColor>();
    if (color.isValid())
        dialog->setCurrentColor(color);
}

void ColorItemDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    QColorDialog *dialog = qobject_cast<QColorDialog *>(editor);
    if (!dialog) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    if (dialog->result() == QDialog::Accepted)
        model->setData(index, dialog->currentColor(), Qt::EditRole);
}

void ColorItemDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                             const QModelIndex &index) const
{
    // The colour dialog keeps its own size and place instead of the cell's.
    if (!qobject_cast<QColorDialog *>(editor))
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
}

void ColorItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QVariant value = index.data(Qt::DisplayRole);
    if (!value.canConvert<QColor>() || value.type() != QVariant::Color) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    opt.backgroundBrush = QBrush();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    Operations::MaterialComboBox::drawSwatch(painter, option.rect.adjusted(3, 3, -3, -3), value.value<QColor>());
}

} // namespace Ui
