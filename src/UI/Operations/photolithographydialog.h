#pragma once

#include "Core/Operations/Photolithography/maskimage.h"

#include <QDialog>
#include <QVariantMap>

class QComboBox;

namespace Core {
namespace Operations {
class PhotolithographyOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

class MaskFileRow;

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
    MaskFileRow *topRow() const { return m_top; }
    MaskFileRow *bottomRow() const { return m_bottom; }
    void applyTo(Core::Operations::PhotolithographyOperation &operation) const;

private:
    Core::Operations::PhotolithographyOperation *m_preview;
    MaskFileRow *m_top;
    MaskFileRow *m_bottom;
    QComboBox *m_material;
};

} // namespace Operations
} // namespace Ui
