// "Dopant Implant" and "Dopant Anneal" through the step executor, against
// the Gaussian of the published range statistics and Fick's law computed here.

#include "Core/Operations/Implant/rangetables.h"
#include "Core/Steps/executor.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"
#include "Util/stoptoken.h"

#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QThreadPool>

#include <cmath>
#include <limits>

using namespace Core::Steps;
using Model::Automaton::CellLock;
using Model::Automaton::DopantFields;
using Model::Automaton::TotalVolume;
using TestSupport::materialsOf;

namespace {

const uint32_t Si = 1, Oxide = 3, Resist = 11;
const double Pi = 3.14159265358979323846;
const double NaN = std::numeric_limits<double>::quiet_NaN();

// A silicon column stack of `silicon` cells under `empty` empty ones; cells
// of `cell` units (1 unit = 1 µm), 3 x 3 columns.
boost::shared_ptr<TotalVolume> siliconSlab(unsigned silicon, unsigned empty, float cell, unsigned columns = 3)
{
    return TestSupport::makeVolume(columns, columns, silicon + empty,
                                   [silicon](unsigned, unsigned, unsigned z) { return z < silicon ? Si : 0u; },
                                   cell, cell, cell);
}

int run(const char *name, const QVariantMap &values, ProcessRunContext &context)
{
    const StepDefinition *definition = StepRegistry::instance().named(QLatin1String(name));
    EXPECT_TRUE(definition);
    return runProcessStep(makeStep(*definition, withDefaults(*definition, values)), context);
}

std::vector<float> fieldOf(TotalVolume &volume, int species)
{
    CellLock lock(volume);
    return lock.dopants().has(species) ? lock.dopants().field(species) : std::vector<float>();
}

// The column (x, y) of a field, bottom first.
std::vector<double> columnOf(TotalVolume &volume, int species, unsigned x, unsigned y)
{
    const std::vector<float> field = fieldOf(volume, species);
    std::vector<double> out(volume.getSizeZ(), 0.0);
    if (!field.empty())
        for (unsigned z = 0; z < volume.getSizeZ(); ++z)
            out[z] = field[volume.cellIndex(x, y, z)];
    return out;
}

// The dose (cm^-2) of a column: concentration times cell height in cm.
double doseOf(const std::vector<double> &column, double cellMicrometres)
{
    double sum = 0.0;
    for (double c : column)
        sum += c;
    return sum * cellMicrometres * 1e-4;
}

double normalCdf(double t) { return 0.5 * std::erfc(-t / std::sqrt(2.0)); }

struct Profile
{
    const char *species;
    double energy;   // keV
    double rp;       // nm, Gibbons et al. 1975
    double straggle; // nm
    int field;
};

} // namespace

// The Gaussian of the tabulated Rp and dRp, laid from the surface: its dose,
// its peak depth and its shape, for boron and arsenic at two energies each,
// with and without tilt.
TEST(DopantImplant, ProfilesFollowTheTabulatedGaussian)
{
    const Profile rows[] = {{"B", 30, 98.7, 37.1, DopantFields::Boron},
                            {"B", 100, 299.4, 71.0, DopantFields::Boron},
                            {"As", 40, 26.9, 9.9, DopantFields::Arsenic},
                            {"As", 100, 58.2, 20.7, DopantFields::Arsenic},
                            {"BF2", 30 * 49.0 / 11.0, 98.7, 37.1, DopantFields::Boron}};
    const double dose = 1e14;
    for (const Profile &row : rows)
        for (double tilt : {0.0, 7.0}) {
            SCOPED_TRACE(testing::Message() << row.species << " " << row.energy << " keV, tilt " << tilt);
            // Cells of a twentieth of the straggle, silicon to Rp + 8 dRp.
            const double cellNm = row.straggle / 20.0;
            const unsigned silicon = unsigned(std::ceil((row.rp + 8 * row.straggle) / cellNm));
            ProcessRunContext context;
            context.volume = siliconSlab(silicon, 5, float(cellNm / 1000.0));
            ASSERT_EQ(run("Dopant Implant",
                          {{"Species", QLatin1String(row.species)}, {"Energy", row.energy}, {"Dose", dose},
                           {"Tilt", tilt}},
                          context),
                      StepSucceeded)
                << context.detail.toStdString();
            const double cell = double(context.volume->getCellSizeZ()) * 1000.0; // nm, as the volume holds it
            const std::vector<double> c = columnOf(*context.volume, row.field, 1, 1);
            EXPECT_NEAR(doseOf(c, cell / 1000.0), dose, 0.01 * dose);

            const double rp = row.rp * std::cos(tilt * Pi / 180.0), s = row.straggle;
            const double inside = 1.0 - normalCdf(-rp / s);
            double error = 0.0, norm = 0.0;
            unsigned peak = 0;
            for (unsigned z = 0; z < silicon; ++z) {
                const double depth = (double(silicon - z) - 0.5) * cell;
                const double expected = dose / (std::sqrt(2 * Pi) * s * 1e-7 * inside) *
                                        std::exp(-(depth - rp) * (depth - rp) / (2 * s * s));
                error += (c[z] - expected) * (c[z] - expected);
                norm += expected * expected;
                if (c[z] > c[peak])
                    peak = z;
            }
            EXPECT_LT(std::sqrt(error / norm), 0.05);
            EXPECT_NEAR((double(silicon - peak) - 0.5) * cell, rp, 0.5 * cell);
            // Nothing above the surface.
            for (unsigned z = silicon; z < c.size(); ++z)
                EXPECT_EQ(c[z], 0.0);
        }
}

