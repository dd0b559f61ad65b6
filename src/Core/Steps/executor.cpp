#include "executor.h"

#include "steprun.h"
#include "stepregistry.h"

#include "Core/Operations/stoppablework.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/fieldpainter.h"
#include "Model/Materials/materialfactory.h"
#include "Util/nearestnames.h"
#include "Util/stoptoken.h"

#include <QElapsedTimer>

#include <cmath>
#include <exception>
#include <limits>
#include <new>

namespace Core {
namespace Steps {

using Model::Automaton::TotalVolume;

const QString MaskSourceLayout = QStringLiteral("GDSII");
const QString MaskSourceImage = QStringLiteral("Image");

namespace {

const unsigned SiliconMaterial = 1;

int missing(const QString &name, QString &detail)
{
    detail = QStringLiteral("The parameter \"%1\" is missing or has no value.").arg(name);
    return StepMissingParameter;
}

int unconvertible(const QString &name, const char *expected, QString &detail)
{
    detail = QStringLiteral("The value of \"%1\" is not %2.").arg(name, QLatin1String(expected));
    return StepInvalidParameter;
}

int outOfRange(const StepParameter &param, double value, QString &detail)
{
    // The two common ranges keep the sentences lists and scripts have always had.
    if (param.minimum == 0 && !param.hasMaximum())
        detail = param.aboveMinimum
                     ? QStringLiteral("\"%1\" must be a finite number above zero, not %2.").arg(param.name).arg(value)
                     : QStringLiteral("\"%1\" must be a finite number of zero or more, not %2.").arg(param.name).arg(value);
    else
        detail = QStringLiteral("\"%1\" must be a finite number from %2, not %3.")
                     .arg(param.name, param.rangeText(), StepParameter::number(value));
    return StepInvalidParameter;
}

bool inRange(const StepParameter &param, double value)
{
    if (!std::isfinite(value))
        return false;
    if (param.aboveMinimum ? !(value > param.minimum) : !(value >= param.minimum))
        return false;
    // A bound taken from the volume is the dialog's; the engines clip to the volume.
    return value <= param.maximum;
}

// A whole number as the option dialogs take it: a stored fraction counts by its whole part.
bool wholeNumber(const QVariant &value, double &number)
{
    bool isNumber = false;
    number = value.toDouble(&isNumber);
    if (!isNumber || !(number >= 0 && number <= double(std::numeric_limits<unsigned>::max())))
        return false;
    number = std::floor(number);
    return true;
}

unsigned materialId(const StepParameter &param, const QVariant &value, QString &detail, int &code)
{
    const boost::shared_ptr<Model::Materials::MaterialFactory> catalogue = Model::Materials::MaterialFactory::instance();
    // A front end may name the material instead of giving its id.
    if (value.userType() == QMetaType::QString) {
        bool isNumber = false;
        value.toString().toUInt(&isNumber);
        if (!isNumber) {
            const Model::Materials::Material named = catalogue->findMaterial(value.toString());
            if (named.isEmpty()) {
                code = StepInvalidParameter;
                detail = QStringLiteral("There is no material named \"%1\" (given by \"%2\") in the materials "
                                        "catalogue.%3")
                             .arg(value.toString(), param.valueName(), materialSuggestion(value.toString()));
            }
            return named.getId();
        }
    }
    double number = 0;
    if (!wholeNumber(value, number)) {
        code = unconvertible(param.valueName(), "a whole number of zero or more", detail);
        return 0;
    }
    const unsigned id = unsigned(number);
    if (catalogue->getMaterial(id).isEmpty()) {
        code = StepInvalidParameter;
        detail = QStringLiteral("Material %1 given by \"%2\" is not in the materials catalogue.")
                     .arg(id)
                     .arg(param.valueName());
    }
    return id;
}

} // namespace

QString materialSuggestion(const QString &name)
{
    QStringList known;
    for (const Model::Materials::Material &material : Model::Materials::MaterialFactory::instance()->getMaterials())
        known << material.getName();
    const QMap<QString, QString> &aliases = Model::Materials::MaterialFactory::nameAliases();
    // An alias is near too, but the suggestion names the material as the catalogue does.
    QStringList nearest;
    for (const QString &found : Util::nearestNames(name, known + aliases.keys())) {
        const QString stored = aliases.value(found, found);
        if (!nearest.contains(stored))
            nearest << stored;
    }
    return Util::suggestionText(nearest);
}

bool applies(const StepParameter &param, const StepDefinition &definition, const ProcessData &step)
{
    if (param.when.isEmpty())
        return true;
    const StepParameter *controller = definition.parameter(param.when);
    const QVariant value = step.getParameters().value(param.when);
    if (!controller || !value.isValid())
        return false;
    if (controller->kind == ValueKind::Flag)
        return value.toBool() == param.whenValue.toBool();
    return value.toString() == param.whenValue.toString();
}

int StepValues::readOne(const StepParameter &param, const ProcessData &step, QString &detail)
{
    QVariant checked;
    const int code = readParameter(param, step, checked, detail);
    if (code == StepSucceeded && checked.isValid())
        m_values.insert(param.name, checked);
    return code;
}

int readParameter(const StepParameter &param, const ProcessData &step, QVariant &checked, QString &detail)
{
    checked = QVariant();
    const QString name = param.valueName();
    const QVariant value = step.getParameters().value(name);
    if (!value.isValid()) {
        if (param.optional)
            return StepSucceeded;
        // Reads through the step so the missing name reaches the debug log.
        step.getProcessParameter(name);
        return missing(name, detail);
    }
    switch (param.kind) {
    case ValueKind::Number: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok || value.userType() == QMetaType::Bool)
            return unconvertible(name, "a number", detail);
        if (!inRange(param, number))
            return outOfRange(param, number, detail);
        checked = number;
        break;
    }
    case ValueKind::WholeNumber: {
        double number = 0;
        if (!wholeNumber(value, number))
            return unconvertible(name, "a whole number of zero or more", detail);
        if (!inRange(param, number))
            return outOfRange(param, number, detail);
        checked = unsigned(number);
        break;
    }
    case ValueKind::Integer:
    case ValueKind::Choice:
    case ValueKind::Flags: {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok)
            return unconvertible(name, "a whole number", detail);
        if (param.kind == ValueKind::Integer) {
            if (!inRange(param, number))
                return outOfRange(param, number, detail);
        } else {
            bool known = false;
            for (const Choice &choice : param.choices)
                known = known || choice.value == number;
            if (!known) {
                detail = QStringLiteral("\"%1\" must be %2, not %3.").arg(name, param.choicesText()).arg(number);
                return StepInvalidParameter;
            }
        }
        checked = number;
        break;
    }
    case ValueKind::Flag:
        if (!value.canConvert<bool>())
            return unconvertible(name, "true or false", detail);
        checked = value.toBool();
        break;
    case ValueKind::Text:
        if (!value.canConvert<QString>())
            return unconvertible(name, "a text", detail);
        checked = value.toString();
        break;
    case ValueKind::Position: {
        if (value.userType() != qMetaTypeId<Util::Vector3D>())
            return unconvertible(name, "a position", detail);
        double x = 0, y = 0, z = 0;
        value.value<Util::Vector3D>().get(x, y, z);
        if (!(std::isfinite(x) && std::isfinite(y) && std::isfinite(z))) {
            detail = QStringLiteral("\"%1\" must be a finite position.").arg(name);
            return StepInvalidParameter;
        }
        checked = value;
        break;
    }
    case ValueKind::Material: {
        int code = StepSucceeded;
        const unsigned id = materialId(param, value, detail, code);
        if (code != StepSucceeded)
            return code;
        checked = id;
        break;
    }
    case ValueKind::Mask:
        if (value.userType() != qMetaTypeId<std::vector<bool>>())
            return unconvertible(name, "a bit mask", detail);
        checked = value;
        break;
    }
    return StepSucceeded;
}

