#include "Util/nearestnames.h"

#include <gtest/gtest.h>

namespace {

const QStringList steps{QStringLiteral("Isotropic etching"), QStringLiteral("Anisotropic Etching"),
                        QStringLiteral("CVD"), QStringLiteral("PVD"), QStringLiteral("Isotropic Deposition"),
                        QStringLiteral("Moore etching")};

} // namespace

TEST(NearestNames, TyposFindTheNamesTheyMeantBestFirst)
{
    struct Case
    {
        const char *given;
        QStringList nearest;
    };
    const Case cases[] = {
        {"Isotropic etchin", {"Isotropic etching", "Anisotropic Etching"}},
        {"isotropic_etching", {"Isotropic etching", "Anisotropic Etching"}},
        {"CVDD", {"CVD", "PVD"}},
        {"cvd", {"CVD", "PVD"}},
        // Part of a name points at it.
        {"Moore", {"Moore etching"}},
        {"Isotropic Depo", {"Isotropic Deposition"}},
        // Nothing near: no guess.
        {"Kryptonite", {}},
        {"", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Util::nearestNames(QString::fromLatin1(c.given), steps), c.nearest) << c.given;
    EXPECT_EQ(Util::nearestNames(QStringLiteral("CVDD"), steps, 1), QStringList{QStringLiteral("CVD")});
}

TEST(NearestNames, SentenceNamesTheCandidatesOrNothing)
{
    EXPECT_EQ(Util::didYouMean(QStringLiteral("CVDD"), steps), QStringLiteral(" Did you mean \"CVD\" or \"PVD\"?"));
    EXPECT_EQ(Util::didYouMean(QStringLiteral("thicknes"), {QStringLiteral("thickness"), QStringLiteral("material")},
                               QStringLiteral("%1")),
              QStringLiteral(" Did you mean thickness?"));
    EXPECT_EQ(Util::suggestionText({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}),
              QStringLiteral(" Did you mean \"a\", \"b\" or \"c\"?"));
    EXPECT_TRUE(Util::didYouMean(QStringLiteral("Kryptonite"), steps).isEmpty());
}

TEST(NearestNames, EditDistanceCountsSingleCharacterEdits)
{
    const struct
    {
        const char *a, *b;
        int edits;
    } cases[] = {{"", "", 0}, {"abc", "", 3}, {"Si02", "SiO2", 1}, {"kitten", "sitting", 3}, {"flaw", "lawn", 2}};
    for (const auto &c : cases) {
        EXPECT_EQ(Util::editDistance(QString::fromLatin1(c.a), QString::fromLatin1(c.b)), c.edits) << c.a << " " << c.b;
        EXPECT_EQ(Util::editDistance(QString::fromLatin1(c.b), QString::fromLatin1(c.a)), c.edits);
    }
}