// B at 30 keV, 1e14 cm^-2, without tilt: the junction against a background
// of 1e15 cm^-3 lies at Rp + dRp sqrt(2 ln(Cpeak / 1e15)), about 259 nm.
TEST(DopantImplant, BoronJunctionDepthMatchesTheTextbook)
{
    ProcessRunContext context;
    context.volume = siliconSlab(400, 5, 0.002f);
    ASSERT_EQ(run("Dopant Implant", {{"Species", "B"}, {"Energy", 30.0}, {"Dose", 1e14}, {"Tilt", 0.0}}, context),
              StepSucceeded);
    const std::vector<double> c = columnOf(*context.volume, DopantFields::Boron, 1, 1);
    unsigned z = 0;
    while (z < 400 && c[z] < 1e15)
        ++z;
    const double junction = (400.0 - z) * 2.0; // nm, the top of the first cell above the background
    const double peak = 1e14 / (std::sqrt(2 * Pi) * 37.1e-7);
    EXPECT_NEAR(junction, 98.7 + 37.1 * std::sqrt(2 * std::log(peak / 1e15)), 4.0);
    EXPECT_NEAR(junction, 259.0, 5.0);
}

// A resist thicker than (Rp + 4 dRp) times silicon's density over the
// resist's stops the ions: the masked columns far from the edge get no more
// than the Gaussian's tail beyond it,
// and the volume holds the open half of the dose.
TEST(DopantImplant, AThickResistStopsItAndTheDoseIsWhatTheOpeningLetIn)
{
    const double rp = 98.7, straggle = 37.1;
    const double resistNm = (rp + 4 * straggle) * 2329.0 / 1000.0 * 1.05;
    const double cellNm = 10.0;
    const unsigned silicon = 60, resist = unsigned(std::ceil(resistNm / cellNm));
    ProcessRunContext context;
    context.volume = TestSupport::makeVolume(
        40, 4, silicon + resist + 4,
        [&](unsigned x, unsigned, unsigned z) { return z < silicon ? Si : z < silicon + resist && x < 20 ? Resist : 0u; },
        float(cellNm / 1000.0));
    ASSERT_EQ(run("Dopant Implant", {{"Species", "B"}, {"Energy", 30.0}, {"Dose", 1e14}, {"Tilt", 0.0}}, context),
              StepSucceeded);
    double total = 0.0;
    for (unsigned x = 0; x < 40; ++x)
        for (unsigned y = 0; y < 4; ++y) {
            const std::vector<double> c = columnOf(*context.volume, DopantFields::Boron, x, y);
            total += doseOf(c, cellNm / 1000.0);
            if (x < 4) // more than four lateral straggles from the edge: the tail beyond Rp + 4 dRp only
                EXPECT_LT(doseOf(c, cellNm / 1000.0), 1e-4 * 1e14) << x;
            for (unsigned z = silicon; z < c.size(); ++z)
                EXPECT_EQ(c[z], 0.0); // the resist keeps no concentration
        }
    EXPECT_NEAR(total / 160.0, 0.5e14, 0.01 * 0.5e14);
}

