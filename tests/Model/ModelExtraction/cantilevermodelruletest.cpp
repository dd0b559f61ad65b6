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
    // Thermal oxide (2200 kg/m^3, 70 GPa) in cells of 1 um: m = 10*2*1 um^3 * 2200 * 33/140,
    // 1/k = (10 um)^3 / (3 * 7e10 * 2 um * (1 um)^3 / 12)
    CantileverModelRule rule;
    EXPECT_EQ(QStringLiteral("Model extracted by Torvane\n"
                             "c1 1 0 1.03714e-14 \n"
                             "l1 1 0 0.0285714 \n"
                             ".end \n"),
              netlistOf(anchoredBeams({3}), &rule));
    ASSERT_EQ(1u, rule.getCantilevers().size());
    const CantileverStructure::Cantilever c = rule.getCantilevers()[0];
    EXPECT_EQ((std::vector<int>{3, 1, 1, 10, 2, 1}), (std::vector<int>{c.x, c.y, c.z, c.t, c.u, c.v}));
}

TEST(CantileverModelRuleTest, TwoBeamsGiveNodesInTheOrderFound)
{
    EXPECT_EQ(QStringLiteral("Model extracted by Torvane\n"
                             "c1 1 0 1.03714e-14 \nl1 1 0 0.0285714 \n"
                             "c2 2 0 1.27286e-14 \nl2 2 0 0.0285714 \n"
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

TEST(CantileverModelRuleTest, EdgesElsewhereDoNotCutTheBeamAndItHasItsFullLengthFromEitherSide)
{
    // A silicon post elsewhere once put a split plane through the beam; the
    // beam is one box now. The anchor sits at the beam's low end or high end.
    for (bool anchorLow : {true, false}) {
        CellBlocks cells(16, 8, 3);
        cells.fill(anchorLow ? 0 : 13, 0, 0, 3, 4, 3, 2);
        cells.fill(3, 1, 1, 10, 2, 1, 3);
        cells.fill(7, 6, 0, 1, 1, 1, 1);
        CantileverModelRule rule;
        ASSERT_TRUE(rule.apply(cells.boxes())) << anchorLow;
        ASSERT_EQ(1u, rule.getCantilevers().size());
        EXPECT_EQ(1u, rule.getCantileverBoxes().size());
        const CantileverStructure::Cantilever c = rule.getCantilevers()[0];
        EXPECT_EQ((std::vector<int>{3, 1, 1, 10, 2, 1}), (std::vector<int>{c.x, c.y, c.z, c.t, c.u, c.v}))
            << anchorLow;
    }
}

TEST(CantileverModelRuleTest, BeamWithASteppedCrossSectionIsOneBeam)
{
    // As an isotropic etch leaves it: a beam along y, 3 wide at the bottom and
    // 1 wide above, whose bottom layer reaches one cell further; a fillet two
    // cells wider at the anchor. Found from either end of the axis, with the
    // length from the anchor to the tip and the cross-section of its longest stretch.
    for (bool anchorLow : {true, false}) {
        CellBlocks cells(12, 24, 6);
        const unsigned anchorY = anchorLow ? 0 : 18;
        cells.fill(0, 0, 0, 12, 24, 1, 1);       // silicon below
        cells.fill(0, anchorY, 1, 12, 6, 1, 3);  // the oxide the anchor stands on
        cells.fill(0, anchorY, 2, 12, 6, 3, 16); // the anchor
        cells.fill(3, anchorLow ? 6 : 17, 2, 5, 1, 1, 16); // the fillet
        cells.fill(4, anchorLow ? 6 : 5, 2, 3, 13, 1, 16);
        cells.fill(5, 6, 3, 1, 12, 2, 16);
        CantileverModelRule rule;
        ASSERT_TRUE(rule.apply(cells.boxes())) << anchorLow;
        ASSERT_EQ(1u, rule.getCantilevers().size()) << anchorLow;
        EXPECT_GT(rule.getCantileverBoxes().size(), 2u);
        const CantileverStructure::Cantilever c = rule.getCantilevers()[0];
        EXPECT_EQ((std::vector<int>{4, anchorLow ? 6 : 5, 2, 3, 13, 3}),
                  (std::vector<int>{c.x, c.y, c.z, c.t, c.u, c.v}))
            << anchorLow;
    }
}

TEST(CantileverStructureTest, EveryMaterialTakesItsConstantsFromTheCatalogue)
{
    // Ids below 16 once came from a fixed table (gold at 1000 kg/m^3, every E 70 GPa).
    const Model::Materials::MaterialFactory &catalogue = *Model::Materials::MaterialFactory::instance();
    for (unsigned id : {1u, 3u, 4u, 5u, 9u, 11u, 16u}) {
        const Model::Materials::Material m = catalogue.getMaterial(id);
        ASSERT_GT(m.getDensity(), 0) << id;
        double density = -1, young = -1;
        CantileverStructure::materialConstants(id, &density, &young);
        EXPECT_DOUBLE_EQ(double(m.getDensity()), density) << id;
        EXPECT_DOUBLE_EQ(double(m.getYoungModulus()), young) << id;
        const CantileverStructure::CellEdges edges{2e-6, 3e-6, 5e-7};
        const CantileverStructure::Cantilever c{0, 0, 0, 10, 2, 1, id};
        EXPECT_DOUBLE_EQ(20 * 2e-6 * 3e-6 * 5e-7 * density * 33 / 140, CantileverStructure::mass(c, edges)) << id;
    }
}

namespace {

// A block of material 2 holding one beam with nothing above or below it,
// along +x or, turned, along +y.
CellBlocks clampedBeam(unsigned length, unsigned width, unsigned thickness, uint32_t material, bool alongY)
{
    if (!alongY) {
        CellBlocks cells(length + 5, width + 2, thickness + 2);
        cells.fill(0, 0, 0, 3, cells.sy, cells.sz, 2);
        cells.fill(3, 1, 1, length, width, thickness, material);
        return cells;
    }
    CellBlocks cells(width + 2, length + 5, thickness + 2);
    cells.fill(0, 0, 0, cells.sx, 3, cells.sz, 2);
    cells.fill(1, 3, 1, width, length, thickness, material);
    return cells;
}

double netlistValue(const QString &text, const QString &name)
{
    for (const QString &line : text.split('\n')) {
        const QStringList f = line.split(' ', Qt::SkipEmptyParts);
        if (f.size() == 4 && f[0] == name)
            return f[3].toDouble();
    }
    return 0;
}

struct BeamCase
{
    unsigned length, width, thickness; // cells
    const char *material;              // a catalogue name
    double edge[3];                    // cell edges along x, y, z in metres
    bool alongY;
};

void PrintTo(const BeamCase &c, std::ostream *os)
{
    *os << c.length << "x" << c.width << "x" << c.thickness << " of " << c.material << " cells " << c.edge[0]
        << "," << c.edge[1] << "," << c.edge[2] << (c.alongY ? " along y" : " along x");
}

class ClampedBeamResonance : public ::testing::TestWithParam<BeamCase>
{
};

} // namespace

TEST_P(ClampedBeamResonance, LcFrequencyIsTheEulerBernoulliFirstMode)
{
    const BeamCase b = GetParam();
    const Model::Materials::Material m = Model::Materials::MaterialFactory::instance()->findMaterial(b.material);
    ASSERT_GT(m.getDensity(), 0) << b.material;
    const CantileverStructure::CellEdges edges{b.edge[0], b.edge[1], b.edge[2]};
    CantileverModelRule rule(edges);
    const QString text = netlistOf(clampedBeam(b.length, b.width, b.thickness, m.getId(), b.alongY), &rule);
    const double c = netlistValue(text, "c1"), l = netlistValue(text, "l1");
    ASSERT_GT(c, 0) << text.toStdString();
    ASSERT_GT(l, 0) << text.toStdString();
    const double lc = 1.0 / (2 * M_PI * std::sqrt(l * c));

    // f1 = (beta1^2 / 2 pi) sqrt(E I / (rho A)) / L^2 with I = w h^3 / 12, A = w h,
    // and beta1 the first root of cos(x) cosh(x) = -1.
    const double along = b.alongY ? b.edge[1] : b.edge[0], across = b.alongY ? b.edge[0] : b.edge[1];
    const double L = b.length * along, w = b.width * across, h = b.thickness * b.edge[2];
    const double E = m.getYoungModulus(), rho = m.getDensity();
    const double beta = 1.8751040687119611;
    const double f1 = beta * beta / (2 * M_PI) * std::sqrt(E * (w * h * h * h / 12) / (rho * w * h)) / (L * L);
    EXPECT_NEAR(lc, f1, 0.05 * f1);
    ASSERT_EQ(1u, rule.getCantilevers().size());
    const auto beams = CantileverStructure(rule.getCantilevers(), edges).beams();
    ASSERT_EQ(1u, beams.size());
    EXPECT_NEAR(lc, beams[0].frequency, 1e-5 * lc); // the netlist carries six digits
    EXPECT_DOUBLE_EQ(L, beams[0].length);
    EXPECT_DOUBLE_EQ(h, beams[0].thickness);
}

INSTANTIATE_TEST_SUITE_P(
    Beams, ClampedBeamResonance,
    ::testing::Values(BeamCase{10, 2, 1, "Au (bulk)", {1e-6, 1e-6, 1e-6}, false},
                      BeamCase{40, 8, 2, "Au (bulk)", {2.5e-7, 2.5e-7, 1e-7}, true},
                      BeamCase{28, 4, 3, "Al (bulk)", {1e-6, 1e-6, 1e-6}, false},
                      BeamCase{60, 5, 1, "Al (bulk)", {5e-6, 2e-6, 5e-7}, true},
                      BeamCase{15, 3, 4, "Ni (bulk)", {2e-6, 2e-6, 2e-6}, false},
                      BeamCase{20, 3, 2, "Poly-Si", {1e-6, 1e-6, 1e-6}, true}));

TEST(CantileverStructureTest, BeamNetlistResonatesAtTheLcFrequency)
{
    const QString text = netlistOf(anchoredBeams({3}));
    const double c = netlistValue(text, "c1"), l = netlistValue(text, "l1");
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
    EXPECT_NEAR(9.2456e6, simulated, 1e3); // sqrt(k/m) / 2 pi from the hand-worked values
}
