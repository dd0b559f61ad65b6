#include "maskedcutoptionsdialog.h"

#include "dialogfields.h"
#include "maskfilerow.h"
#include "photolithographydialog.h"

#include "Core/Operations/Photolithography/maskedcutcellvolumeoperation.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

using Core::Operations::MaskImage;

MaskedCutOptionsDialog::MaskedCutOptionsDialog(Core::Operations::MaskedCutCellVolumeOperation *preview,
                                               QWidget *parent)
    : QDialog(parent), m_preview(preview)
{
    setObjectName(QStringLiteral("MaskedCutOptionsDialog"));
    setWindowTitle(QStringLiteral("Masked Cell Cut Options"));
    setFixedSize(370, 180);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_row = new MaskFileRow(QStringLiteral("Mask"), QString::fromLatin1(PhotolithographyDialog::TopMaskNotFound), this);
    DialogFields::addRow(grid, this, QStringLiteral("lblMask"), QStringLiteral("Top Down Cut Mask"), m_row);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
    m_row->onChanged = [this](const MaskImage &mask) {
        if (m_preview)
            m_preview->setMask(mask.bits, mask.width, mask.height);
    };
}

MaskedCutOptionsDialog::MaskedCutOptionsDialog(QWidget *parent) : MaskedCutOptionsDialog(nullptr, parent) {}

const MaskImage &MaskedCutOptionsDialog::mask() const { return m_row->mask(); }

void MaskedCutOptionsDialog::applyTo(Core::Operations::MaskedCutCellVolumeOperation &operation) const
{
    operation.setMask(mask().bits, mask().width, mask().height);
}

} // namespace Operations
} // namespace Ui
