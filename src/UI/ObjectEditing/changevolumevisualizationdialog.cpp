#include "changevolumevisualizationdialog.h"

#include "Core/Operations/ObjectEditing/changetotalvolumevisualizationoptions.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Operations/materialcombobox.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

namespace {
QCheckBox *checkBox(const char *name, const char *text, QWidget *parent)
{
    QCheckBox *box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QComboBox *comboBox(const char *name, const QStringList &items, QWidget *parent)
{
    QComboBox *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    return box;
}

QColor toColor(const Util::Vector4D &c) { return QColor::fromRgbF(c.x, c.y, c.z, c.w); }
} // namespace

ChangeVolumeVisualizationDialog::ChangeVolumeVisualizationDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ChangeVolumeVisualizationDialog"));
    setWindowTitle(QStringLiteral("Change Volume Visualization Options"));
    QTabWidget *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabWidget"));

    QWidget *siTab = new QWidget(tabs);
    QGroupBox *atomistic = new QGroupBox(QStringLiteral("Atomistic Visualization"), siTab);
    m_siAtoms = checkBox("cbxRenderSiAtoms", "Render Si Atoms", atomistic);
    m_surfaceAtoms = checkBox("cbxRenderSurfaceAtoms", "Render surface atoms only", atomistic);
    m_siLinks = checkBox("cbxRenderSiLinks", "Render Si atom links", atomistic);
    m_unitCellOutlines = checkBox("cbxRenderSiUnitCellOutline", "Render Si unit cell outlines", atomistic);
    m_unitCells = checkBox("cbxRenderSiUnitCell", "Render Si unit cells", atomistic);
    QVBoxLayout *atomisticLayout = new QVBoxLayout(atomistic);
    for (QCheckBox *box : {m_siAtoms, m_surfaceAtoms, m_siLinks, m_unitCellOutlines, m_unitCells})
        atomisticLayout->addWidget(box);
    QGroupBox *voxels = new QGroupBox(QStringLiteral("Voxel Visualization"), siTab);
    m_emptyVoxels = checkBox("cbxRenderEmptyVoxels", "Render Empty Voxel Outlines", voxels);
    (new QVBoxLayout(voxels))->addWidget(m_emptyVoxels);
    QVBoxLayout *siLayout = new QVBoxLayout(siTab);
    siLayout->addWidget(atomistic);
    siLayout->addWidget(voxels);
    tabs->addTab(siTab, QStringLiteral("Si Visualization"));
    connect(m_siAtoms, &QCheckBox::toggled, m_surfaceAtoms, &QWidget::setEnabled);
    m_surfaceAtoms->setEnabled(false);

    QWidget *filmTab = new QWidget(tabs);
    m_material = new QComboBox(filmTab);
    m_material->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialComboBox::fillFromCatalogue(m_material);
    m_swatch = new QLabel(filmTab);
    m_swatch->setObjectName(QStringLiteral("lblColor"));
    m_swatch->setMinimumSize(48, 20);
    m_swatch->setAutoFillBackground(true);
    QPushButton *change = new QPushButton(QStringLiteral("Change Color"), filmTab);
    change->setObjectName(QStringLiteral("btnChangeColor"));
    QFormLayout *filmLayout = new QFormLayout(filmTab);
    filmLayout->addRow(QStringLiteral("Material"), m_material);
    QHBoxLayout *colorRow = new QHBoxLayout;
    colorRow->addWidget(m_swatch);
    colorRow->addWidget(change);
    filmLayout->addRow(colorRow);
    tabs->addTab(filmTab, QStringLiteral("Film Visualization"));
    connect(change, &QPushButton::clicked, this, &ChangeVolumeVisualizationDialog::chooseColor);
    connect(m_material, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ChangeVolumeVisualizationDialog::showMaterialColor);

