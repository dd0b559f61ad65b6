#pragma once

#include "Core/Operations/CutGlue/substrategluer.h"

#include <QDialog>

class QCheckBox;
class QSpinBox;

namespace Core {
namespace Operations {
class GlueSubstrateOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Final size, top displacement and inversion of a glue.
class GlueSubstrateDialog : public QDialog
{
    Q_OBJECT
public:
    explicit GlueSubstrateDialog(QWidget *parent = nullptr);

    // X and Y are fixed at the computed size; Z may only grow; the
    // displacement keeps the top inside the final footprint.
    void setDefaults(const Core::Operations::SubstrateGluer::Layout &layout);
    void applyTo(Core::Operations::GlueSubstrateOperation &operation) const;

private:
    QSpinBox *m_sizeX, *m_sizeY, *m_sizeZ;
    QSpinBox *m_dx, *m_dy;
    QCheckBox *m_invert;
};

} // namespace Operations
} // namespace Ui
