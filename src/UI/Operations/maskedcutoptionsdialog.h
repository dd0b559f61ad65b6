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

// The "Top Down Cut Mask" of a masked cut; an applied mask is shown on the volume at once.
class MaskedCutOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MaskedCutOptionsDialog(Core::Operations::MaskedCutCellVolumeOperation *preview,
                                    QWidget *parent = nullptr);
    explicit MaskedCutOptionsDialog(QWidget *parent = nullptr);

    const Core::Operations::MaskImage &mask() const;
    MaskFileRow *maskRow() const { return m_row; }
    void applyTo(Core::Operations::MaskedCutCellVolumeOperation &operation) const;

private:
    Core::Operations::MaskedCutCellVolumeOperation *m_preview;
    MaskFileRow *m_row;
};

} // namespace Operations
} // namespace Ui
