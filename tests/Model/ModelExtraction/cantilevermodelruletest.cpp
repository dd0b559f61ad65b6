#include "cellblocks.h"

#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/Materials/materialfactory.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

using namespace Model::ModelExtraction;

namespace {

// A block of material 2 with beams of 10 x 2 x 1 cells standing out along +x,
// free at their ends with nothing above or below.
CellBlocks anchoredBeams(const std::vector<uint32_t> &beamMaterials)
{
    CellBlocks cells(16, 4 * unsigned(beamMaterials.size()), 3);
    cells.fill(0, 0, 0, 3, cells.sy, 3, 2);
    for (size_t i = 0; i < beamMaterials.size(); ++i)
        cells.fill(3, 1 + 4 * unsigned(i), 1, 10, 2, 1, beamMaterials[i]);
    return cells;
}

QString netlistOf(const CellBlocks &cells, CantileverModelRule *rule = nullptr)
{
    CantileverModelRule local;
    if (!rule)
        rule = &local;
    const boost::shared_ptr<IStructure> structure = rule->apply(cells.boxes());
    return structure ? structure->netlist() : QString();
}

} // namespace

TEST(CantileverModelRuleTest, BeamGivesOneCapacitorAndOneInductorWorkedByHand)
{
    // copper: m = 10*2*1 * 2.00129819772e-17 * 8940 * 33/140, 1/k = 1000 / (3 * 7e10 * 2/12)
    CantileverModelRule rule;
    EXPECT_EQ(QStringLiteral("Model extracted by Torvane\n"
                             "c1 1 0 8.43461e-13 \n"
                             "l1 1 0 2.85714e-08 \n"
                             ".end \n"),
              netlistOf(anchoredBeams({3}), &rule));
    ASSERT_EQ(1u, rule.getCantilevers().size());
    const CantileverStructure::Cantilever c = rule.getCantilevers()[0];
    EXPECT_EQ((std::vector<int>{3, 1, 1, 10, 2, 1}), (std::vector<int>{c.x, c.y, c.z, c.t, c.u, c.v}));
}

TEST(CantileverModelRuleTest, TwoBeamsGiveNodesInTheOrderFound)
{
    EXPECT_EQ(QStringLiteral("Model extracted by Torvane\n"
                             "c1 1 0 8.43461e-13 \nl1 1 0 2.85714e-08 \n"
                             "c2 2 0 8.40442e-13 \nl2 2 0 2.85714e-08 \n"
                             ".end \n"),
              netlistOf(anchoredBeams({3, 4})));
}

TEST(CantileverModelRuleTest, NoFreeEndGivesNoStructure)
{
    struct Case { const char *name; CellBlocks cells; };
    std::vector<Case> cases;
    cases.push_back({"silicon beam", anchoredBeams({1})});
    CellBlocks covered = anchoredBeams({3});
    covered.fill(11, 1, 2, 2, 2, 1, 5); // a box resting on the beam's end
    cases.push_back({"end touched from above", covered});
    CellBlocks bridge = anchoredBeams({3});
    bridge.fill(13, 0, 0, 3, 4, 3, 2); // held at both ends
    cases.push_back({"bridge", bridge});
    for (const Case &c : cases) {
        CantileverModelRule rule;
        EXPECT_FALSE(rule.apply(c.cells.boxes())) << c.name;
        EXPECT_TRUE(rule.getCantilevers().empty()) << c.name;
    }
}

TEST(CantileverModelRuleTest, BeamOfSeveralBoxesAnchoredOnEitherSideHasItsFullLength)
{
    // A silicon post elsewhere puts a split plane through the beam, so the walk
    // crosses two boxes; the anchor sits at the beam's low end or high end.
    for (bool anchorLow : {true, false}) {
        CellBlocks cells(16, 8, 3);
        cells.fill(anchorLow ? 0 : 13, 0, 0, 3, 4, 3, 2);
        cells.fill(3, 1, 1, 10, 2, 1, 3);
        cells.fill(7, 6, 0, 1, 1, 1, 1);
        CantileverModelRule rule;
        ASSERT_TRUE(rule.apply(cells.boxes())) << anchorLow;
        ASSERT_EQ(1u, rule.getCantilevers().size());
        EXPECT_EQ(3u, rule.getCantileverBoxes().size());
        const CantileverStructure::Cantilever c = rule.getCantilevers()[0];
        EXPECT_EQ((std::vector<int>{3, 1, 1, 10, 2, 1}), (std::vector<int>{c.x, c.y, c.z, c.t, c.u, c.v}))
            << anchorLow;
    }
}

TEST(CantileverStructureTest, MaterialsBeyondTheTableUseTheCatalogue)
{
    const Model::Materials::Material m = Model::Materials::MaterialFactory::instance()->getMaterial(16);
    CantileverStructure::Cantilever c{0, 0, 0, 10, 2, 1, 16};
    double density = -1, young = -1;
    CantileverStructure::materialConstants(16, &density, &young);
    EXPECT_DOUBLE_EQ(double(m.getDensity()), density);
    EXPECT_DOUBLE_EQ(double(m.getYoungModulus()), young);
    EXPECT_DOUBLE_EQ(20 * CantileverStructure::VolumeFactor * density * 33 / 140, CantileverStructure::mass(c));
}

TEST(CantileverStructureTest, BeamNetlistResonatesAtTheLcFrequency)
{
    const QString text = netlistOf(anchoredBeams({3}));
    double c = 0, l = 0;
    for (const QString &line : text.split('\n')) {
        const QStringList f = line.split(' ', Qt::SkipEmptyParts);
        if (f.size() == 4 && f[0] == "c1")
            c = f[3].toDouble();
        if (f.size() == 4 && f[0] == "l1")
            l = f[3].toDouble();
    }
    ASSERT_GT(c, 0);
    ASSERT_GT(l, 0);
    const double expected = 1.0 / (2 * M_PI * std::sqrt(l * c));

    // Simulate the LC pair (L di/dt = -q/C, dq/dt = i) with a symplectic
    // step and time the zero crossings of the charge.
    const double period = 1.0 / expected, dt = period / 2000;
    double q = 1.0, i = 0.0, t = 0.0, firstCrossing = -1, lastCrossing = -1;
    int crossings = 0;
    for (int step = 0; step < 20000; ++step) {
        i -= q / (l * c) * dt;
        const double before = q;
        q += i * dt;
        t += dt;
        if ((before > 0) != (q > 0)) {
            const double at = t - dt * q / (q - before);
            if (firstCrossing < 0)
                firstCrossing = at;
            lastCrossing = at;
            ++crossings;
        }
    }
    ASSERT_GT(crossings, 10);
    const double simulated = (crossings - 1) / (2 * (lastCrossing - firstCrossing));
    EXPECT_NEAR(expected, simulated, expected * 1e-3);
    EXPECT_NEAR(1.02523e9, simulated, 1e6); // sqrt(k/m) / 2 pi from the hand-worked values
}
