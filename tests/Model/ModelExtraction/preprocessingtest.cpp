#include "cellblocks.h"

#include "Model/ModelExtraction/preprocessing.h"

#include <gtest/gtest.h>

#include <QThreadPool>

#include <algorithm>
#include <random>

using namespace Model::ModelExtraction;

namespace {

// Each link as (face, index of the linked box), -1 for none.
std::vector<int> linkTable(const BoxList &boxes)
{
    std::vector<int> table;
    for (const BoxPtr &box : boxes) {
        int count = 0;
        for (int f = 0; f < 6; ++f) {
            int index = -1;
            for (size_t j = 0; j < boxes.size(); ++j)
                if (boxes[j].get() == box->getLink(f))
                    index = int(j);
            table.push_back(index);
            count += index >= 0;
        }
        EXPECT_EQ(count, box->getLinkCount());
    }
    return table;
}

BoxList copyUnlinked(const BoxList &boxes)
{
    BoxList copy;
    for (const BoxPtr &b : boxes)
        copy.push_back(BoxPtr(new RectangularCuboidEnvelope(b->getX(), b->getY(), b->getZ(), b->getDx(),
                                                            b->getDy(), b->getDz(), b->getMaterial())));
    return copy;
}

// Random guillotine split of a block: neighbouring boxes often share only part
// of a face, which the grid of a cell volume never produces.
void split(std::mt19937 &rng, int o[3], int d[3], int depth, BoxList &out)
{
    std::uniform_int_distribution<int> axisPick(0, 2);
    const int axis = axisPick(rng);
    if (depth == 0 || d[axis] < 2) {
        if (rng() % 5 != 0) // some space stays empty
            out.push_back(BoxPtr(new RectangularCuboidEnvelope(o[0], o[1], o[2], d[0], d[1], d[2], 1 + rng() % 3)));
        return;
    }
    const int cut = 1 + int(rng() % unsigned(d[axis] - 1));
    int o2[3] = {o[0], o[1], o[2]}, d1[3] = {d[0], d[1], d[2]}, d2[3] = {d[0], d[1], d[2]};
    d1[axis] = cut;
    o2[axis] += cut;
    d2[axis] -= cut;
    split(rng, o, d1, depth - 1, out);
    split(rng, o2, d2, depth - 1, out);
}

} // namespace

TEST(RectangularCuboidEnvelopeTest, LinkCountFollowsSetReplaceAndClear)
{
    RectangularCuboidEnvelope a(0, 0, 0, 1, 1, 1, 2), b(1, 0, 0, 1, 1, 1, 2), c(1, 0, 0, 1, 1, 1, 3);
    a.setLink(RectangularCuboidEnvelope::PlusX, &b);
    a.setLink(RectangularCuboidEnvelope::PlusX, &c); // replacing keeps one link
    a.setLink(RectangularCuboidEnvelope::MinusZ, &b);
    EXPECT_EQ(2, a.getLinkCount());
    a.clearLink(RectangularCuboidEnvelope::PlusX);
    a.clearLink(RectangularCuboidEnvelope::PlusX);
    EXPECT_EQ(1, a.getLinkCount());
    EXPECT_EQ(&b, a.getLink(RectangularCuboidEnvelope::MinusZ));
}

TEST(PreprocessingTest, PartlySharedFacesAreNotLinked)
{
    BoxList boxes = {BoxPtr(new RectangularCuboidEnvelope(0, 0, 0, 2, 2, 1, 2)),
                     BoxPtr(new RectangularCuboidEnvelope(2, 0, 0, 1, 1, 1, 2)),
                     BoxPtr(new RectangularCuboidEnvelope(2, 1, 0, 1, 1, 1, 2)),
                     BoxPtr(new RectangularCuboidEnvelope(0, 0, 1, 2, 2, 3, 3))};
    Preprocessing::linkBoxes(boxes);
    EXPECT_EQ(nullptr, boxes[0]->getLink(RectangularCuboidEnvelope::PlusX));
    EXPECT_EQ(nullptr, boxes[1]->getLink(RectangularCuboidEnvelope::MinusX));
    EXPECT_EQ(boxes[2].get(), boxes[1]->getLink(RectangularCuboidEnvelope::PlusY));
    EXPECT_EQ(boxes[3].get(), boxes[0]->getLink(RectangularCuboidEnvelope::PlusZ));
    EXPECT_EQ(boxes[0].get(), boxes[3]->getLink(RectangularCuboidEnvelope::MinusZ));
    EXPECT_EQ(1, boxes[0]->getLinkCount());
    EXPECT_EQ(1, boxes[3]->getLinkCount());
}

