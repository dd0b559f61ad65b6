#include "steplisting.h"

#include "Core/Steps/stepregistry.h"
#include "Util/vector3d.h"

#include <QStringList>

namespace Batch {

using Core::Steps::Bound;
using Core::Steps::Choice;
using Core::Steps::StepParameter;
using Core::Steps::StepDefinition;
using Core::Steps::StepRegistry;
using Core::Steps::ValueKind;

const char *const StepsDocumentCommand = "build/src/torvane-batch --list-steps --markdown > docs/STEPS.md";

namespace {

// One parameter in words, each part empty when it does not apply.
struct ParameterText
{
    QString name;
    QStringList aliases;  // other names it answers to
    QString kind;
    QString unit;
    QString range;
    QString defaultValue; // the declared default in words; empty: none
    QString need;         // without a default: "required", "optional" or "read by the step"
    QString applies;      // "SphericalSubstrate is true"
};

QString kindText(ValueKind kind)
{
    switch (kind) {
    case ValueKind::WholeNumber:
        return QStringLiteral("whole number");
    case ValueKind::Integer:
        return QStringLiteral("integer");
    case ValueKind::Number:
        return QStringLiteral("number");
    case ValueKind::Flag:
        return QStringLiteral("flag");
    case ValueKind::Text:
        return QStringLiteral("text");
    case ValueKind::Mask:
        return QStringLiteral("mask bits");
    case ValueKind::Position:
        return QStringLiteral("position (x, y, z)");
    case ValueKind::Material:
        return QStringLiteral("material (name or catalogue id)");
    case ValueKind::Choice:
    case ValueKind::Flags:
        return QStringLiteral("choice");
    }
    return QString();
}

QString flagText(const StepParameter &param, bool value)
{
    const QString word = value ? QStringLiteral("true") : QStringLiteral("false");
    for (const Choice &choice : param.choices)
        if ((choice.value != 0) == value && !choice.word.isEmpty())
            return QStringLiteral("%1 (%2)").arg(word, choice.word);
    return word;
}

QString valueText(const StepParameter &param, const QVariant &value)
{
    if (param.kind == ValueKind::Mask)
        return QStringLiteral("none");
    return param.kind == ValueKind::Flag ? flagText(param, value.toBool()) : param.valueText(value);
}

QString rangeText(const StepParameter &param)
{
    switch (param.kind) {
    case ValueKind::Number:
    case ValueKind::WholeNumber:
    case ValueKind::Integer: {
        // The unit has its own place.
        StepParameter bare = param;
        bare.unit.clear();
        QString range = bare.rangeText();
        if (param.maximumBound == Bound::VolumeHeight)
            range += QStringLiteral(", at most the volume's height");
        if (!param.notAbove.isEmpty())
            range += QStringLiteral(", at most %1").arg(param.notAbove);
        return range;
    }
    case ValueKind::Position: {
        StepParameter bare = param;
        bare.unit.clear();
        return QStringLiteral("each %1").arg(bare.rangeText());
    }
    case ValueKind::Choice:
    case ValueKind::Flags:
        return param.choicesText();
    case ValueKind::Flag:
        return QStringLiteral("%1 or %2").arg(flagText(param, false), flagText(param, true));
    case ValueKind::Mask:
        return QStringLiteral("%1 by %2 cells").arg(param.widthName, param.heightName);
    case ValueKind::Text:
        return param.choicesText();
    case ValueKind::Material:
        break;
    }
    return QString();
}

ParameterText describe(const StepDefinition &definition, const StepParameter &param)
{
    ParameterText text;
    text.name = param.name;
    text.aliases = param.aliases;
    text.kind = kindText(param.kind);
    text.unit = param.unit;
    text.range = rangeText(param);
    if (param.defaultIsMaximum && param.maximumBound == Bound::VolumeHeight)
        text.defaultValue = QStringLiteral("the volume's height");
    else if (param.defaultValue.isValid())
        text.defaultValue = valueText(param, param.defaultValue);
    else if (param.optional)
        text.need = QStringLiteral("optional");
    else if (param.readByRun)
        text.need = QStringLiteral("read by the step");
    else
        text.need = QStringLiteral("required");
    if (!param.when.isEmpty()) {
        const StepParameter *controller = definition.parameter(param.when);
        text.applies = QStringLiteral("%1 is %2").arg(
            param.when, controller ? valueText(*controller, param.whenValue) : param.whenValue.toString());
    }
    return text;
}

QList<const StepDefinition *> listSteps()
{
    QList<const StepDefinition *> steps;
    for (const StepDefinition *definition : StepRegistry::instance().steps())
        if (definition->inLists())
            steps << definition;
    return steps;
}

QStringList otherNames(const StepDefinition &definition)
{
    QStringList names = definition.names();
    names.removeFirst();
    return names;
}

// GitHub's heading anchors: lower case, blanks as hyphens, other punctuation dropped.
QString anchorOf(const QString &heading)
{
    QString anchor;
    for (const QChar c : heading.toLower())
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_'))
            anchor += c;
        else if (c == QLatin1Char(' '))
            anchor += QLatin1Char('-');
    return anchor;
}

QString cell(const QString &text)
{
    QString escaped = text;
    return escaped.replace(QLatin1Char('|'), QStringLiteral("\\|"));
}

} // namespace

QString stepListing()
{
    const QList<const StepDefinition *> steps = listSteps();
    QString out = QStringLiteral(
                      "The %1 steps a process list can hold, from the step registry. The first name is the one a list "
                      "writes;\n"
                      "any other name is accepted wherever a step is named. Each parameter: its list name (as "
                      "--set takes it),\n"
                      "kind, unit, range, default (or whether it must be given) and when it applies.\n")
                      .arg(steps.size());
    for (const StepDefinition *definition : steps) {
        out += QStringLiteral("\n%1 (list type %2)\n").arg(definition->name).arg(definition->type);
        const QStringList others = otherNames(*definition);
        if (!others.isEmpty())
            out += QStringLiteral("  also: %1\n").arg(others.join(QStringLiteral(", ")));
        out += QStringLiteral("  %1\n").arg(definition->summary);
        for (const StepParameter &param : definition->parameters) {
            const ParameterText text = describe(*definition, param);
            QString line = QStringLiteral("    %1%2: %3")
                               .arg(text.name,
                                    text.aliases.isEmpty()
                                        ? QString()
                                        : QStringLiteral(" (also %1)").arg(text.aliases.join(QStringLiteral(", "))),
                                    text.kind);
            if (!text.unit.isEmpty())
                line += QStringLiteral(" in %1").arg(text.unit);
            if (!text.range.isEmpty())
                line += QStringLiteral(", %1").arg(text.range);
            line += text.defaultValue.isEmpty() ? QStringLiteral("; %1").arg(text.need)
                                                : QStringLiteral("; default %1").arg(text.defaultValue);
            if (!text.applies.isEmpty())
                line += QStringLiteral("; only when %1").arg(text.applies);
            out += line + QLatin1Char('\n');
        }
    }
    return out;
}

QString stepListingMarkdown()
{
    const QList<const StepDefinition *> steps = listSteps();
    QString out = QStringLiteral(
                      "# Process steps\n"
                      "\n"
                      "<!-- Generated from the step registry; do not edit. Regenerate with: %1 -->\n"
                      "\n"
                      "Every step a process list can hold, generated from the step registry: the one declaration of "
                      "each\n"
                      "step that the program's dialogs, process lists, `torvane-batch` and the Python module read. "
                      "Do not\n"
                      "edit this file by hand; after changing a step, regenerate it from the source folder with\n"
                      "\n"
                      "    %1\n"
                      "\n"
                      "(a test fails while this file differs from what the registry gives). "
                      "`torvane-batch --list-steps`\n"
                      "prints the same as plain text.\n"
                      "\n"
                      "- **Names**: the first is the one a process list writes; every other name (the program's "
                      "menu, the\n"
                      "  Batch Run dialog's list, aliases) is accepted wherever a step is named, in any case, for "
                      "example\n"
                      "  `vol.run(\"Pour Material\", ...)` in Python.\n"
                      "- **Parameter**: the name a process list keeps the value under and `--set "
                      "POSITION:PARAMETER=VALUE`\n"
                      "  takes; *also* names another name it answers to (in `--set` and as a Python keyword), while "
                      "a list\n"
                      "  always stores the first. A material is kept as three values, `NAME_Id` (its catalogue id), `NAME` (its name) "
                      "and\n"
                      "  `NAME_Color`. In Python the keyword is the name in snake case (`Film Thickness` → "
                      "`film_thickness`,\n"
                      "  `DepositOn` → `deposit_on`, `Doped Material` → `doped_material`); see docs/PYTHON.md.\n"
                      "- **Range**: a value outside it is refused before the step changes any cell, with a sentence "
                      "that\n"
                      "  names the parameter and the range.\n"
                      "- **Default**: what a new step starts with in the dialogs and what Python takes for a keyword "
                      "left\n"
                      "  out. *required*: there is no default and the value must be given; *optional*: the step does "
                      "without\n"
                      "  it; *read by the step*: a mask's own value, checked by the step when it runs.\n"
                      "- **Applies**: a value read only while another parameter holds the value shown (a box or a "
                      "sphere,\n"
                      "  oxidation by thickness or by time).\n"
                      "\n")
                      .arg(QLatin1String(StepsDocumentCommand));
    for (const StepDefinition *definition : steps)
        out += QStringLiteral("- [%1](#%2)\n").arg(definition->name, anchorOf(definition->name));
    for (const StepDefinition *definition : steps) {
        out += QStringLiteral("\n## %1\n\n").arg(definition->name);
        out += QStringLiteral("%1\n\n").arg(definition->summary);
        const QStringList others = otherNames(*definition);
        out += QStringLiteral("List type %1.").arg(definition->type);
        if (!others.isEmpty())
            out += QStringLiteral(" Also named: %1.").arg(QStringLiteral("\"%1\"").arg(others.join(QStringLiteral("\", \""))));
        out += QStringLiteral("\n\n");
        if (definition->parameters.isEmpty()) {
            out += QStringLiteral("No parameters.\n");
            continue;
        }
        out += QStringLiteral("| Parameter | Kind | Unit | Range | Default | Applies |\n"
                              "|---|---|---|---|---|---|\n");
        for (const StepParameter &param : definition->parameters) {
            const ParameterText text = describe(*definition, param);
            QString name = QStringLiteral("`%1`").arg(cell(text.name));
            for (const QString &alias : text.aliases)
                name += QStringLiteral(" (also `%1`)").arg(cell(alias));
            out += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |\n")
                       .arg(name, cell(text.kind), cell(text.unit), cell(text.range),
                            text.defaultValue.isEmpty() ? QStringLiteral("*%1*").arg(text.need) : cell(text.defaultValue),
                            text.applies.isEmpty() ? QStringLiteral("always")
                                                   : cell(QStringLiteral("when %1").arg(text.applies)));
        }
    }
    return out;
}

} // namespace Batch
