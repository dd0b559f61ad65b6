#include "createsubstratedialog.h"

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "UI/Operations/materialcombobox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

namespace {
const char *const axes[3] = {"X", "Y", "Z"};
}

QSpinBox *CreateSubstrateDialog::spinBox(const QString &name, int minimum, int maximum, int value,
                                         const QString &toolTip)
{
    QSpinBox *box = new QSpinBox(this);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setToolTip(toolTip);
    return box;
}

CreateSubstrateDialog::CreateSubstrateDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CreateSubstrateDialogForm"));
    setWindowTitle(QStringLiteral("Create Substrate"));
    setModal(true);
    QVBoxLayout *layout = new QVBoxLayout(this);

    const QString totalTip = QStringLiteral("Define the size of the total volume.");
    const QString sizeTip = QStringLiteral("Size of the substrate in cells.");
    const QString locationTip = QStringLiteral("Location of the substrate relative to the total volume in cells.");
    const QString centerTip =
        QStringLiteral("Define the center position of the substrate relative to the total volume in cells.");
    const QString positionTip = QStringLiteral("Define the position of the volume in the viewing space.");

    QGroupBox *totalGroup = new QGroupBox(QStringLiteral("Total Volume Dimensions and Position"), this);
    QGridLayout *totalLayout = new QGridLayout(totalGroup);
    m_total[0] = spinBox(QStringLiteral("sbxTotalWidth"), 1, 1000000000, 100, totalTip);
    m_total[1] = spinBox(QStringLiteral("sbxTotalLength"), 1, 1000000000, 100, totalTip);
    m_total[2] = spinBox(QStringLiteral("sbxTotalHeight"), 1, 1000000000, 80, totalTip);
    const char *const totalLabels[3] = {"Width", "Length", "Height"};
    for (int i = 0; i < 3; ++i) {
        totalLayout->addWidget(new QLabel(QLatin1String(totalLabels[i]), totalGroup), 0, i);
        totalLayout->addWidget(m_total[i], 1, i);
    }
    totalLayout->addWidget(new QLabel(QStringLiteral("Volume Lower Left Front Corner"), totalGroup), 2, 0, 1, 3);
    const char *const positionNames[3] = {"dblVolumeX", "dblVolumeY", "dblVolumeZ"};
    for (int i = 0; i < 3; ++i) {
        m_position[i] = new QDoubleSpinBox(totalGroup);
        m_position[i]->setObjectName(QLatin1String(positionNames[i]));
        m_position[i]->setRange(-1e9, 1e9);
        m_position[i]->setValue(0.0);
        m_position[i]->setToolTip(positionTip);
        totalLayout->addWidget(m_position[i], 3, i);
    }
    layout->addWidget(totalGroup);

    QGroupBox *substrateGroup = new QGroupBox(QStringLiteral("Substrate Dimensions and position"), this);
    QGridLayout *substrateLayout = new QGridLayout(substrateGroup);
    m_substrateSize[0] = spinBox(QStringLiteral("sbxSubsWidth"), 1, 999999999, 100, sizeTip);
    m_substrateSize[1] = spinBox(QStringLiteral("sbxSubsLength"), 1, 999999999, 100, sizeTip);
    m_substrateSize[2] = spinBox(QStringLiteral("sbxSubsHeight"), 1, 1000000006, 30, sizeTip);
    const char *const deltaNames[3] = {"sbxSubsX", "sbxSubsY", "sbxSubsZ"};
    for (int i = 0; i < 3; ++i) {
        m_substrateDelta[i] = spinBox(QLatin1String(deltaNames[i]), 0, 999999999, 0, locationTip);
        QLabel *sizeLabel = new QLabel(QLatin1String(totalLabels[i]), substrateGroup);
        QLabel *deltaLabel = new QLabel(QLatin1String(axes[i]), substrateGroup);
        substrateLayout->addWidget(sizeLabel, 0, i);
        substrateLayout->addWidget(m_substrateSize[i], 1, i);
        substrateLayout->addWidget(deltaLabel, 2, i);
        substrateLayout->addWidget(m_substrateDelta[i], 3, i);
        m_boxWidgets << sizeLabel << m_substrateSize[i] << deltaLabel << m_substrateDelta[i];
    }
    layout->addWidget(substrateGroup);

    QGroupBox *sphereGroup = new QGroupBox(this);
    QGridLayout *sphereLayout = new QGridLayout(sphereGroup);
    m_sphere = new QCheckBox(QStringLiteral("Spherical Substrate"), sphereGroup);
    m_sphere->setObjectName(QStringLiteral("cbxSubsSphere"));
    m_sphere->setToolTip(QStringLiteral("Create a spherical substrate."));
    sphereLayout->addWidget(m_sphere, 0, 0, 1, 4);
    const char *const centerNames[3] = {"sbxSubsCenterX", "sbxSubsCenterY", "sbxSubsCenterZ"};
    for (int i = 0; i < 3; ++i) {
        m_center[i] = spinBox(QLatin1String(centerNames[i]), 0, 999999999, 0, centerTip);
        QLabel *label = new QLabel(QStringLiteral("Center ") + QLatin1String(axes[i]), sphereGroup);
        sphereLayout->addWidget(label, 1, i);
        sphereLayout->addWidget(m_center[i], 2, i);
        m_sphereWidgets << label << m_center[i];
    }
    m_radius = spinBox(QStringLiteral("sbxSubsRadius"), 1, 999999999, 50,
                       QStringLiteral("Define the radius of the substrate."));
    QLabel *radiusLabel = new QLabel(QStringLiteral("Radius"), sphereGroup);
    sphereLayout->addWidget(radiusLabel, 1, 3);
    sphereLayout->addWidget(m_radius, 2, 3);
    m_sphereWidgets << radiusLabel << m_radius;
    layout->addWidget(sphereGroup);

    QFormLayout *materialLayout = new QFormLayout;
    m_material = new QComboBox(this);
    m_material->setObjectName(QStringLiteral("cbxFilm"));
    m_material->setToolTip(QStringLiteral("Material the substrate will be composed of."));
    MaterialComboBox::fillFromCatalogue(m_material);
    materialLayout->addRow(QStringLiteral("Substrate Material"), m_material);
    layout->addLayout(materialLayout);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_total[0], SIGNAL(valueChanged(int)), this, SLOT(updateLimitX(int)));
    connect(m_total[1], SIGNAL(valueChanged(int)), this, SLOT(updateLimitY(int)));
    connect(m_total[2], SIGNAL(valueChanged(int)), this, SLOT(updateLimitZ(int)));
    connect(m_substrateSize[0], SIGNAL(valueChanged(int)), this, SLOT(updateSubstrateDispX(int)));
    connect(m_substrateSize[1], SIGNAL(valueChanged(int)), this, SLOT(updateSubstrateDispY(int)));
    connect(m_substrateSize[2], SIGNAL(valueChanged(int)), this, SLOT(updateSubstrateDispZ(int)));
    connect(m_sphere, SIGNAL(toggled(bool)), this, SLOT(toggleSubsShape(bool)));
    toggleSubsShape(false);
}

