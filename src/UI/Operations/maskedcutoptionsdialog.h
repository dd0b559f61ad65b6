#pragma once

#include "Core/Operations/Photolithography/maskimage.h"

#include <QDialog>

namespace Core {
namespace Operations {
class MaskedCutCellVolumeOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

class MaskFileRow;
class MaskSourceBox;

// The "Top Down Cut Mask" of a masked cut; an applied mask is shown on the volume at once.
class MaskedCutOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MaskedCutOptionsDialog(Core::Operations::MaskedCutCellVolumeOperation *preview,
                                    QWidget *parent = nullptr);
    explicit MaskedCutOptionsDialog(QWidget *parent = nullptr);

    const Core::Operations::MaskImage &mask() const;
    // The image row of the mask.
    MaskFileRow *maskRow() const;
    MaskSourceBox *maskSource() const { return m_source; }
    void applyTo(Core::Operations::MaskedCutCellVolumeOperation &operation) const;

private:
    Core::Operations::MaskedCutCellVolumeOperation *m_preview;
    MaskSourceBox *m_source;
};

} // namespace Operations
} // namespace Ui
