#include "nearestnames.h"

#include <QVector>

#include <algorithm>

namespace Util {

namespace {

// The form names are compared in: lower case, blanks and underscores as one blank.
QString comparable(const QString &name)
{
    QString folded;
    for (const QChar c : name.trimmed().toLower()) {
        const QChar d = c == QLatin1Char('_') ? QLatin1Char(' ') : c;
        if (d.isSpace() && folded.endsWith(QLatin1Char(' ')))
            continue;
        folded += d.isSpace() ? QLatin1Char(' ') : d;
    }
    return folded;
}

} // namespace

int editDistance(const QString &a, const QString &b)
{
    QVector<int> previous(b.size() + 1), current(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int replace = previous[j - 1] + (a.at(i - 1) == b.at(j - 1) ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, replace});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

QStringList nearestNames(const QString &given, const QStringList &known, int count)
{
    const QString wanted = comparable(given);
    if (wanted.isEmpty() || count <= 0)
        return QStringList();
    // A typo is a few edits; longer names tolerate more of them.
    const int tolerated = std::max(2, int(wanted.size()) / 3);
    struct Candidate
    {
        int score;
        int order;
        QString name;
    };
    QList<Candidate> candidates;
    for (int i = 0; i < known.size(); ++i) {
        const QString name = comparable(known.at(i));
        if (name.isEmpty())
            continue;
        int score = editDistance(wanted, name);
        // "thermal" for "Thermal Si02", "isotropic etching process" for "Isotropic etching".
        const bool contains = wanted.size() >= 3 && name.size() >= 3 && (name.contains(wanted) || wanted.contains(name));
        if (score > tolerated && !contains)
            continue;
        if (contains)
            score = std::min(score, tolerated);
        bool seen = false;
        for (const Candidate &c : candidates)
            seen = seen || c.name == known.at(i);
        if (!seen)
            candidates.append(Candidate{score, i, known.at(i)});
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
        return a.score != b.score ? a.score < b.score : a.order < b.order;
    });
    QStringList nearest;
    for (int i = 0; i < candidates.size() && i < count; ++i)
        nearest << candidates.at(i).name;
    return nearest;
}

QString didYouMean(const QString &given, const QStringList &known, const QString &quote)
{
    return suggestionText(nearestNames(given, known), quote);
}

QString suggestionText(const QStringList &nearest, const QString &quote)
{
    if (nearest.isEmpty())
        return QString();
    QStringList quoted;
    for (const QString &name : nearest)
        quoted << quote.arg(name);
    const QString last = quoted.takeLast();
    const QString list = quoted.isEmpty() ? last : quoted.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
    return QStringLiteral(" Did you mean %1?").arg(list);
}

} // namespace Util
