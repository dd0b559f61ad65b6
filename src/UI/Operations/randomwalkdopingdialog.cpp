#include "randomwalkdopingdialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/processoperation.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"

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

namespace {
const double MinutesToSeconds = 60.0;
const double CmSquaredToMetres = 1e-4;
const double MicronsToMetres = 1e-6;
const double PerCubicCmToPerCubicMetre = 1e6;
} // namespace

const Core::Steps::StepDefinition &RandomWalkDopingDialog::definition()
{
    return *Core::Steps::StepRegistry::instance().ofType(Core::Steps::ProcessData::RandomWalkDoping);
}

const Core::Steps::StepParameter &RandomWalkDopingDialog::param(const char *field)
{
    for (const Core::Steps::StepParameter &param : definition().parameters)
        if (param.field == QLatin1String(field))
            return param;
    Q_UNREACHABLE();
}

RandomWalkDopingDialog::RandomWalkDopingDialog(QWidget *parent) : QDialog(parent)
{
    const Core::Steps::DialogForm &form = definition().form;
    setObjectName(form.objectName);
    setWindowTitle(form.title);
    resize(form.width, form.height);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;

    // The defaults are the step's, in SI units; the fields show them in the units below.
    const Core::Steps::StepParameter &time = param("DopingTime"), &material = param("DopedMaterial"),
                                     &diffusion = param("DiffusionCoefficient"), &cellSize = param("CellSize"),
                                     &timeStep = param("TimeStepDuration"), &concentration = param("DopantConcentration"),
                                     &threshold = param("ThresholdRatio"), &surface = param("Surface");
    m_time = DialogFields::doubleSpinBox(this, QStringLiteral("dblDopingTime"), 2, 0, 1e9,
                                         time.defaultValue.toDouble() / MinutesToSeconds, QStringLiteral(" minutes"));
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxDopedMaterial"), material.materials);
    m_material->setToolTip(material.hint);
    QDoubleValidator *validator = new QDoubleValidator(0, 1e120, 6, this);
    const auto line = [this, validator](const QString &name, double value) {
        QLineEdit *edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setValidator(validator);
        edit->setText(QString::number(value));
        return edit;
    };
    m_diffusion = line(QStringLiteral("lineDiffusionCoefficient"), diffusion.defaultValue.toDouble() / CmSquaredToMetres);
    m_cellSize = line(QStringLiteral("lineCellSize"), cellSize.defaultValue.toDouble() / MicronsToMetres);
    m_timeStep = line(QStringLiteral("lineTimeStepDuration"), timeStep.defaultValue.toDouble());
    m_concentration = line(QStringLiteral("lineDopantConcentration"),
                           concentration.defaultValue.toDouble() / PerCubicCmToPerCubicMetre);
    m_threshold = DialogFields::doubleSpinBox(
        this, QStringLiteral("dblThresholdRatio"), 2, 0, 1e9,
        100.0 * threshold.defaultValue.toDouble() / concentration.defaultValue.toDouble(), QStringLiteral(" %"));
    m_threshold->setToolTip(threshold.hint);
    m_surface = new QComboBox(this);
    m_surface->setObjectName(QStringLiteral("cbxSurface"));
    for (const Core::Steps::Choice &choice : surface.choices)
        m_surface->addItem(choice.label, choice.value);
    m_surface->setCurrentIndex(m_surface->findData(surface.defaultValue.toInt()));
    m_surface->setToolTip(surface.hint);

    DialogFields::addRow(grid, this, QStringLiteral("lblDopingTime"), time.label, m_time);
    DialogFields::addRow(grid, this, QStringLiteral("lblDopingMaterial"), material.label, m_material);
    const auto withUnit = [this](QLineEdit *edit, const QString &unit) {
        QWidget *box = new QWidget(this);
        QHBoxLayout *row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(edit);
        row->addWidget(new QLabel(unit, box));
        return box;
    };
    DialogFields::addRow(grid, this, QStringLiteral("lblDiffusionCoefficient"), diffusion.label,
                         withUnit(m_diffusion, QStringLiteral("cm\u00b2/s")));
    DialogFields::addRow(grid, this, QStringLiteral("lblCellSize"), cellSize.label,
                         withUnit(m_cellSize, QStringLiteral("\u00b5m")));
    DialogFields::addRow(grid, this, QStringLiteral("lblTimeStepDuration"), timeStep.label,
                         withUnit(m_timeStep, QStringLiteral("s")));
    DialogFields::addRow(grid, this, QStringLiteral("lblDopantConcentration"), concentration.label,
                         withUnit(m_concentration, QStringLiteral("cm\u207b\u00b3")));
    DialogFields::addRow(grid, this, QStringLiteral("lblThreshold"), threshold.label, m_threshold);
    DialogFields::addRow(grid, this, QStringLiteral("lblSurface"), surface.label, m_surface);
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
int RandomWalkDopingDialog::surface() const { return m_surface->currentData().toInt(); }

QString RandomWalkDopingDialog::validationError() const { return Core::Steps::refusalOf(definition(), values()); }

QVariantMap RandomWalkDopingDialog::values() const
{
    QVariantMap values;
    values.insert(param("DiffusionCoefficient").name, diffusionCoefficient());
    values.insert(param("CellSize").name, cellSize());
    values.insert(param("TimeStepDuration").name, timeStep());
    values.insert(param("DopantConcentration").name, surfaceConcentration());
    if (m_material->currentIndex() >= 0)
        values.insert(param("DopedMaterial").name, materialId());
    values.insert(param("DopingTime").name, dopingTime());
    values.insert(param("ThresholdRatio").name, thresholdConcentration());
    values.insert(param("Surface").name, surface());
    return values;
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
    const auto value = [&](const char *field, double &out) {
        const QVariant stored = parameters.value(param(field).name);
        bool ok = false;
        out = stored.toDouble(&ok);
        return stored.isValid() && ok;
    };
    double v = 0;
    if (value("DiffusionCoefficient", v))
        m_diffusion->setText(QString::number(v / CmSquaredToMetres));
    if (value("CellSize", v))
        m_cellSize->setText(QString::number(v / MicronsToMetres));
    if (value("TimeStepDuration", v))
        m_timeStep->setText(QString::number(v));
    if (value("DopantConcentration", v))
        m_concentration->setText(QString::number(v / PerCubicCmToPerCubicMetre));
    if (value("DopingTime", v))
        m_time->setValue(v / MinutesToSeconds);
    const double shown = number(m_concentration) * PerCubicCmToPerCubicMetre * 0.01;
    if (value("ThresholdRatio", v) && shown > 0)
        m_threshold->setValue(v / shown);
    const QVariant surface = parameters.value(param("Surface").name);
    if (surface.isValid() && m_surface->findData(surface.toInt()) >= 0)
        m_surface->setCurrentIndex(m_surface->findData(surface.toInt()));
    m_updating = false;
    m_diffusionEdited = m_cellSizeEdited = m_timeStepEdited = false;
    DialogFields::selectMaterial(m_material, parameters, param("DopedMaterial").name);
}

void RandomWalkDopingDialog::applyTo(Core::Operations::ProcessOperation &operation) const
{
    operation.setValues(values());
}

} // namespace Operations
} // namespace Ui
