#include "dopantanneal.h"
#include "Util/physicalconstants.h"

#include "Core/Operations/DistanceCounting/materialset.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"
#include "Util/stoptoken.h"
#include "dopantimplant.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::DopantFields;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

using Util::BoltzmannEv;

// Fair's intrinsic diffusivity terms, D0 (cm^2/s) and activation energy (eV),
// one per charge state of the vacancy; the intrinsic diffusivity is their sum.
struct Term
{
    double d0, energy;
};
struct Terms
{
    int count;
    Term terms[3];
};
const Terms FairTerms[DopantFields::SpeciesCount] = {
    {2, {{0.037, 3.46}, {0.72, 3.46}, {0, 0}}},                  // B: D0 and D+
    {3, {{3.85, 3.66}, {4.44, 4.00}, {44.2, 4.37}}},             // P: D0, D- and D=
    {2, {{0.066, 3.44}, {12.0, 4.05}, {0, 0}}},                  // As: D0 and D-
    {2, {{0.214, 3.65}, {15.0, 4.08}, {0, 0}}},                  // Sb: D0 and D-
};

// Solves (1 + lambda * neighbours) c_i - lambda (c_{i-1} + c_{i+1}) = old_i on
// one run of n cells whose ends have no neighbour beyond them (zero flux).
// b and scratch hold n values.
void solveRun(double *c, size_t n, double lambda, std::vector<double> &upper, std::vector<double> &rhs)
{
    if (n < 2)
        return;
    upper.resize(n);
    rhs.resize(n);
    // Thomas algorithm; the matrix is diagonally dominant, so no pivoting.
    double diagonal = 1.0 + lambda;
    upper[0] = -lambda / diagonal;
    rhs[0] = c[0] / diagonal;
    for (size_t i = 1; i < n; ++i) {
        diagonal = (i + 1 < n ? 1.0 + 2.0 * lambda : 1.0 + lambda) + lambda * upper[i - 1];
        upper[i] = -lambda / diagonal;
        rhs[i] = (c[i] + lambda * rhs[i - 1]) / diagonal;
    }
    c[n - 1] = rhs[n - 1];
    for (size_t i = n - 1; i-- > 0;)
        c[i] = rhs[i] - upper[i] * c[i + 1];
}

// One implicit step along one line of cells (n cells, stride apart): every run
// of consecutive silicon cells is solved on its own.
void stepLine(float *field, const uint8_t *silicon, size_t n, size_t stride, double lambda, std::vector<double> &line,
              std::vector<double> &upper, std::vector<double> &rhs)
{
    size_t i = 0;
    while (i < n) {
        if (!silicon[i * stride]) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < n && silicon[end * stride])
            ++end;
        const size_t m = end - i;
        if (m > 1) {
            bool any = false;
            line.resize(m);
            for (size_t k = 0; k < m; ++k) {
                line[k] = field[(i + k) * stride];
                any = any || line[k] != 0.0;
            }
            if (any) {
                solveRun(line.data(), m, lambda, upper, rhs);
                for (size_t k = 0; k < m; ++k)
                    field[(i + k) * stride] = float(line[k]);
            }
        }
        i = end;
    }
}

} // namespace

DopantAnneal::DopantAnneal(TotalVolume &volume, double temperature, double time)
    : m_volume(volume), m_temperature(temperature), m_time(time)
{
}

QString DopantAnneal::checkValues(double temperature, double time)
{
    if (!std::isfinite(temperature) || temperature < LowestTemperature || temperature > HighestTemperature)
        return QStringLiteral("The diffusivities are known from %1 to %2 °C; the temperature must lie between them.")
            .arg(LowestTemperature)
            .arg(HighestTemperature);
    if (!std::isfinite(time) || time < 0.0)
        return QStringLiteral("The time must be a finite number of minutes, 0 or more.");
    return QString();
}

