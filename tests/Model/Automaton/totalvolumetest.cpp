#include "Model/Automaton/totalvolume.h"

#include <gtest/gtest.h>

#include <boost/scoped_ptr.hpp>

#include <QVariant>

#include <limits>
#include <numeric>

using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {
std::vector<uint32_t> sequence(size_t n)
{
    std::vector<uint32_t> m(n);
    std::iota(m.begin(), m.end(), 0u);
    return m;
}
} // namespace

TEST(TotalVolume, CellIndexIsZFastestThenYThenX)
{
    TotalVolume volume(2, 3, 4, 1, 1, 1, Util::Vector3D(), sequence(24));
    EXPECT_EQ(volume.getType(), 1);
    CellLock lock(volume);
    EXPECT_EQ(lock.cells()[volume.cellIndex(0, 1, 3)].material, 7u);
    EXPECT_EQ(lock.cells()[volume.cellIndex(1, 0, 0)].material, 12u);
    EXPECT_EQ(lock.cells()[volume.cellIndex(1, 2, 3)].material, 23u);
    EXPECT_EQ(volume.getPainter().cutCount(5), 0u);
    EXPECT_FALSE(volume.getPainter().cutCounts()); // nothing cut, nothing held
}

TEST(CellLock, ReachesCellsByPositionColumnAndSlabWithinBounds)
{
    TotalVolume volume(2, 3, 4, 1, 1, 1, Util::Vector3D(), sequence(24));
    CellLock cells(volume);
    EXPECT_EQ(cells.cellCount(), 24u);
    EXPECT_EQ(cells.material(0, 1, 3), 7u);
    EXPECT_EQ(cells.column(1, 2)[3].material, 23u);
    EXPECT_EQ(cells.slab(1)[0].material, 12u);
    // Outside reads as empty; a write outside is refused and touches no cell.
    const struct
    {
        int64_t x, y, z;
    } outside[] = {{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {2, 0, 0}, {0, 3, 0}, {0, 0, 4}, {int64_t(1) << 32, 0, 0}};
    for (const auto &p : outside) {
        EXPECT_FALSE(cells.contains(p.x, p.y, p.z)) << p.x << " " << p.y << " " << p.z;
        EXPECT_EQ(cells.material(p.x, p.y, p.z), 0u);
        EXPECT_FALSE(cells.setMaterial(p.x, p.y, p.z, 99));
    }
    for (uint32_t i = 0; i < 24; ++i)
        EXPECT_EQ(cells.cells()[i].material, i);
    EXPECT_TRUE(cells.setMaterial(1, 2, 3, 99));
    EXPECT_EQ(cells.material(1, 2, 3), 99u);
}

TEST(TotalVolume, ShortMaterialListLeavesTheRestEmpty)
{
    TotalVolume volume(2, 2, 2, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{4, 4, 4});
    CellLock lock(volume);
    EXPECT_EQ(lock.cells()[2].material, 4u);
    EXPECT_EQ(lock.cells()[3].material, 0u);
    EXPECT_EQ(lock.cells()[7].material, 0u);
}

TEST(TotalVolume, CloneCopiesMaterialsOnlyUnderANewId)
{
    TotalVolume volume(3, 2, 2, 0.5f, 1.0f, 2.0f, Util::Vector3D(1, 2, 3), sequence(12));
    volume.setProperty(QStringLiteral("Random Walk Particle Count Type N"), 5);
    volume.setTopMask(std::vector<bool>(6, true), 3, 2);
    {
        CellLock lock(volume);
        uint8_t *cuts = volume.getPainter().cutCountsForWriting();
        for (int i = 0; i < 12; ++i)
            cuts[i] = 3;
    }
    ASSERT_TRUE(volume.createLattice());
    boost::scoped_ptr<Model::Object> copy(volume.clone());
    ASSERT_TRUE(copy);
    TotalVolume *clone = dynamic_cast<TotalVolume *>(copy.get());
    ASSERT_TRUE(clone);
    EXPECT_NE(clone->getId(), volume.getId());
    EXPECT_EQ(clone->getSizeX(), 3u);
    EXPECT_EQ(clone->getCellSizeZ(), 2.0f);
    EXPECT_EQ(clone->getPosition(), Util::Vector3D(1, 2, 3));
    EXPECT_TRUE(clone->getPropertyNames().isEmpty());
    EXPECT_TRUE(clone->getTopMask().empty());
    EXPECT_FALSE(clone->getLattice());
    CellLock lock(*clone);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(lock.cells()[i].material, uint32_t(i));
        EXPECT_EQ(clone->getPainter().cutCount(size_t(i)), 0u);
    }
}

