#include "createsubstratedialog.h"

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Steps/stepregistry.h"
#include "Util/vector3d.h"
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

#include <cmath>

namespace Ui {
namespace Operations {

namespace {
const char *const axes[3] = {"X", "Y", "Z"};
}

const Core::Steps::StepDefinition &CreateSubstrateDialog::definition()
{
    return *Core::Steps::StepRegistry::instance().ofType(Core::Steps::ProcessData::CreateSubstrate);
}

const Core::Steps::StepParameter &CreateSubstrateDialog::param(const QString &field)
{
    for (const Core::Steps::StepParameter &param : definition().parameters)
        if (param.field == field)
            return param;
    Q_UNREACHABLE();
}

QSpinBox *CreateSubstrateDialog::spinBox(const QString &field)
{
    const Core::Steps::StepParameter &s = param(field);
    QSpinBox *box = new QSpinBox(this);
    box->setObjectName(QStringLiteral("sbx") + field);
    box->setRange(int(s.minimum), int(s.maximum));
    box->setValue(s.defaultValue.toInt());
    box->setToolTip(s.hint);
    return box;
}

CreateSubstrateDialog::CreateSubstrateDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CreateSubstrateDialogForm"));
    setWindowTitle(QStringLiteral("Create Substrate"));
    setModal(true);
    QVBoxLayout *layout = new QVBoxLayout(this);

    const Core::Steps::StepParameter &corner = param(QStringLiteral("Volume"));

    QGroupBox *totalGroup = new QGroupBox(QStringLiteral("Total Volume Dimensions and Position"), this);
    QGridLayout *totalLayout = new QGridLayout(totalGroup);
    m_total[0] = spinBox(QStringLiteral("TotalWidth"));
    m_total[1] = spinBox(QStringLiteral("TotalLength"));
    m_total[2] = spinBox(QStringLiteral("TotalHeight"));
    for (int i = 0; i < 3; ++i) {
        totalLayout->addWidget(new QLabel(param(m_total[i]->objectName().mid(3)).label, totalGroup), 0, i);
        totalLayout->addWidget(m_total[i], 1, i);
    }
    totalLayout->addWidget(new QLabel(corner.label, totalGroup), 2, 0, 1, 3);
    const char *const positionNames[3] = {"dblVolumeX", "dblVolumeY", "dblVolumeZ"};
    for (int i = 0; i < 3; ++i) {
        m_position[i] = new QDoubleSpinBox(totalGroup);
        m_position[i]->setObjectName(QLatin1String(positionNames[i]));
        m_position[i]->setRange(corner.minimum, corner.maximum);
        m_position[i]->setValue(0.0);
        m_position[i]->setToolTip(corner.hint);
        totalLayout->addWidget(m_position[i], 3, i);
    }
    layout->addWidget(totalGroup);

    QGroupBox *substrateGroup = new QGroupBox(QStringLiteral("Substrate Dimensions and position"), this);
    QGridLayout *substrateLayout = new QGridLayout(substrateGroup);
    m_substrateSize[0] = spinBox(QStringLiteral("SubsWidth"));
    m_substrateSize[1] = spinBox(QStringLiteral("SubsLength"));
    m_substrateSize[2] = spinBox(QStringLiteral("SubsHeight"));
    for (int i = 0; i < 3; ++i) {
        m_substrateDelta[i] = spinBox(QStringLiteral("Subs") + QLatin1String(axes[i]));
        QLabel *sizeLabel = new QLabel(param(m_substrateSize[i]->objectName().mid(3)).label, substrateGroup);
        QLabel *deltaLabel = new QLabel(param(m_substrateDelta[i]->objectName().mid(3)).label, substrateGroup);
        substrateLayout->addWidget(sizeLabel, 0, i);
        substrateLayout->addWidget(m_substrateSize[i], 1, i);
        substrateLayout->addWidget(deltaLabel, 2, i);
        substrateLayout->addWidget(m_substrateDelta[i], 3, i);
        m_boxWidgets << sizeLabel << m_substrateSize[i] << deltaLabel << m_substrateDelta[i];
    }
    layout->addWidget(substrateGroup);

    QGroupBox *sphereGroup = new QGroupBox(this);
    QGridLayout *sphereLayout = new QGridLayout(sphereGroup);
    const Core::Steps::StepParameter &sphere = param(QStringLiteral("SubsSphere"));
    m_sphere = new QCheckBox(sphere.label, sphereGroup);
    m_sphere->setObjectName(QStringLiteral("cbxSubsSphere"));
    m_sphere->setToolTip(sphere.hint);
    sphereLayout->addWidget(m_sphere, 0, 0, 1, 4);
    for (int i = 0; i < 3; ++i) {
        m_center[i] = spinBox(QStringLiteral("SubsCenter") + QLatin1String(axes[i]));
        QLabel *label = new QLabel(param(m_center[i]->objectName().mid(3)).label, sphereGroup);
        sphereLayout->addWidget(label, 1, i);
        sphereLayout->addWidget(m_center[i], 2, i);
        m_sphereWidgets << label << m_center[i];
    }
    m_radius = spinBox(QStringLiteral("SubsRadius"));
    QLabel *radiusLabel = new QLabel(param(QStringLiteral("SubsRadius")).label, sphereGroup);
    sphereLayout->addWidget(radiusLabel, 1, 3);
    sphereLayout->addWidget(m_radius, 2, 3);
    m_sphereWidgets << radiusLabel << m_radius;
    layout->addWidget(sphereGroup);

