#include "randomwalkdoping.h"

#include "Util/stoptoken.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"

#include <QElapsedTimer>
#include <QtDebug>

#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <new>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;
using Model::Geometry::FieldPainter;
using Model::Geometry::ParticleCounter;
using Model::Geometry::ParticleCounterArray;

namespace {

const char *const Location = "Core/Operations/DopingOperation/randomwalkdoping";
const int MaxBinomialRedraws = 64;
// Keeps the sum of a cell and its six inflows inside 32 bits.
const double CountLimit = double(std::numeric_limits<int32_t>::max()) / 8.0;

// floor(L^3 * C) in single precision; -1 when it does not fit a counter.
int64_t cellCount(float cellSize, double concentration)
{
    const float count = std::floor(cellSize * cellSize * cellSize * float(concentration));
    if (!std::isfinite(count) || double(count) > CountLimit)
        return -1;
    return int64_t(count);
}

} // namespace

RandomWalkDoping::RandomWalkDoping(TotalVolume &volume, uint32_t dopedMaterial, double diffusionCoefficient,
                                   double timeStep, double cellSize, double surfaceConcentration,
                                   double thresholdConcentration)
    : RandomWalkDoping(volume, dopedMaterial, diffusionCoefficient, timeStep, cellSize, surfaceConcentration,
                       thresholdConcentration, timeSeed())
{
}

RandomWalkDoping::RandomWalkDoping(TotalVolume &volume, uint32_t dopedMaterial, double diffusionCoefficient,
                                   double timeStep, double cellSize, double surfaceConcentration,
                                   double thresholdConcentration, uint32_t seed)
    : m_volume(volume), m_timeStep(float(timeStep)), m_dopedMaterial(dopedMaterial),
      m_compatible(MaterialSet::fromProcess(DopableProcessId))
{
    m_propertyName = dopedMaterial == NDopedSiliconId ? FieldPainter::nTypeProperty() : FieldPainter::pTypeProperty();
    m_error = checkParameters(diffusionCoefficient, timeStep, cellSize, surfaceConcentration, thresholdConcentration);
    if (!m_error.isEmpty())
        return;
    const float length = float(cellSize);
    m_surfaceCount = int32_t(cellCount(length, surfaceConcentration));
    const int64_t threshold = cellCount(length, thresholdConcentration);
    // A threshold beyond any count simply never dopes.
    m_thresholdCount = threshold < 0 ? std::numeric_limits<int32_t>::max() : int32_t(threshold);
    m_q = 1.0f - float(diffusionCoefficient) * m_timeStep * 6.0f / (length * length);
    m_p = (1.0f - m_q) / 6.0f;

    const size_t cells = size_t(volume.getCellCount());
    m_counters = FieldPainter::countersOf(volume.getProperty(m_propertyName));
    if (!m_counters || m_counters->size() != cells) {
        try {
            m_counters.reset(new std::vector<ParticleCounter>(cells, ParticleCounter{{0, 0, 0, 0, 0, 0, 0}}));
        } catch (const std::bad_alloc &) {
            m_counters.reset();
            m_error = QStringLiteral("There is not enough memory for the particle counters of this volume.");
            return;
        }
        // The volume owns the array from here on; it is released with the volume.
        volume.setProperty(m_propertyName, FieldPainter::toProperty(m_counters));
        m_newArray = true;
    }

    m_generators.emplace_back(seed);
}