TEST(TotalVolume, TranslateMovesThePositionOnly)
{
    TotalVolume volume(2, 2, 2, 1, 1, 1, Util::Vector3D(), sequence(8));
    volume.translate(Util::Vector3D(1, 2, 3));
    volume.translate(Util::Vector3D(1, 2, 3));
    EXPECT_EQ(volume.getPosition(), Util::Vector3D(2, 4, 6));
    CellLock lock(volume);
    EXPECT_EQ(lock.cells()[7].material, 7u);
}

TEST(TotalVolume, PropertiesInKeyOrderAndInvalidWhenAbsent)
{
    TotalVolume volume(1, 1, 1, 1, 1, 1, Util::Vector3D(), 0u);
    EXPECT_FALSE(volume.getProperty(QStringLiteral("missing")).isValid());
    volume.setProperty(QStringLiteral("Random Walk Particle Count Type P"), 2);
    volume.setProperty(QStringLiteral("Random Walk Particle Count Type N"), 1);
    volume.setProperty(QStringLiteral("Random Walk Particle Count Type P"), 3);
    EXPECT_EQ(volume.getPropertyNames(),
              QStringList({QStringLiteral("Random Walk Particle Count Type N"),
                           QStringLiteral("Random Walk Particle Count Type P")}));
    EXPECT_EQ(volume.getProperty(QStringLiteral("Random Walk Particle Count Type P")).toInt(), 3);
}

TEST(TotalVolume, MasksKeepTheirExtentsAndClearKeepsTheSize)
{
    TotalVolume volume(4, 4, 1, 1, 1, 1, Util::Vector3D(), 0u);
    EXPECT_EQ(volume.getTopMaskSize(), TotalVolume::MaskSize(0, 0));
    std::vector<bool> bits(6, false);
    bits[1 * 3 + 2] = true; // bit (1, 2) of a 2 x 3 mask
    volume.setTopMask(bits, 2, 3);
    volume.setBottomMask(std::vector<bool>(2, true), 10, 10); // short bit list is padded
    EXPECT_EQ(volume.getTopMaskSize(), TotalVolume::MaskSize(2, 3));
    EXPECT_TRUE(volume.getTopMask()[5]);
    EXPECT_EQ(volume.getBottomMask().size(), 100u);
    volume.clearTopMask();
    EXPECT_EQ(volume.getTopMask(), std::vector<bool>(6, false));
    EXPECT_EQ(volume.getTopMaskSize(), TotalVolume::MaskSize(2, 3));
    EXPECT_TRUE(volume.getBottomMask()[1]);
}

TEST(TotalVolume, AbsurdSizesAreRefusedBeforeAllocation)
{
    QString error;
    EXPECT_FALSE(TotalVolume::checkSize(1000000000ull, 1000000000ull, 1000000000ull, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("too large")));
    EXPECT_FALSE(TotalVolume::checkSize(0, 10, 10, &error));
    // Products that overflow 64 bits must not wrap into something small.
    EXPECT_FALSE(TotalVolume::checkSize(std::numeric_limits<uint32_t>::max(), std::numeric_limits<uint32_t>::max(),
                                        std::numeric_limits<uint32_t>::max(), &error));
    EXPECT_FALSE(TotalVolume::checkSize(65536, 65536, 1, &error)); // 2^32 cells: past 32-bit indices
    EXPECT_TRUE(TotalVolume::checkSize(100, 100, 80, &error));

    EXPECT_FALSE(TotalVolume::create(4000000000u, 4000000000u, 2, 1, 1, 1, Util::Vector3D(), 1u, &error));
    const boost::shared_ptr<TotalVolume> ok = TotalVolume::create(3, 3, 3, 1, 1, 1, Util::Vector3D(), 2u, &error);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->getPainter().getDrawRange().x1, 3u);
}