TEST(PreprocessingTest, MaterialChangesInTheOutermostLayersSplitBoxes)
{
    // One layer thick, a change along x only in the last row of y.
    CellBlocks cells(4, 3, 1);
    cells.fill(0, 0, 0, 4, 3, 1, 2).fill(2, 2, 0, 2, 1, 1, 3);
    const BoxList boxes = cells.boxes();
    ASSERT_EQ(4u, boxes.size());
    for (const BoxPtr &b : boxes)
        EXPECT_EQ(b->getX() >= 2 && b->getY() == 2 ? 3u : 2u, b->getMaterial());
}

class LinkingEquivalenceTest : public ::testing::TestWithParam<unsigned>
{
};

TEST_P(LinkingEquivalenceTest, PlaneIndexGivesThePairwiseLinksOnRandomPartitions)
{
    std::mt19937 rng(GetParam());
    int o[3] = {0, 0, 0}, d[3] = {40, 30, 20};
    BoxList boxes;
    split(rng, o, d, 9, boxes);
    ASSERT_GT(boxes.size(), 20u);
    BoxList reference = copyUnlinked(boxes);
    Preprocessing::linkBoxes(boxes);
    Preprocessing::linkBoxesPairwise(reference);
    const std::vector<int> links = linkTable(boxes);
    EXPECT_EQ(linkTable(reference), links);
    EXPECT_NE(std::count(links.begin(), links.end(), -1), long(links.size()));
}

TEST_P(LinkingEquivalenceTest, RandomVolumesGiveUniformBoxesCoveringEveryFilledCellOnce)
{
    std::mt19937 rng(GetParam());
    CellBlocks cells(12 + rng() % 5, 9 + rng() % 5, 5 + rng() % 4);
    for (int i = 0; i < 8; ++i) {
        const unsigned x = rng() % cells.sx, y = rng() % cells.sy, z = rng() % cells.sz;
        cells.fill(x, y, z, 1 + rng() % (cells.sx - x), 1 + rng() % (cells.sy - y), 1 + rng() % (cells.sz - z),
                   rng() % 4);
    }
    const BoxList boxes = cells.boxes();
    std::vector<uint32_t> rebuilt(cells.materials.size(), 0);
    for (const BoxPtr &b : boxes) {
        ASSERT_NE(0u, b->getMaterial());
        for (int x = b->getX(); x < b->getX() + b->getDx(); ++x)
            for (int y = b->getY(); y < b->getY() + b->getDy(); ++y)
                for (int z = b->getZ(); z < b->getZ() + b->getDz(); ++z) {
                    uint32_t &cell = rebuilt[(size_t(x) * cells.sy + y) * cells.sz + z];
                    ASSERT_EQ(0u, cell) << "cell in two boxes";
                    cell = b->getMaterial();
                }
    }
    EXPECT_EQ(cells.materials, rebuilt);

    BoxList reference = copyUnlinked(boxes);
    Preprocessing::linkBoxesPairwise(reference);
    EXPECT_EQ(linkTable(reference), linkTable(boxes));
}

TEST_P(LinkingEquivalenceTest, BoxesDoNotDependOnTheSlabCount)
{
    std::mt19937 rng(GetParam());
    CellBlocks cells(23, 7, 5);
    for (uint32_t &m : cells.materials)
        m = rng() % 7 == 0 ? 1 + rng() % 2 : 0;
    const int saved = QThreadPool::globalInstance()->maxThreadCount();
    std::vector<std::vector<int>> results;
    for (int threads : {1, 2, 3, 7}) {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
        std::vector<int> flat;
        for (const BoxPtr &b : cells.boxes())
            flat.insert(flat.end(), {b->getX(), b->getY(), b->getZ(), b->getDx(), b->getDy(), b->getDz(),
                                     int(b->getMaterial()), b->getLinkCount()});
        results.push_back(flat);
    }
    QThreadPool::globalInstance()->setMaxThreadCount(saved);
    for (size_t i = 1; i < results.size(); ++i)
        EXPECT_EQ(results[0], results[i]);
}

INSTANTIATE_TEST_SUITE_P(Seeds, LinkingEquivalenceTest, ::testing::Range(1u, 13u));
