#pragma once

#include "executor.h"
#include "stepdefinition.h"

#include "Util/vector3d.h"

#include <QHash>
#include <QVariant>

#include <vector>

namespace Core {
namespace Steps {

// A step's values read and checked against its definition: every parameter
// that applies is present, converts to its kind, is finite and lies in its
// range, and every material is in the catalogue.
class StepValues
{
public:
    // StepSucceeded, or the code with the sentence in detail; the first failure wins.
    int read(const StepDefinition &definition, const ProcessData &step, QString &detail);

    bool has(const QString &name) const { return m_values.contains(name); }
    QVariant value(const QString &name) const { return m_values.value(name); }

private:
    int readOne(const StepParameter &param, const ProcessData &step, QString &detail);
    QHash<QString, QVariant> m_values;
};

// Reads one value of step as param declares it, with the executor's sentences;
// optional and absent leaves checked invalid.
int readParameter(const StepParameter &param, const ProcessData &step, QVariant &checked, QString &detail);

// Whether param applies given the values of the parameters it depends on.
bool applies(const StepParameter &param, const StepDefinition &definition, const ProcessData &step);

// One step while it runs: its definition, its checked values and the run's state.
class StepRun
{
public:
    StepRun(const StepDefinition &definition, const ProcessData &step, const StepValues &values,
            ProcessRunContext &context)
        : definition(definition), step(step), values(values), context(context)
    {
    }

    const StepDefinition &definition;
    const ProcessData &step; // as stored: a mask's own settings are read from here
    const StepValues &values;
    ProcessRunContext &context;

    Model::Automaton::TotalVolume &volume() const { return *context.volume; }

    // The checked values; names as the definition declares them.
    double number(const char *name) const { return values.value(QLatin1String(name)).toDouble(); }
    unsigned whole(const char *name) const { return values.value(QLatin1String(name)).toUInt(); }
    int integer(const char *name) const { return values.value(QLatin1String(name)).toInt(); }
    bool flag(const char *name) const { return values.value(QLatin1String(name)).toBool(); }
    QString text(const char *name) const { return values.value(QLatin1String(name)).toString(); }
    unsigned material(const char *base) const { return values.value(QLatin1String(base)).toUInt(); }
    Util::Vector3D position(const char *name) const { return values.value(QLatin1String(name)).value<Util::Vector3D>(); }
    bool given(const char *name) const { return values.has(QLatin1String(name)); }
    // An optional parameter a list written before it existed leaves out takes its declared default.
    QVariant valueOrDefault(const char *name) const
    {
        const QString key = QLatin1String(name);
        if (values.has(key))
            return values.value(key);
        const StepParameter *param = definition.parameter(key);
        return param ? param->defaultValue : QVariant();
    }

    // A value the engine cannot run on: the step ends with the sentence (code 2).
    int reject(const QString &sentence)
    {
        context.detail = sentence;
        return StepInvalidParameter;
    }
};

// A whole number of layers for the engines that step cell by cell.
unsigned wholeLayers(double value);

} // namespace Steps
} // namespace Core
