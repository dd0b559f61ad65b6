#pragma once

#include <QStyledItemDelegate>

namespace Ui {

// Edits a colour cell through a colour dialog (alpha shown) preset to the
// cell's colour; the dialog's choice is written back only when it is accepted.
// Paints the cell as a swatch of its colour.
class ColorItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit ColorItemDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace Ui
