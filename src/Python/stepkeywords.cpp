#include "stepkeywords.h"

#include "Core/Steps/stepregistry.h"

namespace Python {

using Core::Steps::StepParameter;
using Core::Steps::StepDefinition;

QString keywordOf(const QString &name)
{
    QString keyword;
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (!c.isLetterOrNumber()) {
            if (!keyword.isEmpty() && !keyword.endsWith(QLatin1Char('_')))
                keyword += QLatin1Char('_');
            continue;
        }
        // A word starts at a capital after a small letter or digit ("DepositOn"),
        // or at the last capital of a run followed by a small letter ("RIEDepth").
        if (c.isUpper() && i > 0 && !keyword.endsWith(QLatin1Char('_'))) {
            const QChar before = name.at(i - 1);
            const bool afterSmall = before.isLower() || before.isDigit();
            const bool endsCapitals = before.isUpper() && i + 1 < name.size() && name.at(i + 1).isLower();
            if (afterSmall || endsCapitals)
                keyword += QLatin1Char('_');
        }
        keyword += c.toLower();
    }
    while (keyword.endsWith(QLatin1Char('_')))
        keyword.chop(1);
    return keyword;
}

const StepParameter *StepSignature::parameter(const QString &keyword) const
{
    int index = keywords.indexOf(keyword);
    for (int i = 0; index < 0 && i < aliasKeywords.size(); ++i)
        if (aliasKeywords.at(i).contains(keyword))
            index = i;
    return index < 0 ? nullptr : &definition->parameters.at(index);
}

QStringList StepSignature::allKeywords() const
{
    QStringList all = keywords;
    for (const QStringList &aliases : aliasKeywords)
        all << aliases;
    return all;
}

QString StepSignature::keywordsText() const
{
    QStringList parts;
    for (int i = 0; i < keywords.size(); ++i)
        parts << (aliasKeywords.at(i).isEmpty()
                      ? keywords.at(i)
                      : QStringLiteral("%1 (also %2)").arg(keywords.at(i), aliasKeywords.at(i).join(QStringLiteral(", "))));
    return parts.join(QStringLiteral(", "));
}

QString StepSignature::keywordOfParameter(const QString &name) const
{
    for (int i = 0; i < definition->parameters.size(); ++i) {
        const StepParameter &param = definition->parameters.at(i);
        if (param.name == name || param.valueName() == name)
            return keywords.at(i);
    }
    return QString();
}

const QList<StepSignature> &stepSignatures()
{
    static const QList<StepSignature> signatures = [] {
        QList<StepSignature> all;
        for (const StepDefinition *definition : Core::Steps::StepRegistry::instance().steps()) {
            if (!definition->inLists())
                continue;
            StepSignature signature;
            signature.definition = definition;
            for (const StepParameter &param : definition->parameters) {
                signature.keywords << keywordOf(param.name);
                QStringList aliases;
                for (const QString &alias : param.aliases)
                    aliases << keywordOf(alias);
                signature.aliasKeywords << aliases;
            }
            all << signature;
        }
        return all;
    }();
    return signatures;
}

const StepSignature *signatureOf(const StepDefinition &definition)
{
    for (const StepSignature &signature : stepSignatures())
        if (signature.definition == &definition)
            return &signature;
    return nullptr;
}

} // namespace Python
