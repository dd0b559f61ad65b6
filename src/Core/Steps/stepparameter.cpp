#include "stepparameter.h"

#include "Util/vector3d.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace Core {
namespace Steps {

QString StepParameter::number(double value)
{
    // Whole numbers up to the largest a spin box holds read better without an exponent.
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qlonglong(value));
    return QString::number(value, 'g', 10);
}

QString StepParameter::rangeText() const
{
    const QString unitText = unit.isEmpty() ? QString() : QStringLiteral(" ") + unit;
    if (!hasMaximum())
        return aboveMinimum ? QStringLiteral("above %1%2").arg(number(minimum), unitText)
                            : QStringLiteral("%1%2 or more").arg(number(minimum), unitText);
    if (aboveMinimum)
        return QStringLiteral("above %1 up to %2%3").arg(number(minimum), number(maximum), unitText);
    return QStringLiteral("%1 to %2%3").arg(number(minimum), number(maximum), unitText);
}

QString StepParameter::choicesText() const
{
    QList<Choice> sorted = choices;
    std::sort(sorted.begin(), sorted.end(), [](const Choice &a, const Choice &b) { return a.value < b.value; });
    QStringList parts = texts;
    for (const Choice &choice : sorted)
        parts << QStringLiteral("%1 (%2)").arg(choice.value).arg(choice.word);
    if (parts.size() < 2)
        return parts.join(QString());
    const QString last = parts.takeLast();
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString StepParameter::valueText(const QVariant &value, const QString &yes, const QString &no) const
{
    if (kind == ValueKind::Flag || value.userType() == QMetaType::Bool)
        return value.toBool() ? yes : no;
    if (value.userType() == qMetaTypeId<Util::Vector3D>()) {
        double x = 0, y = 0, z = 0;
        value.value<Util::Vector3D>().get(x, y, z);
        return QStringLiteral("(%1, %2, %3)").arg(number(x), number(y), number(z));
    }
    if (kind == ValueKind::Choice || kind == ValueKind::Flags)
        for (const Choice &choice : choices)
            if (choice.value == value.toInt())
                return QStringLiteral("%1 (%2)").arg(choice.value).arg(choice.word);
    bool isNumber = false;
    const double asNumber = value.toDouble(&isNumber);
    if (kind != ValueKind::Text && isNumber && value.userType() != QMetaType::QString)
        return number(asNumber);
    return QStringLiteral("\"%1\"").arg(value.toString());
}

QVariant StepParameter::companionValue(const QVariant &value) const
{
    if (kind == ValueKind::Flag)
        return QVariant(!value.toBool());
    const int chosen = value.toInt();
    for (const Choice &choice : choices)
        if (choice.value == chosen)
            return QVariant(choice.text);
    return QVariant(QString());
}

} // namespace Steps
} // namespace Core
