#include "viewproperties.h"

#include "UI/glwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace Ui {

namespace {
constexpr double Degrees = 180.0 / M_PI;
}

QDoubleSpinBox *ViewProperties::spinBox(const char *name, double minimum, double maximum, double step)
{
    QDoubleSpinBox *box = new QDoubleSpinBox(this);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(3);
    box->setRange(minimum, maximum);
    box->setSingleStep(step);
    return box;
}

ViewProperties::ViewProperties(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ViewProperties"));
    setWindowTitle(QStringLiteral("Set vew and lighting"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabWidget"));

    QWidget *viewTab = new QWidget(m_tabs);
    QGroupBox *axes = new QGroupBox(QStringLiteral("Position in relation to the axes"), viewTab);
    QGroupBox *rotation = new QGroupBox(QStringLiteral("Rotation Angles"), viewTab);
    QGroupBox *screen = new QGroupBox(QStringLiteral("Position in relation to the screen"), viewTab);
    QGroupBox *zoom = new QGroupBox(QStringLiteral("Vew zoom"), viewTab);
    m_distance = {{spinBox("distanceXDoubleSpinBox", -1e9, 1e9, 10), spinBox("distanceYDoubleSpinBox", -1e9, 1e9, 10),
                   spinBox("distanceZDoubleSpinBox", -1e9, 1e9, 10)}};
    m_angles = {{spinBox("xAxisDoubleSpinBox", -180, 180, 5), spinBox("yAxisDoubleSpinBox", -180, 180, 5),
                 spinBox("zAxisDoubleSpinBox", -180, 180, 5)}};
    m_position = {{spinBox("positionXDoubleSpinBox", -1e9, 1e9, 10), spinBox("positionYDoubleSpinBox", -1e9, 1e9, 10)}};
    // A zoom of 0 would collapse the projection; the smallest step is kept instead.
    m_zoom = spinBox("zoomDoubleSpinBox", 0.001, 10000, 10);
    m_zoom->setSuffix(QStringLiteral(" %"));
    m_zoom->setValue(100.0);
    const char *axisNames[3] = {"X", "Y", "Z"};
    QFormLayout *axesLayout = new QFormLayout(axes), *rotationLayout = new QFormLayout(rotation);
    QFormLayout *screenLayout = new QFormLayout(screen);
    for (int i = 0; i < 3; ++i) {
        axesLayout->addRow(QLatin1String(axisNames[i]), m_distance[size_t(i)]);
        rotationLayout->addRow(QLatin1String(axisNames[i]), m_angles[size_t(i)]);
        if (i < 2)
            screenLayout->addRow(QLatin1String(axisNames[i]), m_position[size_t(i)]);
    }
    (new QFormLayout(zoom))->addRow(QStringLiteral("Zoom"), m_zoom);
    QVBoxLayout *viewLayout = new QVBoxLayout(viewTab);
    for (QGroupBox *box : {axes, rotation, screen, zoom})
        viewLayout->addWidget(box);
    m_tabs->addTab(viewTab, QStringLiteral("View"));

    QWidget *lampTab = new QWidget(m_tabs);
    m_lampSelector = new QComboBox(lampTab);
    m_lampSelector->setObjectName(QStringLiteral("lampComboBox"));
    m_radius = spinBox("radiusDoubleSpinBox", 0, 1000, 50);
    m_theta = spinBox("thetaDoubleSpinBox", -180, 180, 5);
    m_phi = spinBox("phiDoubleSpinBox", -180, 180, 5);
    m_enabled = new QCheckBox(QStringLiteral("Enabled"), lampTab);
    m_enabled->setObjectName(QStringLiteral("enabledCheckBox"));
    m_add = new QPushButton(QStringLiteral("Add Lamp"), lampTab);
    m_add->setObjectName(QStringLiteral("addLampButton"));
    m_delete = new QPushButton(QStringLiteral("Delete Lamp"), lampTab);
    m_delete->setObjectName(QStringLiteral("deleteLampButton"));
    QFormLayout *lampLayout = new QFormLayout(lampTab);
    lampLayout->addRow(QStringLiteral("Lamp"), m_lampSelector);
    lampLayout->addRow(QStringLiteral("Radius"), m_radius);
    lampLayout->addRow(QString::fromUtf8("Angle θ"), m_theta);
    lampLayout->addRow(QString::fromUtf8("Angle φ"), m_phi);
    lampLayout->addRow(m_enabled);
    QHBoxLayout *lampButtons = new QHBoxLayout;
    lampButtons->addWidget(m_add);
    lampButtons->addWidget(m_delete);
    lampLayout->addRow(lampButtons);
    m_tabs->addTab(lampTab, QStringLiteral("Lighting"));

    connect(m_lampSelector, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &ViewProperties::showLamp);
    for (QDoubleSpinBox *box : {m_radius, m_theta, m_phi})
        connect(box, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, &ViewProperties::storeLamp);
    connect(m_enabled, &QCheckBox::toggled, this, &ViewProperties::storeLamp);
    connect(m_add, &QPushButton::clicked, this, &ViewProperties::addLamp);
    connect(m_delete, &QPushButton::clicked, this, &ViewProperties::deleteLamp);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);

    fillLampSelector(1);
}

void ViewProperties::loadFrom(const GLWidget &view)
{
    const ViewCamera &camera = view.camera();
    for (int i = 0; i < 3; ++i) {
        m_distance[size_t(i)]->setValue(camera.axisPosition()[size_t(i)]);
        m_angles[size_t(i)]->setValue(camera.rotation()[size_t(i)]);
    }
    m_position[0]->setValue(camera.screenPosition()[0]);
    m_position[1]->setValue(camera.screenPosition()[1]);
    m_zoom->setValue(double(view.zoom()) * 100.0);
    m_lamps = view.lamps();
    fillLampSelector(m_lamps.active() > 0 ? m_lamps.active() : 1);
}

void ViewProperties::setCurrentTab(int index) { m_tabs->setCurrentIndex(index); }

int ViewProperties::currentTab() const { return m_tabs->currentIndex(); }

void ViewProperties::fillLampSelector(int selected)
{
    m_loading = true;
    m_lampSelector->clear();
    for (int i = 1; i <= m_lamps.count(); ++i)
        m_lampSelector->addItem(QStringLiteral("Lamp %1").arg(i));
    m_loading = false;
    m_lampSelector->setCurrentIndex(-1);
    m_lampSelector->setCurrentIndex(qBound(1, selected, m_lamps.count()) - 1);
    updateLampButtons();
}

void ViewProperties::updateLampButtons()
{
    m_add->setEnabled(m_lamps.count() < LampSet::MaxLamps);
    m_delete->setEnabled(m_lamps.count() > 1);
}

void ViewProperties::showLamp(int index)
{
    if (m_loading || index < 0)
        return;
    const LampSet::Lamp &lamp = m_lamps.lamp(index + 1);
    m_loading = true;
    m_radius->setValue(lamp.radius);
    m_theta->setValue(lamp.theta * Degrees);
    m_phi->setValue(lamp.phi * Degrees);
    m_enabled->setChecked(lamp.enabled);
    m_loading = false;
}

void ViewProperties::storeLamp()
{
    const int lamp = m_lampSelector->currentIndex() + 1;
    if (m_loading || lamp < 1)
        return;
    m_lamps.setPolar(lamp, float(m_radius->value()), float(m_theta->value() / Degrees),
                     float(m_phi->value() / Degrees));
    m_lamps.setEnabled(lamp, m_enabled->isChecked());
}

void ViewProperties::addLamp()
{
    if (m_lamps.addLamp())
        fillLampSelector(m_lamps.count());
}

void ViewProperties::deleteLamp()
{
    const int lamp = m_lampSelector->currentIndex() + 1;
    if (m_lamps.removeLamp(lamp))
        fillLampSelector(qMin(lamp, m_lamps.count()));
}

void ViewProperties::writeBack(GLWidget &view) const
{
    view.setScreenPosition(float(m_position[0]->value()), float(m_position[1]->value()));
    view.setAxisPosition(float(m_distance[0]->value()), float(m_distance[1]->value()), float(m_distance[2]->value()));
    view.setRotation(float(m_angles[0]->value()), float(m_angles[1]->value()), float(m_angles[2]->value()));
    view.setZoom(float(m_zoom->value() / 100.0));
    view.setLampCount(m_lamps.count());
    for (int i = 1; i <= m_lamps.count(); ++i) {
        const LampSet::Lamp &lamp = m_lamps.lamp(i);
        view.setLampAngles(i, lamp.theta, lamp.phi);
        view.setLampRadius(i, lamp.radius);
        view.setLampEnabled(i, lamp.enabled);
    }
}

} // namespace Ui
