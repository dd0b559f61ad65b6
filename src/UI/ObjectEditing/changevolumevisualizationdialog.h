#pragma once

#include "Model/Geometry/totalvolumepainter.h"
#include "Util/vector4d.h"

#include <QDialog>
#include <QMap>

class QCheckBox;
class QComboBox;
class QLabel;

namespace Core {
namespace Operations {
class ChangeTotalVolumeVisualizationOptions;
}
} // namespace Core

namespace Ui {
namespace Operations {

// How one cell volume is drawn: the Si lattice parts, empty-cell outlines,
// material colours and the surface algorithm with its field settings.
class ChangeVolumeVisualizationDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ChangeVolumeVisualizationDialog(QWidget *parent = nullptr);

    void fillFrom(const Model::Geometry::VisualizationOptions &options);
    Model::Geometry::VisualizationOptions options() const;
    // The material colours changed so far, by material id.
    QMap<unsigned, Util::Vector4D> materialColors() const { return m_colors; }
    void setMaterialColor(unsigned materialId, const Util::Vector4D &color);
    void applyTo(Core::Operations::ChangeTotalVolumeVisualizationOptions &operation) const;

private Q_SLOTS:
    void chooseColor();
    void showMaterialColor();

private:
    Util::Vector4D shownColor(unsigned materialId) const;

    QCheckBox *m_siAtoms;
    QCheckBox *m_surfaceAtoms;
    QCheckBox *m_siLinks;
    QCheckBox *m_unitCellOutlines;
    QCheckBox *m_unitCells;
    QCheckBox *m_emptyVoxels;
    QComboBox *m_material;
    QLabel *m_swatch;
    QComboBox *m_algorithm;
    QComboBox *m_distribution;
    QComboBox *m_scale;
    QMap<unsigned, Util::Vector4D> m_colors;
};

} // namespace Operations
} // namespace Ui
