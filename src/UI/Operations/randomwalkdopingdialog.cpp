#include "randomwalkdopingdialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/DopingOperation/randomwalkdoping.h"
#include "Core/Operations/DopingOperation/randomwalkdopingoperation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

using Core::Operations::RandomWalkDoping;

namespace {
const double MinutesToSeconds = 60.0;
const double CmSquaredToMetres = 1e-4;
const double MicronsToMetres = 1e-6;
const double PerCubicCmToPerCubicMetre = 1e6;
} // namespace

RandomWalkDopingDialog::RandomWalkDopingDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RandomWalkDopingBaseDialog"));
    setWindowTitle(QStringLiteral("Random Walk Doping Options"));
    resize(400, 550);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;

    m_time = DialogFields::doubleSpinBox(this, QStringLiteral("dblDopingTime"), 2, 0, 1e9, 60, QStringLiteral(" minutes"));
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxDopedMaterial"), RandomWalkDoping::DopableProcessId);
    m_material->setToolTip(QStringLiteral("This is the doped material. Not to be confused with the materials that "
                                          "will be doped. All materials in the list will be doped, plus Si."));
    QDoubleValidator *validator = new QDoubleValidator(0, 1e120, 6, this);
    const auto line = [this, validator](const QString &name, double value) {
        QLineEdit *edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setValidator(validator);
        edit->setText(QString::number(value));
        return edit;
    };
    m_diffusion = line(QStringLiteral("lineDiffusionCoefficient"), 2.6e-14);
    m_cellSize = line(QStringLiteral("lineCellSize"), 0.1);
    m_timeStep = line(QStringLiteral("lineTimeStepDuration"), 320.5128205128206);
    m_concentration = line(QStringLiteral("lineDopantConcentration"), 1e-15);
    m_threshold = DialogFields::doubleSpinBox(this, QStringLiteral("dblThresholdRatio"), 2, 0, 1e9, 10, QStringLiteral(" %"));
    m_threshold->setToolTip(QStringLiteral("This informs the software of the minimum concentration in the cell to "
                                           "change the cell state to the doping material."));

    DialogFields::addRow(grid, this, QStringLiteral("lblDopingTime"), QStringLiteral("Doping Time"), m_time);
    DialogFields::addRow(grid, this, QStringLiteral("lblDopingMaterial"), QStringLiteral("Doping Material"), m_material);
    const auto withUnit = [this](QLineEdit *edit, const QString &unit) {
        QWidget *box = new QWidget(this);
        QHBoxLayout *row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(edit);
        row->addWidget(new QLabel(unit, box));
        return box;
    };
    DialogFields::addRow(grid, this, QStringLiteral("lblDiffusionCoefficient"), QStringLiteral("Diffusion Coefficient"),
                         withUnit(m_diffusion, QStringLiteral("cm\u00b2/s")));
    DialogFields::addRow(grid, this, QStringLiteral("lblCellSize"), QStringLiteral("Cell Size"),
                         withUnit(m_cellSize, QStringLiteral("\u00b5m")));
    DialogFields::addRow(grid, this, QStringLiteral("lblTimeStepDuration"), QStringLiteral("Time Step Duration"),
                         withUnit(m_timeStep, QStringLiteral("s")));
    DialogFields::addRow(grid, this, QStringLiteral("lblDopantConcentration"), QStringLiteral("Dopant concentration"),
                         withUnit(m_concentration, QStringLiteral("cm\u207b\u00b3")));
    DialogFields::addRow(grid, this, QStringLiteral("lblThreshold"), QStringLiteral("Threshold"), m_threshold);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));

    connect(m_diffusion, &QLineEdit::textChanged, this, &RandomWalkDopingDialog::on_lineDiffusionCoefficient_textChanged);
    connect(m_diffusion, &QLineEdit::editingFinished, this,
            &RandomWalkDopingDialog::on_lineDiffusionCoefficient_editingFinished);
    connect(m_cellSize, &QLineEdit::textChanged, this, &RandomWalkDopingDialog::on_lineCellSize_textChanged);
    connect(m_cellSize, &QLineEdit::editingFinished, this, &RandomWalkDopingDialog::on_lineCellSize_editingFinished);
    connect(m_timeStep, &QLineEdit::textChanged, this, &RandomWalkDopingDialog::on_lineTimeStepDuration_textChanged);
    connect(m_timeStep, &QLineEdit::editingFinished, this,
            &RandomWalkDopingDialog::on_lineTimeStepDuration_editingFinished);
}

double RandomWalkDopingDialog::number(const QLineEdit *line) { return line->text().toDouble(); }

void RandomWalkDopingDialog::setNumber(QLineEdit *line, double value)
{
    m_updating = true;
    line->setText(QString::number(value));
    m_updating = false;
}

