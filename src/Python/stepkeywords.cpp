#include "stepkeywords.h"

#include "Core/Steps/processdata.h"

namespace Python {

using Core::Operations::StepParameterInfo;
using Core::Operations::StepValueKind;

QString keywordOf(const StepParameterInfo &parameter)
{
    QString name = parameter.name;
    if (parameter.kind == StepValueKind::Material && name.endsWith(QLatin1String("_Id")))
        name.chop(3);
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

const QList<StepSignature> &stepSignatures()
{
    static const QList<StepSignature> signatures = [] {
        QList<StepSignature> all;
        for (int type = 0; type < Core::Steps::ProcessData::TypeCount; ++type) {
            StepSignature signature;
            signature.type = type;
            signature.name = Core::Steps::ProcessData::displayName(type);
            signature.parameters = Core::Operations::processStepParameters(type);
            for (const StepParameterInfo &parameter : signature.parameters)
                signature.keywords << keywordOf(parameter);
            all << signature;
        }
        return all;
    }();
    return signatures;
}

} // namespace Python
