#include "extractfilmdialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/CutGlue/extractfilm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

ExtractFilmDialog::ExtractFilmDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExtractFilmForm"));
    setWindowTitle(QStringLiteral("Extract Film"));
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxFilm"), 0);
    DialogFields::addRow(grid, this, QStringLiteral("lblFilm"), QStringLiteral("Select Film to Extract"), m_material);
    layout->addLayout(grid);
    m_invert = new QCheckBox(QStringLiteral("Invert film after extraction"), this);
    m_invert->setObjectName(QStringLiteral("chkInvert"));
    layout->addWidget(m_invert);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
}

void ExtractFilmDialog::applyTo(Core::Operations::ExtractFilm &operation) const
{
    if (m_material->currentIndex() >= 0)
        operation.setMaterial(MaterialComboBox::selectedId(m_material));
    operation.setInvert(m_invert->isChecked());
}

} // namespace Operations
} // namespace Ui
