#pragma once

#include "Model/Materials/material.h"

#include <QAbstractTableModel>
#include <QList>

namespace Ui {

// Table model of the "Manage Materials" dialog. It edits its own copy of the
// catalogue's materials; nothing reaches the catalogue until the dialog's OK.
// Columns: "Material Id", "Material Name", "Color"; the three constants are
// columns 3 to 5 of the model but are not shown.
class MaterialTableViewItem : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { IdColumn, NameColumn, ColorColumn, DensityColumn, YoungModulusColumn, PoissonRatioColumn };

    explicit MaterialTableViewItem(const QList<Model::Materials::Material> &materials, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void appendMaterial(const Model::Materials::Material &material);
    bool containsId(unsigned id) const;
    QList<Model::Materials::Material> materials() const { return m_materials; }

    // Material ids below this are built in: their names stay fixed.
    static const unsigned firstUserId = 2000;

private:
    QList<Model::Materials::Material> m_materials;
};

} // namespace Ui