// Bad values: a sentence, and neither cells nor concentrations change.
TEST(DopantSteps, BadValuesAreRefusedWithASentenceAndChangeNothing)
{
    struct Refusal
    {
        const char *step;
        QVariantMap values;
        const char *says;
    };
    const Refusal rows[] = {
        {"Dopant Implant", {{"Energy", -5.0}}, "\"Energy\""},
        {"Dopant Implant", {{"Energy", NaN}}, "\"Energy\""},
        {"Dopant Implant", {{"Energy", 5.0}}, "covers 10 to 200 keV; 5 keV lies outside it"},
        {"Dopant Implant", {{"Energy", 250.0}}, "\"Energy\" must be a finite number from above 0 up to 200 keV"},
        {"Dopant Implant", {{"Species", "BF2"}, {"Energy", 30.0}}, "BF2 in silicon covers 44.55 to 200 keV"},
        {"Dopant Implant", {{"Dose", -1e14}}, "\"Dose\""},
        {"Dopant Implant", {{"Dose", NaN}}, "\"Dose\""},
        {"Dopant Implant", {{"Dose", 1e39}}, "more than a concentration field holds"},
        {"Dopant Implant", {{"Species", "Ga"}}, "\"Ga\" is no species the implant knows: give B, BF2, P, As, Sb."},
        {"Dopant Implant", {{"Tilt", 75.0}}, "\"Tilt\""},
        {"Dopant Anneal", {{"Temperature", 700.0}}, "\"Temperature\""},
        {"Dopant Anneal", {{"Temperature", 1300.0}}, "\"Temperature\""},
        {"Dopant Anneal", {{"Temperature", NaN}}, "\"Temperature\""},
        {"Dopant Anneal", {{"Time", -1.0}}, "\"Time\""},
    };
    ProcessRunContext context;
    context.volume = siliconSlab(100, 5, 0.005f);
    ASSERT_EQ(run("Dopant Implant", {}, context), StepSucceeded);
    const std::vector<float> held = fieldOf(*context.volume, DopantFields::Boron);
    const std::vector<uint32_t> cells = materialsOf(*context.volume);
    ASSERT_FALSE(held.empty());
    for (const Refusal &row : rows) {
        SCOPED_TRACE(testing::Message() << row.step << " " << row.says);
        EXPECT_EQ(run(row.step, row.values, context), StepInvalidParameter);
        EXPECT_TRUE(context.detail.contains(QString::fromUtf8(row.says))) << context.detail.toStdString();
        EXPECT_EQ(fieldOf(*context.volume, DopantFields::Boron), held);
        EXPECT_EQ(materialsOf(*context.volume), cells);
    }
    CellLock lock(*context.volume);
    EXPECT_EQ(lock.dopants().present(), std::vector<int>{DopantFields::Boron});
}

// A Gaussian deep in silicon spreads by Fick's law: its variance grows by
// 2 D t with Fair's intrinsic diffusivity, and its dose stays.
TEST(DopantAnneal, AGaussiansVarianceGrowsByTwiceDTimesTime)
{
    const double k = 8.617333262e-5;
    struct Case
    {
        int species;
        double temperature, minutes;
        double d; // cm^2/s, from Fair's terms
    };
    auto arrhenius = [k](double d0, double ea, double celsius) { return d0 * std::exp(-ea / (k * (celsius + 273.15))); };
    const Case cases[] = {
        {DopantFields::Boron, 1000, 60, arrhenius(0.037, 3.46, 1000) + arrhenius(0.72, 3.46, 1000)},
        {DopantFields::Arsenic, 1100, 30, arrhenius(0.066, 3.44, 1100) + arrhenius(12.0, 4.05, 1100)},
        {DopantFields::Phosphorus, 950, 120,
         arrhenius(3.85, 3.66, 950) + arrhenius(4.44, 4.00, 950) + arrhenius(44.2, 4.37, 950)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << DopantFields::speciesName(c.species).toStdString() << " " << c.temperature);
        const double spread = c.d * c.minutes * 60.0; // cm^2
        const double sigma0 = 0.5 * std::sqrt(2 * spread);
        const double cm = std::sqrt(2 * spread + sigma0 * sigma0) / 12.0; // a cell
        const unsigned n = 200;
        const boost::shared_ptr<TotalVolume> volume = TestSupport::makeVolume(
            1, 1, n, [](unsigned, unsigned, unsigned) { return Si; }, float(cm * 1e4));
        const double h = double(volume->getCellSizeZ()) * 1e-4;
        {
            CellLock lock(*volume);
            std::vector<float> &f = lock.dopants().make(c.species, n);
            for (unsigned z = 0; z < n; ++z) {
                const double x = (z + 0.5 - n / 2.0) * h;
                f[z] = float(1e19 * std::exp(-x * x / (2 * sigma0 * sigma0)));
            }
        }
        auto moments = [&](double &dose, double &variance) {
            const std::vector<double> col = columnOf(*volume, c.species, 0, 0);
            double m0 = 0, m1 = 0, m2 = 0;
            for (unsigned z = 0; z < n; ++z) {
                const double x = (z + 0.5) * h;
                m0 += col[z];
                m1 += col[z] * x;
                m2 += col[z] * x * x;
            }
            dose = m0 * h;
            variance = m2 / m0 - (m1 / m0) * (m1 / m0);
        };
        double dose0, variance0, dose1, variance1;
        moments(dose0, variance0);
        ProcessRunContext context;
        context.volume = volume;
        ASSERT_EQ(run("Dopant Anneal", {{"Temperature", c.temperature}, {"Time", c.minutes}}, context), StepSucceeded)
            << context.detail.toStdString();
        moments(dose1, variance1);
        EXPECT_NEAR(dose1, dose0, 0.01 * dose0);
        EXPECT_NEAR(variance1 - variance0, 2 * spread, 0.05 * 2 * spread);
    }
}