int StepValues::read(const StepDefinition &definition, const ProcessData &step, QString &detail)
{
    m_values.clear();
    for (const StepParameter &param : definition.parameters) {
        if (param.readByRun || !applies(param, definition, step))
            continue;
        const int code = readOne(param, step, detail);
        if (code != StepSucceeded)
            return code;
    }
    // A parameter that may not exceed another (a height range, say).
    for (const StepParameter &param : definition.parameters) {
        if (param.notAbove.isEmpty() || !has(param.name) || !has(param.notAbove))
            continue;
        const double value = this->value(param.name).toDouble(), limit = this->value(param.notAbove).toDouble();
        if (value > limit) {
            detail = QStringLiteral("\"%1\" (%2) is above \"%3\" (%4).")
                         .arg(param.name, StepParameter::number(value), param.notAbove, StepParameter::number(limit));
            return StepInvalidParameter;
        }
    }
    return StepSucceeded;
}

unsigned wholeLayers(double value)
{
    if (!(value > 0))
        return 0;
    return value >= double(std::numeric_limits<unsigned>::max()) ? std::numeric_limits<unsigned>::max()
                                                                   : unsigned(value);
}

QString processStepResultText(int code)
{
    switch (code) {
    case StepSucceeded:
        return QStringLiteral("No error, process was run successfully.");
    case StepMissingParameter:
        return QStringLiteral("A required parameter was not found. Check input list.");
    case StepInvalidParameter:
        return QStringLiteral("Value for a required parameter is invalid. Check input list.");
    case StepUnknownProcess:
        return QStringLiteral("Unknown process. Remove process from the list.");
    case StepNotImplemented:
        return QStringLiteral("Process is not implemented. Remove process from the list.");
    case StepStopped:
        return QStringLiteral("Stopped on request before the process finished; its cells were put back.");
    case StepNoVolume:
        return QStringLiteral("No cell volume was selected and a cell volume was not created. The cell volume "
                              "must be created before any other process.");
    default:
        return QString();
    }
}

