#include "parameteroverride.h"

#include "Core/Steps/executor.h"
#include "Core/Steps/stepregistry.h"
#include "Model/Materials/materialfactory.h"
#include "Util/nearestnames.h"
#include "processlistfile.h"

#include <QMap>

namespace Core {
namespace Operations {

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Core::Steps::ProcessData;

namespace {

const QString idSuffix = QStringLiteral("_Id");

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// The catalogue's material named text, or with the id text spells.
Material catalogueMaterial(const QString &text)
{
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    Material material = catalogue->findMaterial(text);
    if (material.getId() != 0)
        return material;
    bool number = false;
    const unsigned id = text.trimmed().toUInt(&number);
    return number ? catalogue->getMaterial(id) : Material();
}

} // namespace

bool ParameterOverride::parseTarget(const QString &text, ParameterOverride &result, QString *error)
{
    const int colon = text.indexOf(QLatin1Char(':'));
    bool number = false;
    const int position = colon > 0 ? text.left(colon).trimmed().toInt(&number) : 0;
    const QString parameter = colon > 0 ? text.mid(colon + 1).trimmed() : QString();
    if (!number || position < 1 || parameter.isEmpty()) {
        setError(error, QStringLiteral("\"%1\" is not POSITION:PARAMETER (a step number from 1 and a parameter name)")
                            .arg(text));
        return false;
    }
    result.position = position;
    result.parameter = parameter;
    return true;
}

bool ParameterOverride::parse(const QString &text, ParameterOverride &result, QString *error)
{
    const int equals = text.indexOf(QLatin1Char('='));
    if (equals < 0) {
        setError(error, QStringLiteral("\"%1\" is not POSITION:PARAMETER=VALUE").arg(text));
        return false;
    }
    ParameterOverride parsed;
    if (!parseTarget(text.left(equals), parsed, error)) {
        setError(error, QStringLiteral("\"%1\" is not POSITION:PARAMETER=VALUE").arg(text));
        return false;
    }
    parsed.value = text.mid(equals + 1);
    result = parsed;
    return true;
}

bool ParameterOverride::apply(Core::Steps::ProcessList &list, QString *error) const
{
    if (position < 1 || position > list.size()) {
        setError(error, QStringLiteral("%1: the list has no step %2 (it has %3 steps)")
                            .arg(target())
                            .arg(position)
                            .arg(list.size()));
        return false;
    }
    ProcessData &step = list[position - 1];
    // Another name the step's declaration gives the parameter (--set "2:Film Thickness=3" on a CVD step).
    QString parameter = this->parameter;
    const Core::Steps::StepDefinition *definition = Core::Steps::definitionOf(step.getType());
    if (!step.hasParameter(parameter) && definition)
        if (const Core::Steps::StepParameter *param = definition->parameterOrAlias(parameter))
            if (param->aliases.contains(parameter))
                parameter = param->name;
    if (!step.hasParameter(parameter)) {
        setError(error, QStringLiteral("%1: step %2 (%3) has no parameter \"%4\".%5 It has: %6")
                            .arg(target())
                            .arg(position)
                            .arg(step.displayName(), parameter,
                                 Util::didYouMean(parameter, step.getParameters().keys() +
                                                                 (definition ? definition->parameterNames() : QStringList())),
                                 step.getParameters().keys().join(QStringLiteral(", "))));
        return false;
    }

    // A material is a triple of name, id and colour: set all three or none.
    const QString base = parameter.endsWith(idSuffix) ? parameter.left(parameter.size() - idSuffix.size()) : parameter;
    if (step.hasParameter(base + idSuffix) && step.hasParameter(base)) {
        const Material material = catalogueMaterial(value);
        if (material.getId() == 0) {
            setError(error, QStringLiteral("%1: \"%2\" is no material of the catalogue.%3")
                                .arg(target(), value, Core::Steps::materialSuggestion(value)));
            return false;
        }
        step.setParameterValue(base + idSuffix, QVariant(material.getId()));
        // The list file's own refresh fills in the name and colour from the catalogue.
        Core::Steps::ProcessList one;
        one.append(step);
        ProcessListFile::refreshMaterials(one, QMap<unsigned, unsigned>());
        step = one.first();
        return true;
    }

    const QString kind = ProcessData::kindName(step.getParameters().value(parameter));
    step.setParameterValue(parameter, ProcessListFile::valueFromText(kind, value));
    return true;
}

} // namespace Operations
} // namespace Core
