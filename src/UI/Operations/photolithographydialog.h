#pragma once

#include "Core/Operations/Photolithography/maskimage.h"
#include "Model/Layout/layoutmask.h"

#include <QDialog>
#include <QVariantMap>

class QComboBox;

namespace Core {
namespace Operations {
class PhotolithographyOperation;
class ProcessOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

class MaskFileRow;
class MaskSourceBox;

// The resist and its top and bottom masks. A mask applied or removed here
// goes to the operation at once, so the volume shows it while the dialog is open.
class PhotolithographyDialog : public QDialog
{
    Q_OBJECT
public:
    static const char *const TopMaskNotFound;
    static const char *const BottomMaskNotFound;

    // preview: the operation whose overlays follow the masks, or null.
    explicit PhotolithographyDialog(Core::Operations::PhotolithographyOperation *preview, QWidget *parent = nullptr);
    explicit PhotolithographyDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    unsigned materialId() const;
    const Core::Operations::MaskImage &topMask() const;
    const Core::Operations::MaskImage &bottomMask() const;
    // The image rows of the two masks.
    MaskFileRow *topRow() const;
    MaskFileRow *bottomRow() const;
    MaskSourceBox *topSource() const { return m_top; }
    MaskSourceBox *bottomSource() const { return m_bottom; }
    // The volume's x-y grid that layout masks are drawn on.
    void setGrid(const Model::Layout::MaskGrid &grid);
    // The material and both masks' bits and sizes, by parameter name.
    QVariantMap values() const;
    void applyTo(Core::Operations::ProcessOperation &operation) const;
    // Whether a top or a bottom mask is loaded.
    bool hasMask() const;
    // What running with no mask does to the chosen film, in words.
    QString noMaskText() const;

public Q_SLOTS:
    // With no mask loaded, says what the step will do and asks before closing.
    void accept() override;

private:
    Core::Operations::PhotolithographyOperation *m_preview;
    MaskSourceBox *m_top;
    MaskSourceBox *m_bottom;
    QComboBox *m_material;
};

} // namespace Operations
} // namespace Ui
