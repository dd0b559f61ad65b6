#include "materialtableviewitem.h"

#include "UI/Operations/materialcombobox.h"

#include <QColor>

namespace Ui {

using Model::Materials::Material;

MaterialTableViewItem::MaterialTableViewItem(const QList<Material> &materials, QObject *parent)
    : QAbstractTableModel(parent), m_materials(materials)
{
}

int MaterialTableViewItem::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_materials.size();
}

int MaterialTableViewItem::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 3; }

QVariant MaterialTableViewItem::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_materials.size())
        return QVariant();
    const Material &m = m_materials.at(index.row());
    if (index.column() == ColorColumn && (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::BackgroundRole))
        return Operations::MaterialComboBox::materialColor(m);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    switch (index.column()) {
    case IdColumn: return m.getId();
    case NameColumn: return m.getName();
    case DensityColumn: return m.getDensity();
    case YoungModulusColumn: return m.getYoungModulus();
    case PoissonRatioColumn: return m.getPoissonRatio();
    default: return QVariant();
    }
}

bool MaterialTableViewItem::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= m_materials.size()
        || !(flags(index) & Qt::ItemIsEditable))
        return false;
    Material &m = m_materials[index.row()];
    switch (index.column()) {
    case NameColumn: {
        // A nameless material would be dropped the next time the file is read.
        const QString name = value.toString();
        if (name.trimmed().isEmpty())
            return false;
        m.setName(name);
        break;
    }
    case ColorColumn: {
        const QColor color = value.value<QColor>();
        if (!color.isValid())
            return false;
        m.setColor(Util::Vector4D(color.red() / 255.0, color.green() / 255.0, color.blue() / 255.0,
                                  color.alpha() / 255.0));
        break;
    }
    case DensityColumn:
    case YoungModulusColumn:
    case PoissonRatioColumn: {
        bool ok = false;
        const float number = value.toFloat(&ok);
        if (!ok)
            return false;
        if (index.column() == DensityColumn)
            m.setDensity(number);
        else if (index.column() == YoungModulusColumn)
            m.setYoungModulus(number);
        else
            m.setPoissonRatio(number);
        break;
    }
    default: return false;
    }
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags MaterialTableViewItem::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= m_materials.size())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    switch (index.column()) {
    case IdColumn: return f;
    case NameColumn: return m_materials.at(index.row()).getId() >= firstUserId ? f | Qt::ItemIsEditable : f;
    default: return f | Qt::ItemIsEditable;
    }
}

QVariant MaterialTableViewItem::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case IdColumn: return tr("Material Id");
    case NameColumn: return tr("Material Name");
    case ColorColumn: return tr("Color");
    case DensityColumn: return tr("Density");
    case YoungModulusColumn: return tr("Young Modulus");
    case PoissonRatioColumn: return tr("Poisson Ratio");
    default: return tr("Column %1").arg(section);
    }
}

void MaterialTableViewItem::appendMaterial(const Material &material)
{
    const int row = m_materials.size();
    beginInsertRows(QModelIndex(), row, row);
    m_materials.append(material);
    endInsertRows();
}

bool MaterialTableViewItem::containsId(unsigned id) const
{
    for (const Material &m : m_materials)
        if (m.getId() == id)
            return true;
    return false;
}

} // namespace Ui
