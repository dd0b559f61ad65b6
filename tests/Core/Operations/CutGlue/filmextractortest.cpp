#include "cutgluetestsupport.h"

#include "Core/Operations/CutGlue/filmextractor.h"

#include <gtest/gtest.h>

using namespace CutGlueTest;
using Core::Operations::FilmExtractor;
using Model::Automaton::TotalVolume;

namespace {

// 8 x 4 x 10: silicon below z = 3; film 6 in two pieces: an L at x = 1..2 spanning
// z = 3..5 (with an arm at z = 5, x = 3) and a block at x = 5..6, z = 4; oxide 3 elsewhere at z = 3.
uint32_t twoPieces(unsigned x, unsigned y, unsigned z)
{
    if (z < 3)
        return 1;
    if (y == 1 && (x == 1 || x == 2) && z <= 5)
        return 6;
    if (y == 1 && x == 3 && z == 5)
        return 6;
    if (x >= 5 && x <= 6 && z == 4)
        return 6;
    return z == 3 ? 3u : 0u;
}

} // namespace

TEST(FilmExtractor, OnlyThePieceHoldingTheFirstCellComesOutOnTheFloor)
{
    const boost::shared_ptr<TotalVolume> v = makeVolume(8, 4, 10, twoPieces, 0.5f);
    const boost::shared_ptr<TotalVolume> film = FilmExtractor::extract(*v, 6, false);
    ASSERT_TRUE(film);
    EXPECT_EQ(film->getSizeX(), 8u);
    EXPECT_EQ(film->getSizeZ(), 10u);
    EXPECT_DOUBLE_EQ(film->getPosition().x, (8 + 10) * 0.5);
    unsigned count = 0;
    for (unsigned x = 0; x < 8; ++x)
        for (unsigned y = 0; y < 4; ++y)
            for (unsigned z = 0; z < 10; ++z) {
                const uint32_t m = at(*film, x, y, z);
                // Dropped by 3: the L now spans z = 0..2.
                const bool inL = y == 1 && (((x == 1 || x == 2) && z <= 2) || (x == 3 && z == 2));
                EXPECT_EQ(m, inL ? 6u : 0u) << x << "," << y << "," << z;
                count += m != 0;
            }
    EXPECT_EQ(count, 7u);
    // The source is untouched.
    EXPECT_EQ(materialsOf(*v), materialsOf(*makeVolume(8, 4, 10, twoPieces)));
}

TEST(FilmExtractor, InvertedFilmIsTurnedAndStillRestsOnTheFloor)
{
    const boost::shared_ptr<TotalVolume> v = makeVolume(8, 4, 10, twoPieces);
    const boost::shared_ptr<TotalVolume> film = FilmExtractor::extract(*v, 6, true);
    ASSERT_TRUE(film);
    // (x, y, z) -> (x, 3 - y, 9 - z), lowest at 9 - 5 = 4, dropped to 0: the arm is now at the bottom.
    EXPECT_EQ(at(*film, 3, 2, 0), 6u);
    EXPECT_EQ(at(*film, 1, 2, 2), 6u);
    EXPECT_EQ(at(*film, 3, 2, 1), 0u);
    EXPECT_EQ(at(*film, 1, 1, 0), 0u);
}

TEST(FilmExtractor, MissingMaterialGivesAnEmptyFilm)
{
    const boost::shared_ptr<TotalVolume> v = makeVolume(5, 5, 5, twoPieces);
    const boost::shared_ptr<TotalVolume> film = FilmExtractor::extract(*v, 12, false);
    ASSERT_TRUE(film);
    for (uint32_t m : materialsOf(*film))
        ASSERT_EQ(m, 0u);
}

TEST(FilmExtractor, TheFilmTakesItsDopantAndUnitLengthAlong)
{
    using Model::Automaton::CellLock;
    using Model::Automaton::DopantFields;
    const boost::shared_ptr<TotalVolume> v = makeVolume(8, 4, 10, twoPieces);
    v->setUnitLength(0.25);
    {
        // Phosphorus everywhere solid, each cell its own value: the film's must come along, the rest not.
        CellLock lock(*v);
        std::vector<float> &p = lock.dopants().make(DopantFields::Phosphorus, lock.cellCount());
        for (size_t i = 0; i < p.size(); ++i)
            p[i] = lock.cells()[i].material ? 1e17f * float(1 + i) : 0.0f;
    }
    const boost::shared_ptr<TotalVolume> film = FilmExtractor::extract(*v, 6, false);
    ASSERT_TRUE(film);
    EXPECT_DOUBLE_EQ(film->getUnitLength(), 0.25);
    CellLock source(*v), lock(*film);
    ASSERT_TRUE(lock.dopants().has(DopantFields::Phosphorus));
    EXPECT_FALSE(lock.dopants().has(DopantFields::Boron));
    const std::vector<float> &p = lock.dopants().field(DopantFields::Phosphorus);
    const std::vector<float> &q = source.dopants().field(DopantFields::Phosphorus);
    for (unsigned x = 0; x < 8; ++x)
        for (unsigned y = 0; y < 4; ++y)
            for (unsigned z = 0; z < 10; ++z) {
                // Dropped by 3, as the cells are.
                const size_t i = lock.index(x, y, z);
                const float expected = lock.cells()[i].material ? q[lock.index(x, y, z + 3)] : 0.0f;
                ASSERT_EQ(p[i], expected) << x << "," << y << "," << z;
            }
}