QString RandomWalkDoping::checkParameters(double diffusionCoefficient, double timeStep, double cellSize,
                                          double surfaceConcentration, double thresholdConcentration)
{
    const float step = float(timeStep);
    const float length = float(cellSize);
    if (!(step > 0.0f) || !std::isfinite(step))
        return QStringLiteral("The time step must be a positive number of seconds.");
    if (!(length > 0.0f) || !std::isfinite(length))
        return QStringLiteral("The cell size must be a positive length.");
    if (!(diffusionCoefficient >= 0.0) || !std::isfinite(diffusionCoefficient))
        return QStringLiteral("The diffusion coefficient must be zero or positive.");
    if (!(surfaceConcentration >= 0.0) || !(thresholdConcentration >= 0.0))
        return QStringLiteral("Concentrations must be zero or positive.");
    if (cellCount(length, surfaceConcentration) < 0)
        return QStringLiteral("The surface concentration gives more particles per cell than can be counted.");
    const float q = 1.0f - float(diffusionCoefficient) * step * 6.0f / (length * length);
    if (!(q >= 0.0f)) {
        // A negative stay probability has no binomial split: the step is too long for the cell size.
        return QStringLiteral("The time step is too long for this cell size and diffusion coefficient "
                              "(6 D dt / L^2 = %1 exceeds 1); it must be at most %2 s.")
            .arg(double(1.0f - q))
            .arg(cellSize * cellSize / (6.0 * diffusionCoefficient));
    }
    return QString();
}

unsigned RandomWalkDoping::stepsFor(double dopingTime) const
{
    if (!(m_timeStep > 0.0f))
        return 0;
    const float steps = float(dopingTime) / m_timeStep;
    if (!(steps >= 1.0f))
        return 0;
    if (steps >= float(std::numeric_limits<unsigned>::max()))
        return std::numeric_limits<unsigned>::max();
    return unsigned(steps);
}

double RandomWalkDoping::uniform01(Generator &generator) { return double(generator()) / 4294967295.0; }

namespace {

// r * cos(2 pi u1) of one Box-Muller pair, in single precision throughout,
// which is why an output can round up to 1 and must be redrawn.
inline float standardNormal(RandomWalkDoping::Generator &generator)
{
    const float scale = 1.0f / 4294967296.0f;
    float u1, u2;
    do
        u1 = float(generator()) * scale;
    while (u1 >= 1.0f);
    do
        u2 = float(generator()) * scale;
    while (u2 >= 1.0f);
    return std::sqrt(-2.0f * std::log(1.0f - u2)) * std::cos(6.2831853f * u1);
}

} // namespace

double RandomWalkDoping::normal(Generator &generator, double mean, double sd)
{
    return mean + sd * double(standardNormal(generator));
}

uint32_t RandomWalkDoping::binomial(Generator &generator, uint32_t n, float x)
{
    // Certain outcomes need no draw. A stay probability that rounds to 1 in
    // single precision (a tiny D dt / L^2, or D = 0) is one of them.
    if (n == 0 || !(x > 0.0f))
        return 0;
    if (x >= 1.0f)
        return n;
    // The mean in double: in single precision n * x rounds above n for large odd
    // n, and a mean above n refuses about half of all draws, or every one of them
    // when the spread is 0.
    const double mean = double(n) * double(x);
    const double sd = std::sqrt((1.0 - double(x)) * mean);
    // With the mean inside [0, n] at least about half of the draws fall inside,
    // so running out of redraws is as good as impossible; the bound only
    // guarantees that the draw ends.
    for (int attempt = 0; attempt < MaxBinomialRedraws; ++attempt) {
        const double k = std::floor(mean + sd * double(standardNormal(generator)) + 0.5);
        if (k >= 0.0 && k <= double(n))
            return uint32_t(k);
    }
    return uint32_t(std::min(std::floor(mean + 0.5), double(n)));
}

uint32_t RandomWalkDoping::timeSeed()
{
    // Seconds since 1970 plus the generator's index (0), truncated to 32 bits.
    return static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr)) + 0u);
}

