#include "simpleriedialog.h"

#include "cellspinbox.h"
#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/ColumnProcesses/simplereactiveionetching.h"
#include "Core/Operations/ColumnProcesses/simplereactiveionetchingoperation.h"

#include <QDialogButtonBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

using Core::Operations::SimpleReactiveIonEtching;

SimpleRIEDialog::SimpleRIEDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SimpleRIEForm"));
    setWindowTitle(QStringLiteral("Simple RIE Options"));
    setFixedSize(400, 280);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_depth = cellSpinBox(this, QStringLiteral("sbxEtchDepth"), 1, 999999999, 1, QStringLiteral(" units"));
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxMaterial"), 0);
    DialogFields::addRow(grid, this, QStringLiteral("lblEtchDepth"), QStringLiteral("Etch Depth"), m_depth);
    DialogFields::addRow(grid, this, QStringLiteral("lblMaterial"), QStringLiteral("Select Material"), m_material);
    m_fromBelow = new QCheckBox(QStringLiteral("Etch from below"), this);
    m_fromBelow->setObjectName(QStringLiteral("chkEtchFromBelow"));
    m_fromTop = new QCheckBox(QStringLiteral("Etch from top"), this);
    m_fromTop->setObjectName(QStringLiteral("chkEtchFromTop"));
    m_fromTop->setChecked(true);
    layout->addLayout(grid);
    layout->addWidget(m_fromBelow);
    layout->addWidget(m_fromTop);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
}

void SimpleRIEDialog::fillFrom(const QVariantMap &parameters)
{
    setCellValue(m_depth, parameters.value(QStringLiteral("Etch Depth")));
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Material"));
    bool ok = false;
    const unsigned flags = parameters.value(QStringLiteral("EtchDirectionValue")).toUInt(&ok);
    if (ok) {
        m_fromTop->setChecked(flags & SimpleReactiveIonEtching::FromTop);
        m_fromBelow->setChecked(flags & SimpleReactiveIonEtching::FromBelow);
    }
}

unsigned SimpleRIEDialog::depth() const { return unsigned(m_depth->value()); }

unsigned SimpleRIEDialog::materialId() const { return MaterialComboBox::selectedId(m_material); }

bool SimpleRIEDialog::etchFromBelow() const { return m_fromBelow->isChecked(); }

bool SimpleRIEDialog::etchFromTop() const { return m_fromTop->isChecked(); }

void SimpleRIEDialog::applyTo(Core::Operations::SimpleReactiveIonEtchingOperation &operation) const
{
    operation.setEtchDepth(float(depth()));
    if (m_material->currentIndex() >= 0)
        operation.setMaterialId(materialId());
    operation.setEtchFromBelow(etchFromBelow());
    operation.setEtchFromTop(etchFromTop());
}

} // namespace Operations
} // namespace Ui
