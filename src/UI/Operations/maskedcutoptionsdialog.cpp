#include "maskedcutoptionsdialog.h"

#include "dialogfields.h"
#include "layoutmaskpanel.h"
#include "maskfilerow.h"
#include "photolithographydialog.h"

#include "Core/Operations/Photolithography/maskedcutcellvolumeoperation.h"
#include "Model/Automaton/totalvolume.h"

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
    setMinimumWidth(370);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_source = new MaskSourceBox(QStringLiteral("Mask"), QString::fromLatin1(PhotolithographyDialog::TopMaskNotFound), this);
    DialogFields::addRow(grid, this, QStringLiteral("lblMask"), QStringLiteral("Top Down Cut Mask"), m_source);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (m_preview)
        if (const boost::shared_ptr<Model::Automaton::TotalVolume> volume = m_preview->getVolume())
            m_source->setGrid(Model::Layout::MaskGrid{volume->getSizeX(), volume->getSizeY(), volume->getCellSizeX(),
                                                      volume->getCellSizeY()});
    m_source->onChanged = [this](const MaskImage &mask) {
        if (m_preview)
            m_preview->setMask(mask.bits, mask.width, mask.height);
    };
}

MaskedCutOptionsDialog::MaskedCutOptionsDialog(QWidget *parent) : MaskedCutOptionsDialog(nullptr, parent) {}

const MaskImage &MaskedCutOptionsDialog::mask() const { return m_source->mask(); }

MaskFileRow *MaskedCutOptionsDialog::maskRow() const { return m_source->imageRow(); }

void MaskedCutOptionsDialog::applyTo(Core::Operations::MaskedCutCellVolumeOperation &operation) const
{
    operation.setMask(mask().bits, mask().width, mask().height);
}

} // namespace Operations
} // namespace Ui