void CreateSubstrateDialog::updateLimitX(int width)
{
    m_substrateSize[0]->setMaximum(width);
    m_substrateSize[0]->setValue(width);
    m_substrateDelta[0]->setMaximum(0);
    m_center[0]->setMaximum(width - 1);
}

void CreateSubstrateDialog::updateLimitY(int length)
{
    m_substrateSize[1]->setMaximum(length);
    m_substrateSize[1]->setValue(length);
    m_substrateDelta[1]->setMaximum(0);
    m_center[1]->setMaximum(length - 1);
}

void CreateSubstrateDialog::updateLimitZ(int height)
{
    m_substrateSize[2]->setMaximum(height);
    m_substrateDelta[2]->setMaximum(height - m_substrateSize[2]->value());
    m_center[2]->setMaximum(height - 1);
}

void CreateSubstrateDialog::updateSubstrateDispX(int size) { m_substrateDelta[0]->setMaximum(m_total[0]->value() - size); }

void CreateSubstrateDialog::updateSubstrateDispY(int size) { m_substrateDelta[1]->setMaximum(m_total[1]->value() - size); }

void CreateSubstrateDialog::updateSubstrateDispZ(int size) { m_substrateDelta[2]->setMaximum(m_total[2]->value() - size); }

void CreateSubstrateDialog::toggleSubsShape(bool spherical)
{
    for (QWidget *w : m_boxWidgets)
        w->setEnabled(!spherical);
    for (QWidget *w : m_sphereWidgets)
        w->setEnabled(spherical);
}

