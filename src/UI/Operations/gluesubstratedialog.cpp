#include "gluesubstratedialog.h"

#include "dialogfields.h"

#include "Core/Operations/CutGlue/gluesubstrateoperation.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace Ui {
namespace Operations {

namespace {
QSpinBox *spinBox(QWidget *parent, const QString &name, const QString &tip)
{
    QSpinBox *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, INT_MAX);
    box->setToolTip(tip);
    return box;
}
} // namespace

GlueSubstrateDialog::GlueSubstrateDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("GlueSubstrateForm"));
    setWindowTitle(QStringLiteral("Glue Substrate"));
    QVBoxLayout *layout = new QVBoxLayout(this);

    QGroupBox *size = new QGroupBox(QStringLiteral("Final Volume Size"), this);
    QGridLayout *sizeGrid = new QGridLayout(size);
    const QString sizeTip = QStringLiteral("This determines the final volume size.");
    m_sizeX = spinBox(size, QStringLiteral("sbxSizeX"), sizeTip);
    m_sizeY = spinBox(size, QStringLiteral("sbxSizeY"), sizeTip);
    m_sizeZ = spinBox(size, QStringLiteral("sbxSizeZ"),
                      QStringLiteral("If you wish to continue etching/depositing films on top of the result, you "
                                     "should increase the Z size accordingly."));
    DialogFields::addRow(sizeGrid, size, QStringLiteral("lblSizeX"), QStringLiteral("X"), m_sizeX);
    DialogFields::addRow(sizeGrid, size, QStringLiteral("lblSizeY"), QStringLiteral("Y"), m_sizeY);
    DialogFields::addRow(sizeGrid, size, QStringLiteral("lblSizeZ"), QStringLiteral("Z"), m_sizeZ);
    layout->addWidget(size);

    QGroupBox *shift = new QGroupBox(QStringLiteral("Top Substrate Displacement"), this);
    QGridLayout *shiftGrid = new QGridLayout(shift);
    const QString shiftTip =
        QStringLiteral("Allows you to move the top substrate around if it is smaller than the bottom substrate.");
    m_dx = spinBox(shift, QStringLiteral("sbxDisplacementX"), shiftTip);
    m_dy = spinBox(shift, QStringLiteral("sbxDisplacementY"), shiftTip);
    DialogFields::addRow(shiftGrid, shift, QStringLiteral("lblDisplacementX"), QStringLiteral("X"), m_dx);
    DialogFields::addRow(shiftGrid, shift, QStringLiteral("lblDisplacementY"), QStringLiteral("Y"), m_dy);
    layout->addWidget(shift);

    m_invert = new QCheckBox(QStringLiteral("Invert Top Substrate"), this);
    m_invert->setObjectName(QStringLiteral("chkInvertTopSubstrate"));
    m_invert->setToolTip(QStringLiteral(
        "Flips the top substrate around the Y axis. This is the same as what would happen if  you hold the base "
        "substrate on your left hand and the top substrate on your right hand and then placing your right hand palm "
        "down on your left."));
    m_invert->setStatusTip(QStringLiteral("Flips the top substrate around the Y axis."));
    layout->addWidget(m_invert);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
}

void GlueSubstrateDialog::setDefaults(const Core::Operations::SubstrateGluer::Layout &l)
{
    const auto clampInt = [](unsigned v) { return int(std::min<unsigned>(v, INT_MAX)); };
    m_sizeX->setMinimum(clampInt(l.sizeX));
    m_sizeX->setValue(clampInt(l.sizeX));
    m_sizeX->setEnabled(false);
    m_sizeY->setMinimum(clampInt(l.sizeY));
    m_sizeY->setValue(clampInt(l.sizeY));
    m_sizeY->setEnabled(false);
    m_sizeZ->setMinimum(clampInt(l.sizeZ));
    m_sizeZ->setValue(clampInt(l.sizeZ));
    m_dx->setMaximum(clampInt(l.maxDisplacementX));
    m_dy->setMaximum(clampInt(l.maxDisplacementY));
}

void GlueSubstrateDialog::applyTo(Core::Operations::GlueSubstrateOperation &operation) const
{
    operation.setFinalSize(unsigned(m_sizeX->value()), unsigned(m_sizeY->value()), unsigned(m_sizeZ->value()));
    operation.setDisplacement(unsigned(m_dx->value()), unsigned(m_dy->value()));
    operation.setInvert(m_invert->isChecked());
}

} // namespace Operations
} // namespace Ui
