#pragma once

#include "Model/Geometry/drawrange.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QSlider;
class QSpinBox;

namespace Ui {
namespace Operations {

// Lower and upper cut limits per axis, each a slider and a spin box kept in
// step. With Preview checked every change is shown at once through preview.
class CutCellVolumeDialog : public QDialog
{
    Q_OBJECT
public:
    typedef std::function<void(const Model::Geometry::DrawRange &)> Preview;

    CutCellVolumeDialog(unsigned sizeX, unsigned sizeY, unsigned sizeZ, const Model::Geometry::DrawRange &limits,
                        const Preview &preview = Preview(), QWidget *parent = nullptr);

    Model::Geometry::DrawRange limits() const;
    void setLimits(const Model::Geometry::DrawRange &limits);
    // True once the preview showed something other than the limits the dialog opened with.
    bool previewed() const { return m_previewed; }

public Q_SLOTS:
    void reset();

private:
    struct Axis
    {
        QSlider *lowerSlider, *upperSlider;
        QSpinBox *lower, *upper;
        unsigned size;
    };
    void lowerChanged(int axis, int value);
    void upperChanged(int axis, int value);
    void changed();

    Axis m_axes[3];
    QCheckBox *m_preview;
    Preview m_previewFunction;
    bool m_previewed = false;
    bool m_updating = false;
};

} // namespace Operations
} // namespace Ui