bool RandomWalkDoping::dope(double dopingTime)
{
    if (!isValid()) {
        qDebug() << Location << Q_FUNC_INFO << m_error;
        return false;
    }
    const unsigned steps = stepsFor(dopingTime);
    if (steps > MaxSteps) {
        m_error = QStringLiteral("A doping time of %1 s in time steps of %2 s makes %3 steps; at most %4 are run, "
                                 "because every step walks the whole volume and more would take days. Use a "
                                 "longer time step or a shorter doping time.")
                      .arg(dopingTime)
                      .arg(double(m_timeStep))
                      .arg(steps == std::numeric_limits<unsigned>::max() ? QStringLiteral("more than %1").arg(steps)
                                                                          : QString::number(steps))
                      .arg(MaxSteps);
        qDebug() << Location << Q_FUNC_INFO << m_error;
        return false;
    }
    CellLock lock(m_volume);
    Voxel *cells = lock.cells();
    qDebug().noquote() << Location << Q_FUNC_INFO << QStringLiteral("Steps to run: %1").arg(steps);

    QElapsedTimer timer;
    timer.start();
    if (steps > 0) {
        try {
            m_fixed.assign(size_t(m_volume.getCellCount()), 0);
        } catch (const std::bad_alloc &) {
            m_error = QStringLiteral("Not enough memory for the random walk of this cell volume.");
            return false;
        }
        initialise(cells);
        for (unsigned step = 0; step < steps; ++step) {
            if (Util::stopRequested()) {
                // Abandoned: the cells keep their materials; whoever stopped it restores the rest.
                qDebug().noquote() << Location << Q_FUNC_INFO << QStringLiteral("Stopped at step %1").arg(step);
                return true;
            }
            if (step % 100 == 0)
                qDebug().noquote() << Location << Q_FUNC_INFO << QStringLiteral("At step %1").arg(step);
            gather(cells);
            distribute(cells);
        }
        finalise(cells);
        m_fixed = std::vector<uint8_t>();
    }
    qDebug().noquote() << Location << Q_FUNC_INFO << QStringLiteral("Time to run: %1 ms").arg(timer.elapsed());
    return true;
}

void RandomWalkDoping::initialise(Voxel *cells)
{
    ParticleCounter *counts = m_counters->data();
    const size_t total = m_counters->size();
    for (size_t i = 0; i < total; ++i) {
        int32_t *cell = counts[i].values;
        const bool walkable = m_compatible.contains(cells[i].material);
        m_fixed[i] = walkable ? 0 : 1;
        // Dopable cells keep what an earlier walk left; nothing else holds particles.
        if (!walkable || m_newArray)
            for (int l = 0; l < 7; ++l)
                cell[l] = 0;
    }
}

void RandomWalkDoping::gather(const Voxel *cells)
{
    ParticleCounter *counts = m_counters->data();
    const unsigned sx = m_volume.getSizeX(), sy = m_volume.getSizeY(), sz = m_volume.getSizeZ();
    const size_t strideX = size_t(sy) * sz;
    const int32_t surface = m_surfaceCount;
    const bool held = m_surface == Source;
    const uint8_t *fixed = m_fixed.data();

    // Gather writes only a cell's own slot 6 and reads only cell 0-5, so slabs
    // cannot see each other's writes and the result does not depend on the split.
    const Util::SlabPlan plan =
        Util::planSlabs(0, sx, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 2);
    Util::runSlabs(plan, [&](const Util::SlabRange &range, unsigned) {
        for (unsigned x = range.first; x < range.last; ++x) {
            const size_t xm = size_t(x == 0 ? sx - 1 : x - 1) * strideX;
            const size_t xp = size_t(x + 1 == sx ? 0 : x + 1) * strideX;
            const size_t x0 = size_t(x) * strideX;
            for (unsigned y = 0; y < sy; ++y) {
                const size_t ym = size_t(y == 0 ? sy - 1 : y - 1) * sz;
                const size_t yp = size_t(y + 1 == sy ? 0 : y + 1) * sz;
                const size_t y0 = size_t(y) * sz;
                for (unsigned z = 0; z < sz; ++z) {
                    const size_t i = x0 + y0 + z;
                    if (fixed[i] != 0)
                        continue;
                    int32_t *own = counts[i].values;
                    if (held) {
                        // Only true neighbours count here: a cell next to the open surface is held at its concentration.
                        const bool open = (z > 0 && cells[i - 1].material == 0) ||
                                          (z + 1 < sz && cells[i + 1].material == 0) ||
                                          (y > 0 && cells[i - sz].material == 0) ||
                                          (y + 1 < sy && cells[i + sz].material == 0) ||
                                          (x > 0 && cells[i - strideX].material == 0) ||
                                          (x + 1 < sx && cells[i + strideX].material == 0);
                        if (open) {
                            own[6] = surface;
                            continue;
                        }
                    }
                    // From each side: what the neighbour sends this way, or, where no
                    // particle may go, this cell's own particles that were headed there.
                    // Slot l of the neighbour at -d_l moves into this cell (0 +z, 1 -z,
                    // 2 +y, 3 -y, 4 +x, 5 -x); x and y wrap around.
                    int64_t sum = own[6];
                    sum += z > 0 && !fixed[i - 1] ? counts[i - 1].values[0] : own[1];
                    sum += z + 1 < sz && !fixed[i + 1] ? counts[i + 1].values[1] : own[0];
                    const size_t ny0 = x0 + ym + z, ny1 = x0 + yp + z, nx0 = xm + y0 + z, nx1 = xp + y0 + z;
                    sum += !fixed[ny0] ? counts[ny0].values[2] : own[3];
                    sum += !fixed[ny1] ? counts[ny1].values[3] : own[2];
                    sum += !fixed[nx0] ? counts[nx0].values[4] : own[5];
                    sum += !fixed[nx1] ? counts[nx1].values[5] : own[4];
                    own[6] = sum > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                                        : int32_t(sum);
                }
            }
        }
    });
}

