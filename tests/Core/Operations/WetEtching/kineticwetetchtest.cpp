#include "Core/Operations/WetEtching/etchantrates.h"
#include "Core/Operations/WetEtching/kineticwetetching.h"
#include "wetetchtestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Core::Operations;
using namespace WetEtchTest;
using Model::Automaton::SiAtom;
using Model::Automaton::SiLattice;
using Model::Automaton::TotalVolume;

namespace {

const double Boltzmann = 8.617333262e-5; // eV/K

// Seidel, Csepregi, Heuberger and Baumgärtel, J. Electrochem. Soc. 137, 3612 (1990):
// R = k0 [H2O]^4 [KOH]^(1/4) exp(-Ea / kT), k0 in µm/h (mol/l)^-4.25. The molarities
// of 30 wt % KOH from its tabulated density, 1.290 g/cm³.
double seidel(double k0, double ea, double celsius)
{
    const double grams = 1290;
    const double koh = 0.30 * grams / 56.1056, water = 0.70 * grams / 18.0153;
    return k0 * std::pow(water, 4) * std::pow(koh, 0.25) * std::exp(-ea / (Boltzmann * (celsius + 273.15))) / 60;
}
double seidel100(double celsius) { return seidel(2480, 0.595, celsius); }
double seidel110(double celsius) { return seidel(4500, 0.60, celsius); }
// (111) against (100) in 30 % KOH at 70 °C: Sato et al., Sensors and Actuators A 64, 87 (1998).
const double Ratio111 = 0.0063;

void etchFor(TotalVolume &volume, double minutes, double celsius)
{
    const EtchantRates::PlaneRates planes = EtchantRates::rates(EtchantRates::Koh, 30, celsius);
    const double unit = volume.getUnitLength();
    KineticWetEtching etcher(volume, KineticWetEtching::classRates(planes, unit), minutes,
                             KineticWetEtching::reachDepth(planes, unit, minutes));
    ASSERT_TRUE(etcher.run());
    EXPECT_DOUBLE_EQ(etcher.simulatedTime(), minutes);
}

// A box in world units.
struct Box
{
    double x0, x1, y0, y1, z0, z1;
    bool contains(const SiLattice::Point &p) const
    {
        return p.x >= x0 && p.x < x1 && p.y >= y0 && p.y < y1 && p.z >= z0 && p.z < z1;
    }
};

// The largest coordinate (axis 0 x, 2 z) of a present atom in the box, or of an absent one with present false.
double extreme(const TotalVolume &volume, const Box &box, int axis, bool present, bool largest = true)
{
    const SiLattice &l = *volume.getLattice();
    double best = largest ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    for (uint32_t id = 0; id < l.getAtomCount(); ++id) {
        const SiAtom &a = l.atom(id);
        if (a.cellIndex < 0 || (a.state == SiAtom::Present) != present)
            continue;
        const SiLattice::Point p = l.atomPosition(id);
        if (!box.contains(p))
            continue;
        const double v = axis == 0 ? p.x : axis == 1 ? p.y : p.z;
        best = largest ? std::max(best, v) : std::min(best, v);
    }
    return best;
}

// How far a flat (100) wafer, silicon below z = 18 in a 26 x 26 volume, goes down in the
// time; measured in the middle, away from the side faces the volume holds fixed.
double flatDepth(double minutes, double celsius)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(26, 26, 20, flatTop(18));
    EXPECT_TRUE(volume->createLattice());
    const Box middle{11, 15, 11, 15, 0, 20};
    const double before = extreme(*volume, middle, 2, true);
    etchFor(*volume, minutes, celsius);
    return before - extreme(*volume, middle, 2, true);
}

// Silicon below z = top under a mask (material 2) at z = top with an opening [lo, hi) in y along all of x.
MaterialAt grooveMask(unsigned top, unsigned lo, unsigned hi)
{
    return [=](unsigned, unsigned y, unsigned z) {
        if (z < top)
            return 1u;
        return z == top && !(y >= lo && y < hi) ? 2u : 0u;
    };
}

} // namespace

TEST(KineticWetEtch, FlatHundredDepthIsTheSeidelRateTimesTheTime)
{
    // Depths of about 5, 10 and 15 units at 80 °C.
    for (double depth : {5.1, 10.1, 15.1}) {
        const double minutes = depth / seidel100(80);
        EXPECT_NEAR(flatDepth(minutes, 80), depth, 0.05 * depth) << minutes << " min";
    }
}