const StepDefinition *stepNamed(const QString &name, QString *detail)
{
    const StepDefinition *definition = StepRegistry::instance().named(name);
    if ((!definition || !definition->inLists()) && detail) {
        QStringList known;
        for (const StepDefinition *step : StepRegistry::instance().steps())
            if (step->inLists())
                known << step->names();
        *detail = QStringLiteral("There is no process named \"%1\".%2").arg(name, Util::didYouMean(name, known));
    }
    return definition && definition->inLists() ? definition : nullptr;
}

QString unknownParameterText(const StepDefinition &definition, const QString &name, const QStringList &known,
                             const QString &quote)
{
    const QStringList candidates = known.isEmpty() ? definition.parameterNames() : known;
    return QStringLiteral("The process \"%1\" has no parameter \"%2\".%3")
        .arg(definition.name, name, Util::didYouMean(name, candidates, quote));
}

bool outdatesLattice(const StepDefinition &definition, const ProcessData &step)
{
    switch (definition.lattice) {
    case LatticeEffect::None:
    case LatticeEffect::Current:
        return false;
    case LatticeEffect::Stale:
        return true;
    case LatticeEffect::StaleIfSilicon: {
        const StepParameter *param = definition.parameter(definition.latticeMaterial);
        const QVariant value = param ? step.getParameters().value(param->valueName()) : QVariant();
        QString ignored;
        int code = StepSucceeded;
        return param && materialId(*param, value, ignored, code) == SiliconMaterial;
    }
    }
    return true;
}

namespace {

void markLattice(ProcessRunContext &context, bool stale)
{
    if (context.latticeStale && context.volume)
        context.latticeStale->insert(context.volume->getId(), stale);
}

// The copy a stoppable run keeps when its front end gives no snapshot: the
// materials and, for the random walk, its particle counts, for the dopant steps their concentrations.
class MemorySnapshot : public IStepSnapshot
{
public:
    explicit MemorySnapshot(const boost::shared_ptr<TotalVolume> &volume) : m_volume(volume) {}