void RandomWalkDoping::distribute(Voxel *cells)
{
    ParticleCounter *counts = m_counters->data();
    const size_t total = m_counters->size();
    Generator &generator = m_generators.front();
    float bounds[6];
    for (int l = 0; l < 6; ++l)
        bounds[l] = float(l + 1) * m_p;
    const uint32_t threshold = uint32_t(m_thresholdCount);

    for (size_t i = 0; i < total; ++i) {
        if (m_fixed[i] != 0)
            continue;
        int32_t *cell = counts[i].values;
        const int32_t n = cell[6];
        if (n <= SingleParticleLimit) {
            int32_t moved[7] = {0, 0, 0, 0, 0, 0, 0};
            for (int32_t k = 0; k < n; ++k) {
                const double u = uniform01(generator);
                int l = 0;
                while (l < 6 && !(double(bounds[l]) > u))
                    ++l;
                ++moved[l];
            }
            for (int l = 0; l < 7; ++l)
                cell[l] = moved[l];
        } else {
            const uint32_t count = uint32_t(n);
            const uint32_t stay = binomial(generator, count, m_q);
            const uint32_t moving = count - stay;
            const uint32_t a = binomial(generator, moving, 0.33333334f);
            const uint32_t rest = moving - a;
            const uint32_t b = binomial(generator, rest, 0.5f);
            const uint32_t c = rest - b;
            cell[6] = int32_t(stay);
            cell[0] = int32_t(binomial(generator, a, 0.5f));
            cell[1] = int32_t(a) - cell[0];
            cell[2] = int32_t(binomial(generator, b, 0.5f));
            cell[3] = int32_t(b) - cell[2];
            cell[4] = int32_t(binomial(generator, c, 0.5f));
            cell[5] = int32_t(c) - cell[4];
        }
        // The concentration of the cell is all its particles, those that stay and
        // those leaving in this step alike; the stayers alone would raise the
        // threshold by 1 / q and make the junction depend on the time step.
        if (uint32_t(n) > threshold)
            cells[i].material = m_dopedMaterial;
    }
}

void RandomWalkDoping::finalise(const Voxel *cells)
{
    ParticleCounter *counts = m_counters->data();
    const size_t total = m_counters->size();
    for (size_t i = 0; i < total; ++i) {
        if (m_compatible.contains(cells[i].material))
            continue;
        for (int l = 0; l < 7; ++l)
            counts[i].values[l] = 0;
    }
}

} // namespace Operations
} // namespace Core