    QFormLayout *materialLayout = new QFormLayout;
    m_material = new QComboBox(this);
    m_material->setObjectName(QStringLiteral("cbxFilm"));
    const Core::Steps::StepParameter &material = param(QStringLiteral("Film"));
    m_material->setToolTip(material.hint);
    MaterialComboBox::fillFromCatalogue(m_material);
    materialLayout->addRow(material.label, m_material);
    const Core::Steps::StepParameter &unit = param(QStringLiteral("UnitLength"));
    m_unitLength = new QDoubleSpinBox(this);
    m_unitLength->setObjectName(QStringLiteral("sbxUnitLength"));
    m_unitLength->setDecimals(unit.decimals);
    m_unitLength->setRange(std::pow(10.0, -unit.decimals), unit.maximum);
    m_unitLength->setValue(unit.defaultValue.toDouble());
    m_unitLength->setSuffix(QLatin1Char(' ') + unit.unit);
    m_unitLength->setToolTip(unit.hint);
    materialLayout->addRow(unit.label, m_unitLength);
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

QWidget *CreateSubstrateDialog::fieldOf(const Core::Steps::StepParameter &param) const
{
    if (param.field.isEmpty())
        return nullptr;
    return findChild<QWidget *>((param.kind == Core::Steps::ValueKind::Flag ? QStringLiteral("cbx") : QStringLiteral("sbx")) +
                                param.field);
}

void CreateSubstrateDialog::fillFrom(const QVariantMap &p)
{
    using Core::Steps::ValueKind;
    // In declaration order: the totals first, as they narrow the ranges the substrate fields must fit.
    for (const Core::Steps::StepParameter &param : definition().parameters) {
        const QVariant v = p.value(param.valueName());
        if (param.kind == ValueKind::Material || !v.isValid())
            continue;
        if (param.kind == ValueKind::Position) {
            const Util::Vector3D c(v);
            m_position[0]->setValue(c.x);
            m_position[1]->setValue(c.y);
            m_position[2]->setValue(c.z);
        } else if (QSpinBox *box = qobject_cast<QSpinBox *>(fieldOf(param))) {
            box->setValue(int(v.toLongLong()));
        } else if (QDoubleSpinBox *box = qobject_cast<QDoubleSpinBox *>(fieldOf(param))) {
            box->setValue(v.toDouble());
        } else if (QCheckBox *box = qobject_cast<QCheckBox *>(fieldOf(param))) {
            box->setChecked(v.toBool());
        }
    }

    // The last matching item wins, by id when one is stored, else by name.
    const QVariant id = p.value(param(QStringLiteral("Film")).valueName());
    const QVariant name = p.value(param(QStringLiteral("Film")).name);
    int match = -1;
    for (int i = 0; i < m_material->count(); ++i) {
        if (id.isValid() ? m_material->itemData(i).toUInt() == id.toUInt()
                         : (name.isValid() && m_material->itemText(i) == name.toString()))
            match = i;
    }
    if (match >= 0)
        m_material->setCurrentIndex(match);
}

QVariantMap CreateSubstrateDialog::values() const
{
    using Core::Steps::ValueKind;
    QVariantMap values;
    for (const Core::Steps::StepParameter &param : definition().parameters) {
        if (param.kind == ValueKind::Material) {
            if (m_material->currentIndex() >= 0)
                values.insert(param.name, MaterialComboBox::selectedId(m_material));
        } else if (param.kind == ValueKind::Position) {
            values.insert(param.name, QVariant::fromValue(Util::Vector3D(m_position[0]->value(), m_position[1]->value(),
                                                                        m_position[2]->value())));
        } else if (const QSpinBox *box = qobject_cast<const QSpinBox *>(fieldOf(param))) {
            values.insert(param.name, unsigned(box->value()));
        } else if (const QDoubleSpinBox *box = qobject_cast<const QDoubleSpinBox *>(fieldOf(param))) {
            values.insert(param.name, box->value());
        } else if (const QCheckBox *box = qobject_cast<const QCheckBox *>(fieldOf(param))) {
            values.insert(param.name, box->isChecked());
        }
    }
    return values;
}

void CreateSubstrateDialog::applyTo(Core::Operations::CreateSubstrateOperation &operation) const
{
    operation.setValues(values());
}

} // namespace Operations
} // namespace Ui
