#include "dopantimplant.h"

#include "Core/Operations/DistanceCounting/materialset.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "Util/slabrunner.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::DopantFields;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

const double Pi = 3.14159265358979323846;
const double NanometresPerCentimetre = 1e7;
const double MaximumTilt = 60.0;

double normalCdf(double t) { return 0.5 * std::erfc(-t / std::sqrt(2.0)); }

// Thickness in silicon that one unit of a material stands for: its density
// over silicon's. A material the catalogue gives no density counts as silicon.
class DensityRatios
{
public:
    DensityRatios()
    {
        const boost::shared_ptr<Model::Materials::MaterialFactory> catalogue =
            Model::Materials::MaterialFactory::instance();
        const double silicon = catalogue ? catalogue->getMaterial(1).getDensity() : 0.0;
        if (catalogue)
            for (const Model::Materials::Material &m : catalogue->getMaterials()) {
                const double density = m.getDensity();
                m_ratios[m.getId()] = silicon > 0.0 && density > 0.0 && std::isfinite(density) ? density / silicon : 1.0;
            }
        m_ratios[0] = 0.0; // ions fly through empty cells
    }
    double operator()(uint32_t id) const
    {
        const auto it = m_ratios.find(id);
        return it == m_ratios.end() ? 1.0 : it->second;
    }

private:
    std::unordered_map<uint32_t, double> m_ratios;
};

// Gaussian weights of a lateral straggle of sigma cells, out to 4 sigma.
std::vector<double> lateralKernel(double sigma)
{
    if (!(sigma > 1e-3))
        return {1.0};
    const int radius = std::max(1, int(std::ceil(4.0 * sigma)));
    std::vector<double> w(size_t(2 * radius + 1));
    for (int k = -radius; k <= radius; ++k) {
        // The Gaussian's share of the cell [k - 1/2, k + 1/2].
        w[size_t(k + radius)] = normalCdf((k + 0.5) / sigma) - normalCdf((k - 0.5) / sigma);
    }
    return w;
}

// Spreads amounts along one line of n cells (stride apart) among the cells
// that keep dopant: each cell sends the kernel's share to each keeping cell
// of its window and keeps what would go beyond the line's ends or into a cell
// that keeps none. The exchange between two cells is then symmetric, so a
// uniform layer stays uniform (no flux through the volume's sides or into a
// mask) and nothing is lost.
void spreadLine(const float *in, float *out, const uint8_t *keeps, size_t n, size_t stride,
                const std::vector<double> &kernel)
{
    const int radius = int(kernel.size() / 2);
    for (size_t i = 0; i < n; ++i)
        out[i * stride] = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const float amount = in[i * stride];
        if (amount == 0.0f)
            continue;
        const int from = std::max(0, int(i) - radius), to = std::min(int(n) - 1, int(i) + radius);
        double sent = 0.0; // what the window took, as stored
        for (int j = from; j <= to; ++j)
            if (j != int(i) && keeps[size_t(j) * stride]) {
                const float share = float(double(amount) * kernel[size_t(j - int(i) + radius)]);
                out[size_t(j) * stride] += share;
                sent += share;
            }
        out[i * stride] += float(std::max(0.0, double(amount) - sent));
    }
}

} // namespace

DopantImplant::DopantImplant(TotalVolume &volume, int ion, double energy, double dose, double tilt)
    : m_volume(volume), m_ion(ion), m_energy(energy), m_dose(dose), m_tilt(tilt)
{
    QString ignored;
    rangeStatistics(ion, energy, &m_statistics, &ignored);
}

QString DopantImplant::checkValues(int ion, double energy, double dose, double tilt)
{
    if (ion < 0)
        return QStringLiteral("The species is one of %1.").arg(implantSpeciesNames().join(QStringLiteral(", ")));
    if (!std::isfinite(energy) || energy <= 0.0)
        return QStringLiteral("The energy must be a finite number of keV above 0.");
    if (!std::isfinite(dose) || dose <= 0.0)
        return QStringLiteral("The dose must be a finite number of ions per cm^2 above 0.");
    if (!std::isfinite(tilt) || tilt < 0.0 || tilt > MaximumTilt)
        return QStringLiteral("The tilt must lie between 0 and %1 degrees.").arg(MaximumTilt);
    QString error;
    RangeStatistics statistics;
    if (!rangeStatistics(ion, energy, &statistics, &error))
        return error;
    return QString();
}

double DopantImplant::peakConcentration() const
{
    const double straggle = m_statistics.straggle / NanometresPerCentimetre;
    const double range = m_statistics.projectedRange * std::cos(m_tilt * Pi / 180.0);
    // The part of the Gaussian above the surface is put back into the rest.
    const double inside = 1.0 - normalCdf(-range / m_statistics.straggle);
    return m_dose / (std::sqrt(2.0 * Pi) * straggle * inside);
}