double DopantAnneal::diffusivity(int species, double temperature)
{
    const double kT = BoltzmannEv * (temperature + 273.15);
    const Terms &t = FairTerms[species];
    double d = 0.0;
    for (int k = 0; k < t.count; ++k)
        d += t.terms[k].d0 * std::exp(-t.terms[k].energy / kT);
    return d;
}

bool DopantAnneal::run()
{
    m_steps = 0;
    const unsigned sx = m_volume.getSizeX(), sy = m_volume.getSizeY(), sz = m_volume.getSizeZ();
    const double centimetres = m_volume.getUnitLength() * 1e-4; // per unit
    const double h[3] = {double(m_volume.getCellSizeX()) * centimetres, double(m_volume.getCellSizeY()) * centimetres,
                         double(m_volume.getCellSizeZ()) * centimetres};
    const double seconds = m_time * 60.0;
    const MaterialSet siliconSet = MaterialSet::fromProcess(DopantImplant::TargetProcessId);
    const Util::StopToken *stop = Util::currentStopToken();

    CellLock lock(m_volume);
    DopantFields &fields = lock.dopants();
    const std::vector<int> species = fields.present();
    if (species.empty() || seconds <= 0.0)
        return true;
    const size_t cells = lock.cellCount();
    std::vector<uint8_t> silicon(cells);
    const Voxel *voxels = lock.cells();
    for (size_t i = 0; i < cells; ++i)
        silicon[i] = siliconSet.contains(voxels[i].material) ? 1 : 0;
    const double hMin = std::min({h[0], h[1], h[2]});

    std::vector<unsigned> steps;
    for (int s : species) {
        const double reach = diffusivity(s, m_temperature) * seconds / (hMin * hMin);
        steps.push_back(unsigned(std::min<double>(MostSteps, std::max(1.0, std::ceil(reach / StepReach)))));
        m_steps = std::max(m_steps, steps.back());
    }
    const size_t strideX = size_t(sy) * sz;
    for (size_t k = 0; k < species.size(); ++k) {
        float *field = fields.make(species[k], cells).data();
        const double dt = seconds / steps[k];
        const double d = diffusivity(species[k], m_temperature);
        const double lambda[3] = {d * dt / (h[0] * h[0]), d * dt / (h[1] * h[1]), d * dt / (h[2] * h[2])};
        for (unsigned step = 0; step < steps[k]; ++step) {
            if (stop && stop->requested())
                return false;
            // Along x: lines by (y, z), split by y.
            if (sx > 1)
                Util::runSlabs(Util::planSlabs(0, sy, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount),
                               [&](const Util::SlabRange &r, unsigned) {
                                   std::vector<double> line, upper, rhs;
                                   for (unsigned y = r.first; y < r.last; ++y)
                                       for (unsigned z = 0; z < sz; ++z) {
                                           const size_t start = lock.index(0, y, z);
                                           stepLine(field + start, silicon.data() + start, sx, strideX, lambda[0],
                                                    line, upper, rhs);
                                       }
                               });
            // Along y and along z: lines within x slabs.
            Util::runSlabs(Util::planSlabs(0, sx, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount),
                           [&](const Util::SlabRange &r, unsigned) {
                               std::vector<double> line, upper, rhs;
                               for (unsigned x = r.first; x < r.last; ++x) {
                                   if (sy > 1)
                                       for (unsigned z = 0; z < sz; ++z) {
                                           const size_t start = lock.index(x, 0, z);
                                           stepLine(field + start, silicon.data() + start, sy, sz, lambda[1], line,
                                                    upper, rhs);
                                       }
                                   for (unsigned y = 0; y < sy; ++y) {
                                       const size_t start = lock.index(x, y, 0);
                                       stepLine(field + start, silicon.data() + start, sz, 1, lambda[2], line, upper,
                                                rhs);
                                   }
                               }
                           });
        }
    }
    return true;
}

} // namespace Operations
} // namespace Core