    void keep(TotalVolume &volume, const StepDefinition &definition) override
    {
        m_materials = Core::Operations::MaterialsBackup(m_volume);
        if (definition.changesParticleCounts)
            m_counts = Core::Operations::ParticleCountsBackup(volume);
        if (definition.changesDopants || volume.hasDopants())
            m_dopants = Core::Operations::DopantsBackup(volume);
    }
    bool putBack(TotalVolume &volume) override
    {
        m_materials.restore();
        m_counts.restore(volume);
        m_dopants.restore(volume);
        return true;
    }

private:
    boost::shared_ptr<TotalVolume> m_volume;
    Core::Operations::MaterialsBackup m_materials;
    Core::Operations::ParticleCountsBackup m_counts;
    Core::Operations::DopantsBackup m_dopants;
};

int runChecked(const StepDefinition &definition, const ProcessData &step, ProcessRunContext &context,
               const StepValues &values)
{
    StepRun run(definition, step, values, context);
    if (definition.check) {
        const QString sentence = definition.check(run);
        if (!sentence.isEmpty())
            return run.reject(sentence);
    }

    MemorySnapshot memory(context.volume);
    IStepSnapshot *snapshot = context.snapshot;
    if (!snapshot && context.stop && context.volume)
        snapshot = &memory;
    if (snapshot && context.volume) {
        // Without its copy a step could be neither stopped nor undone: it does not run.
        try {
            snapshot->keep(*context.volume, definition);
        } catch (const std::bad_alloc &) {
            return run.reject(QStringLiteral("There was not enough memory to keep the volume's state for undo; the "
                                             "step did not run and nothing was changed."));
        }
    }
    // "Create Substrate" puts a new volume in the context; a stopped one is dropped.
    const boost::shared_ptr<TotalVolume> volumeBefore = context.volume;

    int code = StepSucceeded;
    try {
        const Util::StopScope scope(context.stop);
        code = definition.run(run);
    } catch (const std::exception &error) {
        const bool restored = snapshot && volumeBefore && snapshot->putBack(*volumeBefore);
        context.volume = volumeBefore;
        markLattice(context, true);
        const QString reason = dynamic_cast<const std::bad_alloc *>(&error)
                                   ? QStringLiteral("There was not enough memory to finish the step")
                                   : QStringLiteral("The step failed (%1)").arg(QString::fromLocal8Bit(error.what()));
        context.detail = reason + (restored ? QStringLiteral("; the cells were put back as they were.")
                                            : QStringLiteral("; the cells may be incomplete."));
        context.crashed = true;
        return StepInvalidParameter;
    }
    if (context.stop && context.stop->requested()) {
        if (snapshot && volumeBefore)
            snapshot->putBack(*volumeBefore);
        context.volume = volumeBefore;
        markLattice(context, true);
        context.detail = processStepResultText(StepStopped);
        return StepStopped;
    }
    if (code != StepSucceeded)
        return code;

    if (context.volume) {
        Model::Automaton::CellLock lock(*context.volume);
        lock.dopants().clearEmptyCells(lock.cells(), size_t(context.volume->getCellCount()));
    }
    if (definition.lattice == LatticeEffect::Current)
        markLattice(context, false);
    else if (outdatesLattice(definition, step))
        markLattice(context, true);
    return StepSucceeded;
}

} // namespace

int runProcessStep(const StepDefinition &definition, const ProcessData &step, ProcessRunContext &context)
{
    context.crashed = false;
    if (context.stop && context.stop->requested()) {
        context.detail = processStepResultText(StepStopped);
        return StepStopped;
    }
    if (definition.needsVolume && !context.volume) {
        context.detail = processStepResultText(StepNoVolume);
        return StepMissingParameter;
    }
    StepValues values;
    int code = values.read(definition, step, context.detail);
    if (code == StepSucceeded)
        code = runChecked(definition, step, context, values);
    // "Save Image", "Create Substrate" and "Si Oxidation" have always reported
    // every failure as a missing parameter; the reason stays in the detail.
    if (code != StepSucceeded && code != StepStopped && definition.everyFailureIsMissing)
        return StepMissingParameter;
    return code;
}

int runProcessStep(const ProcessData &step, ProcessRunContext &context)
{
    const StepDefinition *definition = StepRegistry::instance().ofType(step.getType());
    if (!definition) {
        context.detail = QStringLiteral("There is no process of type %1.").arg(step.getType());
        return StepUnknownProcess;
    }
    return runProcessStep(*definition, step, context);
}

int runProcessSteps(const ProcessList &list, ProcessRunContext &context, const StepReport &report,
                    const std::function<bool()> &stopRequested)
{
    int completed = 0;
    QElapsedTimer timer;
    for (int index = 0; index < list.size(); ++index) {
        if ((stopRequested && stopRequested()) || (context.stop && context.stop->requested()))
            break;
        const ProcessData &step = list.at(index);
        context.detail.clear();
        const StepDefinition *definition = StepRegistry::instance().ofType(step.getType());
        if (!context.volume && (!definition || !definition->createsVolume)) {
            context.detail = processStepResultText(StepNoVolume);
            if (report)
                report(index, StepNoVolume, 0);
            break;
        }
        timer.start();
        const int code = runProcessStep(step, context);
        const qint64 elapsed = timer.elapsed();
        if (report)
            report(index, code, elapsed);
        if (code != StepSucceeded)
            break;
        ++completed;
    }
    return completed;
}

} // namespace Steps
} // namespace Core
