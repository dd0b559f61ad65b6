#pragma once

#include "Core/Operations/Photolithography/maskimage.h"
#include "Model/Layout/gdsiilibrary.h"
#include "Model/Layout/layoutmask.h"

#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace Ui {
namespace Operations {

class MaskFileRow;

// A mask drawn from a GDSII layout: the file ("Load" reads it and fills the
// structure and layer combos), the structure, the layer/datatype, the layout
// position of the volume's origin and the layout length of one cell unit.
// "Apply" rasterises the choice onto the volume's grid and shows the result
// over the volume's outline in the preview.
class LayoutMaskPanel : public QWidget
{
public:
    // prefix names the widgets: lie<prefix>Layout, tbt<prefix>Layout, btnLoad<prefix>Layout,
    // cbx<prefix>Structure, cbx<prefix>Layer, dbl<prefix>OriginX, dbl<prefix>OriginY,
    // dbl<prefix>Scale, btnApply<prefix>Layout, btnRemove<prefix>Layout, lbl<prefix>Preview.
    LayoutMaskPanel(const QString &prefix, QWidget *parent);

    std::function<void(const Core::Operations::MaskImage &)> onChanged;
    std::function<void(const QString &)> warn;

    // The volume's x-y grid; without one, "Apply" cannot draw and the mask stays empty.
    void setGrid(const Model::Layout::MaskGrid &grid);
    bool hasGrid() const { return m_grid.sizeX != 0 && m_grid.sizeY != 0; }

    QString fileName() const;
    void setFileName(const QString &name);
    // Reads the file named; false (a warning, combos emptied) when it cannot be read.
    bool load();
    // Rasterises the current choice; false (a warning, mask kept) on failure.
    bool apply();
    // apply() without the warning: false with the reason in error.
    bool rasterize(QString &error);
    void remove();
    void choose();

    // The current choice; structure empty means the top structure.
    Model::Layout::MaskPlacement placement() const;
    // Selects the stored choice after load(); the origin and scale are set even without a file.
    void select(const Model::Layout::MaskPlacement &placement);

    const Core::Operations::MaskImage &mask() const { return m_mask; }
    // A mask given from elsewhere (a list's stored bits), shown in the preview.
    void setMask(const Core::Operations::MaskImage &mask);

private:
    void fillLayers();
    void showPreview();

    QLineEdit *m_file;
    QComboBox *m_structure;
    QComboBox *m_layer;
    QDoubleSpinBox *m_originX;
    QDoubleSpinBox *m_originY;
    QDoubleSpinBox *m_scale;
    QLabel *m_preview;
    Model::Layout::GdsiiLibrary m_library;
    bool m_loaded = false;
    Model::Layout::MaskGrid m_grid;
    Core::Operations::MaskImage m_mask;
};

// One mask of a mask dialog: "Image" (a MaskFileRow) or "GDSII" (a LayoutMaskPanel).
class MaskSourceBox : public QWidget
{
public:
    // prefix names the widgets as MaskFileRow and LayoutMaskPanel do, plus cbx<prefix>Source.
    MaskSourceBox(const QString &prefix, const QString &notFound, QWidget *parent);

    std::function<void(const Core::Operations::MaskImage &)> onChanged;

    bool isLayout() const;
    void setLayout(bool layout);
    MaskFileRow *imageRow() const { return m_image; }
    LayoutMaskPanel *layoutPanel() const { return m_layout; }
    // The mask of the chosen source.
    const Core::Operations::MaskImage &mask() const;
    void setGrid(const Model::Layout::MaskGrid &grid) { m_layout->setGrid(grid); }
    // Shows the warnings of both sources through one function.
    void setWarn(const std::function<void(const QString &)> &warn);

    // A step's stored layout choice under prefix ("Top Mask Source" == "GDSII",
    // "Top Mask File", "Top Mask Structure", ...); false when the step holds an image mask.
    bool fillFromLayout(const QVariantMap &parameters, const QString &prefix);

private:
    QComboBox *m_source;
    QStackedWidget *m_pages;
    MaskFileRow *m_image;
    LayoutMaskPanel *m_layout;
};

} // namespace Operations
} // namespace Ui
