#pragma once

#include "lampset.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QTabWidget;

namespace Ui {

class GLWidget;

// "Set vew and lighting": the camera on the first tab, the lamps on the second.
// Works on a copy; writeBack hands everything to the view on accept.
class ViewProperties : public QDialog
{
    Q_OBJECT
public:
    explicit ViewProperties(QWidget *parent = nullptr);

    void loadFrom(const GLWidget &view);
    void setCurrentTab(int index);
    int currentTab() const;
    // Screen position, axis position, rotation, zoom, lamp count, then per
    // lamp the angles, the radius and the enabled bit.
    void writeBack(GLWidget &view) const;

    const LampSet &lamps() const { return m_lamps; }

private Q_SLOTS:
    void showLamp(int index);
    void storeLamp();
    void addLamp();
    void deleteLamp();

private:
    QDoubleSpinBox *spinBox(const char *name, double minimum, double maximum, double step);
    void fillLampSelector(int selected);
    void updateLampButtons();

    QTabWidget *m_tabs;
    std::array<QDoubleSpinBox *, 3> m_distance;
    std::array<QDoubleSpinBox *, 3> m_angles;
    std::array<QDoubleSpinBox *, 2> m_position;
    QDoubleSpinBox *m_zoom;
    QComboBox *m_lampSelector;
    QDoubleSpinBox *m_radius;
    QDoubleSpinBox *m_theta;
    QDoubleSpinBox *m_phi;
    QCheckBox *m_enabled;
    QPushButton *m_add;
    QPushButton *m_delete;
    LampSet m_lamps;
    bool m_loading = false;
};

} // namespace Ui