    QWidget *surfaceTab = new QWidget(tabs);
    m_algorithm = comboBox("cbxSurfaceAlgorithm",
                           {QStringLiteral("Direct Cubic Surface Generation"), QStringLiteral("Marching Cubes"),
                            QStringLiteral("Octree Surface Generation"), QStringLiteral("Particle Count Field View")},
                           surfaceTab);
    m_distribution = comboBox("cbxDistributionToRender",
                              {QStringLiteral("Particle Distribution for N-Type Dopants"),
                               QStringLiteral("Particle Distribution for P-Type Dopants"),
                               QStringLiteral("Particle Distribution Signed Sum of Dopants")},
                              surfaceTab);
    m_scale = comboBox("cbxColorScale",
                       {QStringLiteral("Gray Scale"), QStringLiteral("Red to Blue"), QStringLiteral("Yellow to Blue")},
                       surfaceTab);
    QFormLayout *surfaceLayout = new QFormLayout(surfaceTab);
    surfaceLayout->addRow(QStringLiteral("Surface Generation Algorithm"), m_algorithm);
    surfaceLayout->addRow(QStringLiteral("Distribution to Render"), m_distribution);
    surfaceLayout->addRow(QStringLiteral("Color Scale"), m_scale);
    tabs->addTab(surfaceTab, QStringLiteral("Surface Generation"));

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);

    fillFrom(Model::Geometry::VisualizationOptions());
    showMaterialColor();
}

void ChangeVolumeVisualizationDialog::fillFrom(const Model::Geometry::VisualizationOptions &o)
{
    m_siAtoms->setChecked(o.renderSiAtoms);
    m_surfaceAtoms->setChecked(o.renderSurfaceAtomsOnly);
    m_surfaceAtoms->setEnabled(o.renderSiAtoms);
    m_siLinks->setChecked(o.renderSiLinks);
    m_unitCells->setChecked(o.renderSiUnitCells);
    m_unitCellOutlines->setChecked(o.renderSiUnitCellOutlines);
    m_emptyVoxels->setChecked(o.renderEmptyVoxelOutlines);
    // Out-of-range values (an old document, a newer build) show the first entry.
    auto pick = [](QComboBox *box, int index) { box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0); };
    pick(m_algorithm, o.viewIndex);
    pick(m_distribution, o.distributionToRender);
    pick(m_scale, o.colorScale);
}

Model::Geometry::VisualizationOptions ChangeVolumeVisualizationDialog::options() const
{
    Model::Geometry::VisualizationOptions o;
    o.renderSiAtoms = m_siAtoms->isChecked();
    o.renderSurfaceAtomsOnly = m_surfaceAtoms->isChecked();
    o.renderSiLinks = m_siLinks->isChecked();
    o.renderSiUnitCells = m_unitCells->isChecked();
    o.renderSiUnitCellOutlines = m_unitCellOutlines->isChecked();
    o.renderEmptyVoxelOutlines = m_emptyVoxels->isChecked();
    o.viewIndex = m_algorithm->currentIndex();
    o.distributionToRender = m_distribution->currentIndex();
    o.colorScale = m_scale->currentIndex();
    return o;
}

Util::Vector4D ChangeVolumeVisualizationDialog::shownColor(unsigned materialId) const
{
    if (m_colors.contains(materialId))
        return m_colors.value(materialId);
    return Model::Materials::MaterialFactory::instance()->getMaterial(materialId).getColor();
}

void ChangeVolumeVisualizationDialog::setMaterialColor(unsigned materialId, const Util::Vector4D &color)
{
    m_colors.insert(materialId, color);
    showMaterialColor();
}

void ChangeVolumeVisualizationDialog::showMaterialColor()
{
    const unsigned id = MaterialComboBox::selectedId(m_material);
    QPalette palette = m_swatch->palette();
    palette.setColor(QPalette::Window, id ? toColor(shownColor(id)) : palette.color(QPalette::Button));
    m_swatch->setPalette(palette);
}

void ChangeVolumeVisualizationDialog::chooseColor()
{
    const unsigned id = MaterialComboBox::selectedId(m_material);
    if (!id)
        return;
    const QColor chosen = QColorDialog::getColor(toColor(shownColor(id)), this,
                                                 QStringLiteral("Select new film color"),
                                                 QColorDialog::ShowAlphaChannel);
    if (!chosen.isValid())
        return;
    setMaterialColor(id, Util::Vector4D(chosen.redF(), chosen.greenF(), chosen.blueF(), chosen.alphaF()));
}

void ChangeVolumeVisualizationDialog::applyTo(Core::Operations::ChangeTotalVolumeVisualizationOptions &operation) const
{
    operation.setMaterialColors(m_colors);
    operation.setOptions(options());
}

} // namespace Operations
} // namespace Ui