TEST(KineticWetEtch, SeventyToEightyDegreesFollowsTheActivationEnergy)
{
    const double minutes = 8.1 / seidel100(70);
    const double measured = flatDepth(minutes, 80) / flatDepth(minutes, 70);
    const double arrhenius = std::exp(-0.595 / Boltzmann * (1 / 353.15 - 1 / 343.15));
    EXPECT_NEAR(measured, arrhenius, 0.10 * arrhenius);
}

TEST(KineticWetEtch, HundredTenAndHundredElevenAgainstHundredFollowTheSources)
{
    const double celsius = 80;
    const double minutes100 = 4.1 / seidel100(celsius);
    const double rate100 = flatDepth(minutes100, celsius) / minutes100;

    // (110): the volume's crystal has [110] along x, so a face normal to x is a (110)
    // plane. Silicon x < 16 under a mask; the face at x = 16 recedes.
    const boost::shared_ptr<TotalVolume> face = makeVolume(26, 24, 22, [](unsigned x, unsigned, unsigned z) {
        if (x >= 16)
            return 0u;
        return z < 20 ? 1u : z == 20 ? 2u : 0u;
    });
    ASSERT_TRUE(face->createLattice());
    const Box band{0, 26, 10, 14, 8, 12};
    const double minutes110 = 6.1 / seidel110(celsius);
    const double before = extreme(*face, band, 0, true);
    etchFor(*face, minutes110, celsius);
    const double rate110 = (before - extreme(*face, band, 0, true)) / minutes110;
    const double source110 = seidel110(celsius) / seidel100(celsius);
    EXPECT_NEAR(rate110 / rate100, source110, 0.20 * source110);

    // (111): a groove along x through a mask opening 6 wide stops on its (111) walls
    // after 4.2 units; then the walls recede. Each wall's horizontal retreat under the
    // mask is its normal retreat over sin 54.74°.
    const double sinWall = std::sqrt(2.0 / 3.0);
    const auto widthAfter = [&](double minutes) {
        const boost::shared_ptr<TotalVolume> groove = makeVolume(8, 30, 22, grooveMask(20, 12, 18));
        EXPECT_TRUE(groove->createLattice());
        etchFor(*groove, minutes, celsius);
        const Box underMask{3, 5, 0, 30, 19, 20};
        return extreme(*groove, underMask, 1, false) - extreme(*groove, underMask, 1, false, false);
    };
    const double stopped = 8.0 / seidel100(celsius); // well past the 4.2 units at which it stops
    const double later = stopped + 10 * (1 / std::sqrt(3.0)) / (Ratio111 * seidel100(celsius)); // ten (111) bilayers
    const double rate111 = (widthAfter(later) - widthAfter(stopped)) / 2 * sinWall / (later - stopped);
    EXPECT_NEAR(rate111 / rate100, Ratio111, 0.20 * Ratio111);
}

TEST(KineticWetEtch, AHundredTenFaceRecedesOneLayerPerLifeOfItsAtoms)
{
    // A face normal to x, (110), under a mask: whole layers (2√2 layers a unit) go, one per
    // 1 / rate of the class, as long as the facets from the mask's edge stay above the band.
    // An atom's class also depends on its second neighbours, so a removal must reclass them too.
    for (double depth : {2.1, 4.1, 6.1}) {
        const boost::shared_ptr<TotalVolume> face = makeVolume(30, 30, 26, [](unsigned x, unsigned, unsigned z) {
            if (x >= 20)
                return 0u;
            return z < 24 ? 1u : z == 24 ? 2u : 0u;
        });
        ASSERT_TRUE(face->createLattice());
        const Box band{0, 30, 13, 17, 10, 14};
        const double before = extreme(*face, band, 0, true);
        etchFor(*face, depth / seidel110(80), 80);
        const double layer = std::sqrt(2.0) / 4;
        EXPECT_NEAR(before - extreme(*face, band, 0, true), std::floor(depth / layer) * layer, 1e-6) << depth;
    }
}

