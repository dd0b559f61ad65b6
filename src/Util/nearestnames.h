#pragma once

#include <QString>
#include <QStringList>

namespace Util {

// The known names a mistyped one most likely meant, best first: those within a
// few edits of it (case and runs of blanks do not count), or that hold it or
// are held by it. At most count; none when nothing is close.
QStringList nearestNames(const QString &given, const QStringList &known, int count = 3);

// " Did you mean \"A\" or \"B\"?" for the nearest names, or an empty text.
// quote: how each name is written ("\"%1\"" by default, "%1" for keywords).
QString didYouMean(const QString &given, const QStringList &known, const QString &quote = QStringLiteral("\"%1\""));

// " Did you mean \"A\" or \"B\"?" for names already chosen; empty for none.
QString suggestionText(const QStringList &names, const QString &quote = QStringLiteral("\"%1\""));

// Edits (insert, delete, replace one character) that turn a into b.
int editDistance(const QString &a, const QString &b);

} // namespace Util