void RandomWalkDopingDialog::on_lineDiffusionCoefficient_textChanged()
{
    if (!m_updating)
        m_diffusionEdited = true;
}

void RandomWalkDopingDialog::on_lineDiffusionCoefficient_editingFinished()
{
    if (!m_diffusionEdited)
        return;
    m_diffusionEdited = false;
    const double length = number(m_cellSize) * MicronsToMetres;
    const double d = number(m_diffusion) * CmSquaredToMetres;
    if (d > 0)
        setNumber(m_timeStep, 0.5 * length * length / (6.0 * d));
}

void RandomWalkDopingDialog::on_lineCellSize_textChanged()
{
    if (!m_updating)
        m_cellSizeEdited = true;
}

void RandomWalkDopingDialog::on_lineCellSize_editingFinished()
{
    if (!m_cellSizeEdited)
        return;
    m_cellSizeEdited = false;
    const double length = number(m_cellSize) * MicronsToMetres;
    const double dt = number(m_timeStep);
    if (dt > 0)
        setNumber(m_diffusion, 0.5 * length * length * 1e4 / (6.0 * dt));
}

void RandomWalkDopingDialog::on_lineTimeStepDuration_textChanged()
{
    if (!m_updating)
        m_timeStepEdited = true;
}

void RandomWalkDopingDialog::on_lineTimeStepDuration_editingFinished()
{
    if (!m_timeStepEdited)
        return;
    m_timeStepEdited = false;
    const double length = number(m_cellSize) * MicronsToMetres;
    const double dt = number(m_timeStep);
    if (dt > 0)
        setNumber(m_diffusion, 0.5 * length * length * 1e4 / (6.0 * dt));
}

double RandomWalkDopingDialog::dopingTime() const { return m_time->value() * MinutesToSeconds; }
double RandomWalkDopingDialog::diffusionCoefficient() const { return number(m_diffusion) * CmSquaredToMetres; }
double RandomWalkDopingDialog::cellSize() const { return number(m_cellSize) * MicronsToMetres; }
double RandomWalkDopingDialog::timeStep() const { return number(m_timeStep); }
double RandomWalkDopingDialog::surfaceConcentration() const
{
    return number(m_concentration) * PerCubicCmToPerCubicMetre;
}
double RandomWalkDopingDialog::thresholdConcentration() const
{
    return number(m_concentration) * PerCubicCmToPerCubicMetre * m_threshold->value() * 0.01;
}
unsigned RandomWalkDopingDialog::materialId() const { return MaterialComboBox::selectedId(m_material); }

QString RandomWalkDopingDialog::validationError() const
{
    return RandomWalkDoping::checkParameters(diffusionCoefficient(), timeStep(), cellSize(), surfaceConcentration(),
                                             thresholdConcentration());
}

void RandomWalkDopingDialog::accept()
{
    // A step the walk cannot take is refused here, not carried into the operation.
    const QString error = validationError();
    if (!error.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), error);
        return;
    }
    QDialog::accept();
}

void RandomWalkDopingDialog::fillFrom(const QVariantMap &parameters)
{
    m_updating = true;
    const auto present = [&](const char *name) { return parameters.contains(QString::fromLatin1(name)); };
    const auto value = [&](const char *name) { return parameters.value(QString::fromLatin1(name)).toDouble(); };
    if (present("Diffusion Coefficient"))
        m_diffusion->setText(QString::number(value("Diffusion Coefficient") / CmSquaredToMetres));
    if (present("Cell Size"))
        m_cellSize->setText(QString::number(value("Cell Size") / MicronsToMetres));
    if (present("Time Step Duration"))
        m_timeStep->setText(QString::number(value("Time Step Duration")));
    if (present("Surface Concentration"))
        m_concentration->setText(QString::number(value("Surface Concentration") / PerCubicCmToPerCubicMetre));
    if (present("Doping Time"))
        m_time->setValue(value("Doping Time") / MinutesToSeconds);
    const double shown = number(m_concentration) * PerCubicCmToPerCubicMetre * 0.01;
    if (present("Doping Threshold") && shown > 0)
        m_threshold->setValue(value("Doping Threshold") / shown);
    m_updating = false;
    m_diffusionEdited = m_cellSizeEdited = m_timeStepEdited = false;
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Material"));
}

void RandomWalkDopingDialog::applyTo(Core::Operations::RandomWalkDopingOperation &operation) const
{
    operation.setCellSize(cellSize());
    operation.setDiffusionCoefficient(diffusionCoefficient());
    if (m_material->currentIndex() >= 0)
        operation.setMaterial(materialId());
    operation.setSurfaceConcentration(surfaceConcentration());
    operation.setDopingThreshold(thresholdConcentration());
    operation.setDopingTime(dopingTime());
    operation.setTimeStepDuration(timeStep());
}

} // namespace Operations
} // namespace Ui
