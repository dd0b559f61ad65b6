#include "Core/Steps/declare.h"
#include "processstepeditor.h"

#include "batchrunprompts.h"

#include "Core/Steps/executor.h"
#include "Core/Steps/masksettings.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"
#include "Core/Operations/Photolithography/maskimage.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/Operations/layoutmaskpanel.h"
#include "UI/Operations/maskfilerow.h"
#include "UI/Operations/materialcombobox.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/randomwalkdopingdialog.h"
#include "UI/Operations/stepoptionsdialog.h"
#include "Util/vector3d.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QSpinBox>

namespace Ui {

using Core::Operations::MaskImage;
using namespace Ui::Operations;

namespace {

QString text(const char *latin1) { return QString::fromLatin1(latin1); }

// A named mask file read into its bits; an empty name gives an empty mask.
bool readMask(const QString &fileName, MaskImage &mask)
{
    mask = MaskImage();
    return fileName.isEmpty() || MaskImage::load(fileName, mask);
}

// The bits a step carries under prefix; false when it holds none that fit their size.
bool storedMask(const QString &prefix, const ProcessData::Parameters &preset, MaskImage &mask)
{
    const QVariant bits = preset.value(prefix);
    if (bits.userType() != qMetaTypeId<std::vector<bool>>())
        return false;
    mask.bits = bits.value<std::vector<bool>>();
    mask.height = preset.value(Core::Steps::MaskNames(prefix).height).toUInt();
    mask.width = preset.value(Core::Steps::MaskNames(prefix).width).toUInt();
    return uint64_t(mask.bits.size()) == uint64_t(mask.width) * mask.height;
}

// The mask a step keeps: read from the file named now, or, when the file
// named is the one the step already holds and it cannot be read (a list
// opened on another machine or from another folder), the bits the step
// carries. False when neither gives a mask.
bool maskFor(const QString &prefix, const QString &fileName, const ProcessData::Parameters &preset, bool isNew,
             MaskImage &mask)
{
    if (readMask(fileName, mask))
        return true;
    if (isNew || preset.value(Core::Steps::MaskNames(prefix).file).toString().trimmed() != fileName)
        return false;
    return storedMask(prefix, preset, mask);
}

void setMask(ProcessStepEditor::Values &v, const QString &prefix, const QString &fileName, const MaskImage &mask)
{
    v.set(prefix, QVariant::fromValue(mask.bits), false);
    v.set(Core::Steps::MaskNames(prefix).file, fileName, true);
    v.set(Core::Steps::MaskNames(prefix).height, uint(mask.height), true);
    v.set(Core::Steps::MaskNames(prefix).width, uint(mask.width), true);
}


// A layout mask as the step keeps it: the choice, and the bits drawn on the
// current volume now, or, when the layout cannot be read here but the choice
// is the one the step already holds, the bits it carries. Without a volume
// the step keeps the choice only and the runner draws it. False with the
// reason when there is neither.
bool layoutMaskFor(const MaskSourceBox &source, const QString &prefix, const ProcessData::Parameters &preset,
                   bool isNew, MaskImage &mask, QString &error)
{
    LayoutMaskPanel &panel = *source.layoutPanel();
    const Model::Layout::MaskPlacement p = panel.placement();
    mask = MaskImage();
    if (panel.hasGrid() && panel.rasterize(error)) {
        mask = panel.mask();
        return true;
    }
    const bool unchanged =
        !isNew && preset.value(Core::Steps::MaskNames(prefix).source).toString() == Core::Steps::MaskSourceLayout &&
        preset.value(Core::Steps::MaskNames(prefix).file).toString().trimmed() == panel.fileName() &&
        preset.value(Core::Steps::MaskNames(prefix).structure).toString().toStdString() == p.structure &&
        preset.value(Core::Steps::MaskNames(prefix).layer).toInt() == p.layer &&
        preset.value(Core::Steps::MaskNames(prefix).datatype).toInt() == p.datatype &&
        preset.value(Core::Steps::MaskNames(prefix).originX).toDouble() == p.originX &&
        preset.value(Core::Steps::MaskNames(prefix).originY).toDouble() == p.originY &&
        preset.value(Core::Steps::MaskNames(prefix).scale).toDouble() == p.scale;
    if (unchanged && storedMask(prefix, preset, mask) && !mask.isEmpty()) {
        error.clear();
        return true;
    }
    if (panel.hasGrid())
        return false;
    // No volume yet: the layout must at least be readable and hold the choice.
    Model::Layout::GdsiiLibrary library;
    if (!Model::Layout::GdsiiLibrary::readFile(panel.fileName(), library, error))
        return false;
    mask = MaskImage();
    error.clear();
    return true;
}

void setLayoutMask(ProcessStepEditor::Values &v, const QString &prefix, const LayoutMaskPanel &panel,
                   const MaskImage &mask)
{
    setMask(v, prefix, panel.fileName(), mask);
    const Model::Layout::MaskPlacement p = panel.placement();
    v.set(Core::Steps::MaskNames(prefix).source, Core::Steps::MaskSourceLayout, true);
    v.set(Core::Steps::MaskNames(prefix).structure, QString::fromStdString(p.structure), true);
    v.set(Core::Steps::MaskNames(prefix).layer, uint(p.layer), true);
    v.set(Core::Steps::MaskNames(prefix).datatype, p.datatype, true);
    v.set(Core::Steps::MaskNames(prefix).originX, p.originX, true);
    v.set(Core::Steps::MaskNames(prefix).originY, p.originY, true);
    v.set(Core::Steps::MaskNames(prefix).scale, p.scale, true);
}

void dropLayoutSettings(ProcessStepEditor::Values &v, const QString &prefix)
{
    for (const QString &name : Core::Steps::MaskNames(prefix).layoutSettings())
        v.removed.insert(name);
}

} // namespace

void ProcessStepEditor::setVolume(const Model::Automaton::TotalVolume &volume)
{
    m_volumeHeight = volume.getSizeZ();
    m_grid = Model::Layout::MaskGrid{volume.getSizeX(), volume.getSizeY(), volume.getCellSizeX(), volume.getCellSizeY()};
}

void ProcessStepEditor::Values::set(const QString &name, const QVariant &value, bool visible)
{
    parameters.insert(name, value);
    visibility.insert(name, visible);
}

void ProcessStepEditor::Values::setMaterial(const QString &base, unsigned id, bool idVisible)
{
    const Model::Materials::Material material = Model::Materials::MaterialFactory::instance()->getMaterial(id);
    set(base + QStringLiteral("_Id"), QVariant(id), idVisible);
    set(base, QVariant(material.getName()), true);
    set(base + QStringLiteral("_Color"), QVariant(Core::Steps::opaqueColor(material)), false);
}

void ProcessStepEditor::Values::fromStep(const Core::Steps::StepDefinition &definition, const ProcessData &step)
{
    for (auto it = step.getParameters().constBegin(); it != step.getParameters().constEnd(); ++it)
        set(it.key(), it.value(), step.getVisibilities().value(it.key()));
    // An option's values are shown or hidden with it, on a changed step too.
    for (const Core::Steps::StepParameter &param : definition.parameters)
        if (!param.when.isEmpty())
            optionDependent.insert(param.valueName());
}

ProcessStepEditor::ProcessStepEditor(BatchRunPrompts &prompts, QWidget *parent) : m_prompts(prompts), m_parent(parent)
{
}

bool ProcessStepEditor::accepted(QDialog &dialog) { return m_prompts.exec(&dialog) == QDialog::Accepted; }

bool ProcessStepEditor::edit(ProcessData &step, bool isNew)
{
    Values values;
    if (!read(step.getType(), step.getParameters(), isNew, values))
        return false;
    apply(step, values, isNew);
    return true;
}

void ProcessStepEditor::apply(ProcessData &step, const Values &values, bool isNew)
{
    for (const QString &name : values.removed)
        if (!values.parameters.contains(name))
            step.removeParameter(name);
    for (auto it = values.parameters.constBegin(); it != values.parameters.constEnd(); ++it) {
        const QString &name = it.key();
        const bool keep = !isNew && step.hasParameter(name) && !values.optionDependent.contains(name);
        step.setParameter(name, it.value(), keep ? step.getParameterVisibility(name) : values.visibility.value(name));
    }
}

bool ProcessStepEditor::read(int type, const ProcessData::Parameters &preset, bool isNew, Values &v)
{
    const QString material = QLatin1String(Core::Steps::Declare::MaterialBase);
    const Core::Steps::StepDefinition *definition = Core::Steps::StepRegistry::instance().ofType(type);
    switch (type) {
    case ProcessData::Photolithography: {
        PhotolithographyDialog dialog(m_parent);
        dialog.setGrid(m_grid);
        const std::function<void(const QString &)> warn = [this, &dialog](const QString &message) {
            m_prompts.showWarning(&dialog, dialog.windowTitle(), message);
        };
        dialog.topSource()->setWarn(warn);
        dialog.bottomSource()->setWarn(warn);
        if (!presetAndRun(dialog, preset, isNew))
            return false;
        // The run needs the bits themselves: read them from the files named now.
        const struct
        {
            MaskSourceBox *source;
            QString prefix;
            const char *notFound;
        } masks[] = {{dialog.topSource(), QLatin1String(Core::Steps::MaskNames::Top), PhotolithographyDialog::TopMaskNotFound},
                     {dialog.bottomSource(), QLatin1String(Core::Steps::MaskNames::Bottom),
                      PhotolithographyDialog::BottomMaskNotFound}};
        ProcessStepEditor::Values read;
        for (const auto &m : masks) {
            MaskImage mask;
            if (m.source->isLayout()) {
                QString error;
                if (!layoutMaskFor(*m.source, m.prefix, preset, isNew, mask, error)) {
                    m_prompts.showWarning(m_parent, dialog.windowTitle(), error);
                    return false;
                }
                setLayoutMask(read, m.prefix, *m.source->layoutPanel(), mask);
                continue;
            }
            const QString file = m.source->imageRow()->fileName().trimmed();
            if (!maskFor(m.prefix, file, preset, isNew, mask)) {
                m_prompts.showWarning(m_parent, dialog.windowTitle(), text(m.notFound));
                return false;
            }
            setMask(read, m.prefix, file, mask);
            dropLayoutSettings(read, m.prefix);
        }
        v.setMaterial(material, dialog.materialId());
        for (auto it = read.parameters.constBegin(); it != read.parameters.constEnd(); ++it)
            v.set(it.key(), it.value(), read.visibility.value(it.key()));
        v.removed += read.removed;
        return true;
    }
    case ProcessData::SaveImage: {
        const QString fileParameter = definition->parameters.first().name;
        const QString start = isNew ? QDir::homePath() : preset.value(fileParameter).toString();
        const QString fileName = m_prompts.chooseSaveFile(m_parent, QStringLiteral("Save Image"), start,
                                                          QStringLiteral("Image Files (*.png *.jpg *.bmp)"));
        if (fileName.isEmpty())
            return false;
        v.fromStep(*definition, Core::Steps::makeStep(*definition, QVariantMap{{fileParameter, fileName}}));
        return true;
    }
    case ProcessData::CreateSubstrate: {
        CreateSubstrateDialog dialog(m_parent);
        if (!presetAndRun(dialog, preset, isNew))
            return false;
        v.fromStep(*definition, Core::Steps::makeStep(*definition, dialog.values()));
        return true;
    }
    case ProcessData::RandomWalkDoping: {
        RandomWalkDopingDialog dialog(m_parent);
        if (!presetAndRun(dialog, preset, isNew))
            return false;
        v.fromStep(*definition, Core::Steps::makeStep(*definition, dialog.values()));
        return true;
    }
    default: {
        if (!definition) {
            // A step of a type no dialog belongs to (an unknown process from a file) cannot be edited.
            m_prompts.showWarning(m_parent, QStringLiteral("Batch Run"),
                                  QStringLiteral("%1 has no options to edit.").arg(ProcessData::displayName(type)));
            return false;
        }
        StepOptionsDialog dialog(*definition, m_parent);
        if (m_volumeHeight > 0)
            dialog.setVolumeHeight(m_volumeHeight);
        if (!presetAndRun(dialog, preset, isNew))
            return false;
        // The run would refuse the step; say so while the person is still editing it.
        const QString refusal = dialog.refusal();
        if (!refusal.isEmpty()) {
            m_prompts.showWarning(m_parent, dialog.windowTitle(), refusal);
            return false;
        }
        v.fromStep(*definition, Core::Steps::makeStep(*definition, dialog.values()));
        return true;
    }
    }
}

} // namespace Ui
