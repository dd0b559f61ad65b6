#include "cutcellvolumedialog.h"

#include "dialogfields.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace Ui {
namespace Operations {

using Model::Geometry::DrawRange;

CutCellVolumeDialog::CutCellVolumeDialog(unsigned sizeX, unsigned sizeY, unsigned sizeZ, const DrawRange &limits,
                                         const Preview &preview, QWidget *parent)
    : QDialog(parent), m_previewFunction(preview)
{
    setObjectName(QStringLiteral("CutCellVolumeBaseDialog"));
    setWindowTitle(QStringLiteral("Cut Cell Volume"));
    QVBoxLayout *layout = new QVBoxLayout(this);
    const unsigned sizes[3] = {sizeX, sizeY, sizeZ};
    const char *const axisNames[3] = {"X", "Y", "Z"};
    const QString tips[3][2] = {
        {QStringLiteral("Lower X cutoff limit."), QStringLiteral("Upper X cutoff limit.")},
        {QStringLiteral("Lower Y cutoff limit."), QStringLiteral("Upper Y cutoff limit.")},
        {QStringLiteral("Lower Z cuttoff limit"), QStringLiteral("Upper Z cutoff limit.")},
    };
    for (int a = 0; a < 3; ++a) {
        const QString axis = QString::fromLatin1(axisNames[a]);
        const int size = int(std::min<unsigned>(std::max(sizes[a], 1u), INT_MAX));
        QGroupBox *group = new QGroupBox(axis + QStringLiteral(" Axis Limits"), this);
        QGridLayout *grid = new QGridLayout(group);
        Axis &ax = m_axes[a];
        ax.size = unsigned(size);
        const auto make = [&](const QString &which, int row, int minimum, int maximum, const QString &tip,
                              QSlider **slider, QSpinBox **spin) {
            *slider = new QSlider(Qt::Horizontal, group);
            (*slider)->setObjectName(QStringLiteral("sld") + axis + which + QStringLiteral("Limit"));
            *spin = new QSpinBox(group);
            (*spin)->setObjectName(QStringLiteral("sbx") + axis + which + QStringLiteral("Limit"));
            (*slider)->setRange(minimum, maximum);
            (*spin)->setRange(minimum, maximum);
            (*slider)->setToolTip(tip);
            (*spin)->setToolTip(tip);
            grid->addWidget(new QLabel(which + QStringLiteral(" Limit"), group), row, 0);
            grid->addWidget(*slider, row, 1);
            grid->addWidget(*spin, row, 2);
            connect(*slider, &QSlider::valueChanged, *spin, &QSpinBox::setValue);
            connect(*spin, QOverload<int>::of(&QSpinBox::valueChanged), *slider, &QSlider::setValue);
        };
        make(QStringLiteral("Lower"), 0, 0, size - 1, tips[a][0], &ax.lowerSlider, &ax.lower);
        make(QStringLiteral("Upper"), 1, 1, size, tips[a][1], &ax.upperSlider, &ax.upper);
        connect(ax.lower, QOverload<int>::of(&QSpinBox::valueChanged), this, [this, a](int v) { lowerChanged(a, v); });
        connect(ax.upper, QOverload<int>::of(&QSpinBox::valueChanged), this, [this, a](int v) { upperChanged(a, v); });
        layout->addWidget(group);
    }

    QHBoxLayout *row = new QHBoxLayout;
    QPushButton *resetButton = new QPushButton(QStringLiteral("Reset"), this);
    resetButton->setObjectName(QStringLiteral("btnReset"));
    resetButton->setToolTip(QStringLiteral("Reset to original values."));
    resetButton->setAutoDefault(false);
    connect(resetButton, &QPushButton::clicked, this, &CutCellVolumeDialog::reset);
    m_preview = new QCheckBox(QStringLiteral("Preview"), this);
    m_preview->setObjectName(QStringLiteral("chkPreview"));
    m_preview->setToolTip(QStringLiteral("Check to preview changes, it might be slow for large structures."));
    m_preview->setStatusTip(QStringLiteral("Check to preview changes."));
    connect(m_preview, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            changed();
    });
    row->addWidget(resetButton);
    row->addWidget(m_preview);
    row->addStretch();
    layout->addLayout(row);
    layout->addWidget(DialogFields::okCancel(this));

    setLimits(limits);
}

void CutCellVolumeDialog::lowerChanged(int a, int value)
{
    // Raising a lower limit to its upper one pushes the upper limit up.
    if (value >= m_axes[a].upper->value())
        m_axes[a].upper->setValue(value + 1);
    changed();
}

void CutCellVolumeDialog::upperChanged(int a, int value)
{
    if (value <= m_axes[a].lower->value())
        m_axes[a].lower->setValue(value - 1);
    changed();
}

void CutCellVolumeDialog::changed()
{
    if (m_updating || !m_preview->isChecked() || !m_previewFunction)
        return;
    m_previewed = true;
    m_previewFunction(limits());
}

DrawRange CutCellVolumeDialog::limits() const
{
    DrawRange r;
    r.x0 = unsigned(m_axes[0].lower->value());
    r.x1 = unsigned(m_axes[0].upper->value());
    r.y0 = unsigned(m_axes[1].lower->value());
    r.y1 = unsigned(m_axes[1].upper->value());
    r.z0 = unsigned(m_axes[2].lower->value());
    r.z1 = unsigned(m_axes[2].upper->value());
    return r;
}

void CutCellVolumeDialog::setLimits(const DrawRange &limits)
{
    m_updating = true;
    const unsigned lower[3] = {limits.x0, limits.y0, limits.z0};
    const unsigned upper[3] = {limits.x1, limits.y1, limits.z1};
    for (int a = 0; a < 3; ++a) {
        m_axes[a].upper->setValue(int(std::min(std::max(upper[a], 1u), m_axes[a].size)));
        m_axes[a].lower->setValue(int(std::min(lower[a], m_axes[a].size - 1)));
    }
    m_updating = false;
    changed();
}

void CutCellVolumeDialog::reset()
{
    DrawRange full;
    full.x1 = m_axes[0].size;
    full.y1 = m_axes[1].size;
    full.z1 = m_axes[2].size;
    setLimits(full);
}

} // namespace Operations
} // namespace Ui
