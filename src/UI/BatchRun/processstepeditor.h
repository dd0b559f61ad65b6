#pragma once

#include "Core/Steps/processdata.h"
#include "Model/Layout/layoutmask.h"

#include <QSet>
#include <QString>

class QColor;
class QDialog;
class QWidget;

namespace Core {
namespace Steps {
struct StepDefinition;
}
} // namespace Core

namespace Model {
namespace Automaton {
class TotalVolume;
}
namespace Materials {
class Material;
}
} // namespace Model

namespace Ui {

using Core::Steps::ProcessData;
using Core::Steps::ProcessList;

class BatchRunPrompts;

// Turns a process's option dialog into the parameters of a process-list step:
// opens the dialog of the step's type (preset from the step when it is being
// modified) and, on OK, writes each value with the kind and visibility the
// list format gives it.
class ProcessStepEditor
{
public:
    ProcessStepEditor(BatchRunPrompts &prompts, QWidget *parent);

    // Height of the current volume, the upper bound the height dialogs start
    // from; 0 when there is no volume.
    void setVolumeHeight(unsigned sizeZ) { m_volumeHeight = sizeZ; }
    // The current volume: its height as above and the x-y grid layout masks
    // are drawn on (without one, a layout step keeps no bits and is drawn when it runs).
    void setVolume(const Model::Automaton::TotalVolume &volume);

    // False (step unchanged) when the person cancels or a value cannot be read.
    bool edit(ProcessData &step, bool isNew);

    // The values one accepted dialog produced.
    struct Values
    {
        ProcessData::Parameters parameters;
        ProcessData::Visibilities visibility;
        // Names whose visibility follows the chosen option (box or sphere,
        // by time or by thickness) and must follow it after a change too.
        QSet<QString> optionDependent;
        // Names a modified step must lose (the layout settings of a mask that became an image).
        QSet<QString> removed;

        void set(const QString &name, const QVariant &value, bool visible);
        // The triple base + "_Id", base, base + "_Color" from the catalogue,
        // the colour opaque.
        void setMaterial(const QString &base, unsigned id, bool idVisible = false);
        // Every value of a step built from the definition, with the visibility it was given.
        void fromStep(const Core::Steps::StepDefinition &definition, const ProcessData &step);
    };

    // A new step takes values as they are; a modified one keeps the
    // visibility of every parameter it had unless the parameter depends on an
    // option of the dialog.
    static void apply(ProcessData &step, const Values &values, bool isNew);


private:
    bool read(int type, const ProcessData::Parameters &preset, bool isNew, Values &values);
    bool accepted(QDialog &dialog);
    // Presets an option dialog from the step unless the step is new, then runs it; true on OK.
    template <class OptionDialog>
    bool presetAndRun(OptionDialog &dialog, const ProcessData::Parameters &preset, bool isNew)
    {
        if (!isNew)
            dialog.fillFrom(preset);
        return accepted(dialog);
    }

    BatchRunPrompts &m_prompts;
    QWidget *m_parent;
    unsigned m_volumeHeight = 0;
    Model::Layout::MaskGrid m_grid;
};

} // namespace Ui