TEST(KineticWetEtch, GrooveWallsStandAtFiftyFourPointSevenDegrees)
{
    // A mask opening 12 wide along x in a (100) wafer, etched 6 units deep: not yet a full V.
    const boost::shared_ptr<TotalVolume> volume = makeVolume(10, 30, 22, grooveMask(20, 9, 21));
    ASSERT_TRUE(volume->createLattice());
    etchFor(*volume, 6.0 / seidel100(80), 80);
    // The first wall's edge in each atomic layer between the floor and the mask.
    std::vector<std::pair<double, double>> edge; // (y, z)
    for (double z = 15.0; z < 19.5; z += 0.25) {
        const Box layer{4, 6, 0, 15, z - 0.01, z + 0.24};
        const double y = extreme(*volume, layer, 1, false, false);
        if (std::isfinite(y))
            edge.emplace_back(y, z);
    }
    ASSERT_GE(edge.size(), 10u);
    double sy = 0, sz = 0, syy = 0, syz = 0;
    for (const auto &p : edge) {
        sy += p.first;
        sz += p.second;
        syy += p.first * p.first;
        syz += p.first * p.second;
    }
    const double n = double(edge.size());
    const double slope = (n * syz - sy * sz) / (n * syy - sy * sy);
    const double degrees = std::atan(std::fabs(slope)) * 180 / M_PI;
    EXPECT_NEAR(degrees, std::atan(std::sqrt(2.0)) * 180 / M_PI, 2.0);
}

TEST(KineticWetEtch, ResultIsBitIdenticalForEveryPoolSize)
{
    std::vector<CellRecord> reference;
    for (int threads : {1, 2, 3, 7}) {
        const PoolSize pool(threads);
        const boost::shared_ptr<TotalVolume> volume = makeVolume(20, 20, 12, maskedTop(10, 6, 14));
        ASSERT_TRUE(volume->createLattice());
        etchFor(*volume, 3.0, 75);
        const std::vector<CellRecord> cells = cellsOf(*volume);
        if (reference.empty()) {
            reference = cells;
            continue;
        }
        ASSERT_EQ(cells.size(), reference.size());
        for (size_t i = 0; i < cells.size(); ++i) {
            ASSERT_EQ(cells[i].material, reference[i].material) << threads << " threads, cell " << i;
            ASSERT_EQ(cells[i].atomCount, reference[i].atomCount) << threads << " threads, cell " << i;
        }
    }
}

TEST(KineticWetEtch, TwoEtchesOfHalfTheTimeGoAsDeepAsOneOfTheWhole)
{
    const auto depthAfter = [](int parts) {
        const boost::shared_ptr<TotalVolume> volume = makeVolume(26, 26, 14, flatTop(12));
        EXPECT_TRUE(volume->createLattice());
        const Box middle{11, 15, 11, 15, 0, 14};
        const double before = extreme(*volume, middle, 2, true);
        for (int i = 0; i < parts; ++i)
            etchFor(*volume, 6.3 / seidel100(80) / parts, 80);
        return before - extreme(*volume, middle, 2, true);
    };
    EXPECT_DOUBLE_EQ(depthAfter(2), depthAfter(1));
}

TEST(EtchantRates, RefusesWhatTheDataDoNotCover)
{
    EXPECT_TRUE(EtchantRates::check(EtchantRates::Koh, 30, 80).isEmpty());
    struct Case
    {
        int etchant;
        double percent, celsius;
        const char *words;
    };
    const Case cases[] = {{1, 30, 80, "etchant"},
                          {EtchantRates::Koh, 5, 80, "concentration"},
                          {EtchantRates::Koh, 45, 80, "concentration"},
                          {EtchantRates::Koh, 30, 10, "temperature"},
                          {EtchantRates::Koh, 30, 120, "temperature"},
                          {EtchantRates::Koh, std::nan(""), 80, "concentration"},
                          {EtchantRates::Koh, 30, std::numeric_limits<double>::infinity(), "temperature"}};
    for (const Case &c : cases) {
        const QString sentence = EtchantRates::check(c.etchant, c.percent, c.celsius);
        EXPECT_TRUE(sentence.contains(QLatin1String(c.words))) << qPrintable(sentence);
        EXPECT_TRUE(sentence.endsWith(QLatin1Char('.'))) << qPrintable(sentence);
    }
}