// Dopant moves only among silicon cells: an oxide layer and the empty space
// above hold none after the anneal, and the dose stays.
TEST(DopantAnneal, NoFluxLeavesTheSilicon)
{
    ProcessRunContext context;
    context.volume = TestSupport::makeVolume(
        12, 6, 60, [](unsigned x, unsigned, unsigned z) { return z < 40 ? Si : z < 44 && x < 6 ? Oxide : 0u; },
        0.01f);
    ASSERT_EQ(run("Dopant Implant", {{"Species", "P"}, {"Energy", 60.0}, {"Dose", 5e14}}, context), StepSucceeded);
    const double before = doseOf(columnOf(*context.volume, DopantFields::Phosphorus, 10, 3), 0.01);
    double totalBefore = 0.0;
    for (float v : fieldOf(*context.volume, DopantFields::Phosphorus))
        totalBefore += v;
    ASSERT_EQ(run("Dopant Anneal", {{"Temperature", 1100.0}, {"Time", 30.0}}, context), StepSucceeded);
    const std::vector<float> after = fieldOf(*context.volume, DopantFields::Phosphorus);
    double totalAfter = 0.0;
    for (float v : after)
        totalAfter += v;
    EXPECT_NEAR(totalAfter, totalBefore, 1e-3 * totalBefore);
    EXPECT_LT(doseOf(columnOf(*context.volume, DopantFields::Phosphorus, 10, 3), 0.01), before);
    for (unsigned x = 0; x < 12; ++x)
        for (unsigned y = 0; y < 6; ++y)
            for (unsigned z = 40; z < 60; ++z)
                EXPECT_EQ(after[context.volume->cellIndex(x, y, z)], 0.0f);
}

// Implant through a mask and anneal: the same bits for any thread count.
TEST(DopantSteps, ResultsDoNotDependOnTheThreadCount)
{
    const int threads = QThreadPool::globalInstance()->maxThreadCount();
    std::vector<std::vector<float>> results;
    for (int n : {1, 2, 3, 7}) {
        QThreadPool::globalInstance()->setMaxThreadCount(n);
        ProcessRunContext context;
        context.volume = TestSupport::makeVolume(
            17, 11, 50, [](unsigned x, unsigned y, unsigned z) { return z < 36 ? Si : z < 40 && x + y < 14 ? Resist : 0u; },
            0.01f);
        ASSERT_EQ(run("Dopant Implant", {{"Species", "As"}, {"Energy", 80.0}, {"Dose", 2e15}}, context), StepSucceeded);
        ASSERT_EQ(run("Dopant Anneal", {{"Temperature", 1050.0}, {"Time", 20.0}}, context), StepSucceeded);
        results.push_back(fieldOf(*context.volume, DopantFields::Arsenic));
    }
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    for (size_t i = 1; i < results.size(); ++i)
        EXPECT_EQ(results[i], results[0]) << i;
}

// A stop during either step puts the concentrations back as they were.
TEST(DopantSteps, AStopPutsTheConcentrationsBack)
{
    ProcessRunContext context;
    context.volume = siliconSlab(80, 5, 0.005f);
    ASSERT_EQ(run("Dopant Implant", {}, context), StepSucceeded);
    const std::vector<float> held = fieldOf(*context.volume, DopantFields::Boron);
    Util::StopToken token;
    token.request();
    context.stop = &token;
    EXPECT_EQ(run("Dopant Anneal", {}, context), StepStopped);
    EXPECT_EQ(fieldOf(*context.volume, DopantFields::Boron), held);
    EXPECT_EQ(run("Dopant Implant", {{"Species", "P"}}, context), StepStopped);
    EXPECT_EQ(fieldOf(*context.volume, DopantFields::Boron), held);
    EXPECT_TRUE(fieldOf(*context.volume, DopantFields::Phosphorus).empty());
}

// A snapshot that cannot keep its copy (no memory) stops the step before it
// runs: a sentence, and nothing changed, instead of an exception out of the runner.
TEST(DopantSteps, NoMemoryForTheUndoCopyRefusesTheStep)
{
    struct NoMemory : IStepSnapshot
    {
        void keep(TotalVolume &, const StepDefinition &) override { throw std::bad_alloc(); }
        bool putBack(TotalVolume &) override { return false; }
    } snapshot;
    ProcessRunContext context;
    context.volume = siliconSlab(80, 5, 0.005f);
    context.snapshot = &snapshot;
    EXPECT_EQ(run("Dopant Implant", {}, context), StepInvalidParameter);
    EXPECT_TRUE(context.detail.contains(QStringLiteral("not enough memory to keep the volume's state")));
    EXPECT_TRUE(fieldOf(*context.volume, DopantFields::Boron).empty());
}