QString DopantImplant::check() const
{
    const QString values = checkValues(m_ion, m_energy, m_dose, m_tilt);
    if (!values.isEmpty())
        return values;
    const double peak = peakConcentration();
    double held = 0.0;
    {
        CellLock lock(m_volume);
        const DopantFields &fields = lock.dopants();
        const int dopant = implantedDopant(m_ion);
        if (fields.has(dopant))
            for (float c : fields.field(dopant))
                held = std::max(held, double(c));
    }
    if (!(peak + held <= double(std::numeric_limits<float>::max())))
        return QStringLiteral("A dose of %1 cm^-2 would give a peak of %2 cm^-3, more than a concentration field "
                              "holds (%3 cm^-3).")
            .arg(m_dose, 0, 'g', 6)
            .arg(peak + held, 0, 'g', 4)
            .arg(double(std::numeric_limits<float>::max()), 0, 'g', 4);
    return QString();
}

void DopantImplant::run()
{
    const unsigned sx = m_volume.getSizeX(), sy = m_volume.getSizeY(), sz = m_volume.getSizeZ();
    const double unit = m_volume.getUnitLength() * 1000.0; // nm per unit
    const double hz = double(m_volume.getCellSizeZ()) * unit;
    const double hx = double(m_volume.getCellSizeX()) * unit, hy = double(m_volume.getCellSizeY()) * unit;
    const double range = m_statistics.projectedRange * std::cos(m_tilt * Pi / 180.0);
    const double straggle = m_statistics.straggle;
    const double inside = 1.0 - normalCdf(-range / straggle);
    const double deepest = range + 10.0 * straggle;
    const double perCentimetre = NanometresPerCentimetre / hz; // 1 / cell height in cm
    const MaterialSet keeping = MaterialSet::fromProcess(TargetProcessId);
    const DensityRatios ratio;

    CellLock lock(m_volume);
    const size_t cells = lock.cellCount();
    // Per cell: the amount laid in it (cm^-3, a float as the field keeps it) and whether it keeps dopant.
    std::vector<float> amounts(cells, 0.0f);
    std::vector<uint8_t> keeps(cells, 0);
    const Voxel *voxels = lock.cells();
    Util::runSlabs(Util::planSlabs(0, sx, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount),
                   [&](const Util::SlabRange &r, unsigned) {
                       for (unsigned x = r.first; x < r.last; ++x)
                           for (unsigned y = 0; y < sy; ++y) {
                               const size_t base = lock.index(x, y, 0);
                               const Voxel *column = voxels + base;
                               for (unsigned z = 0; z < sz; ++z)
                                   keeps[base + z] = keeping.contains(column[z].material) ? 1 : 0;
                               int top = int(sz) - 1;
                               while (top >= 0 && column[top].material == 0)
                                   --top;
                               double depth = 0.0; // in silicon, nm, at the top of cell z
                               double before = normalCdf((0.0 - range) / straggle);
                               for (int z = top; z >= 0 && depth < deepest; --z) {
                                   depth += hz * ratio(column[z].material);
                                   const double after = normalCdf((depth - range) / straggle);
                                   if (keeps[base + size_t(z)])
                                       amounts[base + size_t(z)] =
                                           float(m_dose * (after - before) / inside * perCentimetre);
                                   before = after;
                               }
                           }
                   });

    // Lateral straggle: along x (lines by y), then along y (lines by x).
    const std::vector<double> kernelX = lateralKernel(m_statistics.lateralStraggle / hx);
    const std::vector<double> kernelY = lateralKernel(m_statistics.lateralStraggle / hy);
    std::vector<float> spread(cells, 0.0f);
    const size_t strideX = size_t(sy) * sz;
    if (kernelX.size() > 1 && sx > 1) {
        Util::runSlabs(Util::planSlabs(0, sy, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount),
                       [&](const Util::SlabRange &r, unsigned) {
                           for (unsigned y = r.first; y < r.last; ++y)
                               for (unsigned z = 0; z < sz; ++z) {
                                   const size_t start = lock.index(0, y, z);
                                   spreadLine(amounts.data() + start, spread.data() + start, keeps.data() + start,
                                              sx, strideX, kernelX);
                               }
                       });
        amounts.swap(spread);
    }
    if (kernelY.size() > 1 && sy > 1) {
        Util::runSlabs(Util::planSlabs(0, sx, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount),
                       [&](const Util::SlabRange &r, unsigned) {
                           for (unsigned x = r.first; x < r.last; ++x)
                               for (unsigned z = 0; z < sz; ++z) {
                                   const size_t start = lock.index(x, 0, z);
                                   spreadLine(amounts.data() + start, spread.data() + start, keeps.data() + start,
                                              sy, sz, kernelY);
                               }
                       });
        amounts.swap(spread);
    }
    std::vector<float>().swap(spread);

    bool any = false;
    for (float a : amounts)
        if (a > 0.0f) {
            any = true;
            break;
        }
    if (!any)
        return; // a mask stopped everything: no empty field is made
    std::vector<float> &field = lock.dopants().make(implantedDopant(m_ion), cells);
    for (size_t i = 0; i < cells; ++i)
        if (amounts[i] != 0.0f)
            field[i] = float(double(field[i]) + double(amounts[i]));
}

} // namespace Operations
} // namespace Core