void CreateSubstrateDialog::fillFrom(const QVariantMap &p)
{
    auto setInt = [&p](const char *name, QSpinBox *box) {
        const QVariant v = p.value(QLatin1String(name));
        if (v.isValid())
            box->setValue(int(v.toLongLong()));
    };
    const QVariant corner = p.value(QStringLiteral("Lower Left Front Corner"));
    if (corner.isValid()) {
        const Util::Vector3D c(corner);
        m_position[0]->setValue(c.x);
        m_position[1]->setValue(c.y);
        m_position[2]->setValue(c.z);
    }
    // Totals first: they narrow the ranges the substrate fields must fit.
    setInt("Volume Size X", m_total[0]);
    setInt("Volume Size Y", m_total[1]);
    setInt("Volume Size Z", m_total[2]);
    if (p.contains(QStringLiteral("SphericalSubstrate")))
        m_sphere->setChecked(p.value(QStringLiteral("SphericalSubstrate")).toBool());
    setInt("Substrate Size X", m_substrateSize[0]);
    setInt("Substrate Size Y", m_substrateSize[1]);
    setInt("Substrate Size Z", m_substrateSize[2]);
    setInt("Substrate Delta X", m_substrateDelta[0]);
    setInt("Substrate Delta Y", m_substrateDelta[1]);
    setInt("Substrate Delta Z", m_substrateDelta[2]);
    setInt("Substrate Center X", m_center[0]);
    setInt("Substrate Center Y", m_center[1]);
    setInt("Substrate Center Z", m_center[2]);
    setInt("Substrate Radius", m_radius);

    // The last matching item wins, by id when one is stored, else by name.
    const QVariant id = p.value(QStringLiteral("Material_Id"));
    const QVariant name = p.value(QStringLiteral("Material"));
    int match = -1;
    for (int i = 0; i < m_material->count(); ++i) {
        if (id.isValid() ? m_material->itemData(i).toUInt() == id.toUInt()
                         : (name.isValid() && m_material->itemText(i) == name.toString()))
            match = i;
    }
    if (match >= 0)
        m_material->setCurrentIndex(match);
}

void CreateSubstrateDialog::applyTo(Core::Operations::CreateSubstrateOperation &operation) const
{
    const unsigned material = MaterialComboBox::selectedId(m_material);
    const Util::Vector3D position(m_position[0]->value(), m_position[1]->value(), m_position[2]->value());
    if (m_sphere->isChecked()) {
        operation.setSphereParameters(material, m_total[0]->value(), m_total[1]->value(), m_total[2]->value(), position,
                                      m_center[0]->value(), m_center[1]->value(), m_center[2]->value(),
                                      m_radius->value());
    } else {
        operation.setBoxParameters(material, m_total[0]->value(), m_total[1]->value(), m_total[2]->value(), position,
                                   m_substrateDelta[0]->value(), m_substrateDelta[1]->value(),
                                   m_substrateDelta[2]->value(), m_substrateSize[0]->value(),
                                   m_substrateSize[1]->value(), m_substrateSize[2]->value());
    }
}

} // namespace Operations
} // namespace Ui
