#include "silattice.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"

#include <QFile>
#include <QtDebug>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

namespace Model {
namespace Automaton {

namespace {

const uint32_t Silicon = 1;

std::atomic<uint64_t> g_memoryBudget(0);

uint64_t systemAvailableMemory()
{
    // MemAvailable counts reclaimable caches; the free page count alone would refuse too early.
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!meminfo.atEnd()) {
            const QByteArray line = meminfo.readLine();
            if (line.startsWith("MemAvailable:")) {
                const QList<QByteArray> parts = line.simplified().split(' ');
                bool ok = false;
                const qulonglong kb = parts.size() >= 2 ? parts.at(1).toULongLong(&ok) : 0;
                if (ok)
                    return uint64_t(kb) * 1024u;
            }
        }
    }
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0)
        return uint64_t(pages) * uint64_t(pageSize);
    return uint64_t(1) << 30;
}

// The fixed unit cell, before turning.
const double TemplatePositions[8][3] = {{0, 0, 0},          {0.5, 0.5, 0},     {0.25, 0.25, 0.25},
                                        {0.75, 0.75, 0.25}, {0.5, 0, 0.5},     {0, 0.5, 0.5},
                                        {0.75, 0.25, 0.75}, {0.25, 0.75, 0.75}};
const double TemplateCorners[8][3] = {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 1, 1},
                                      {1, 0, 0}, {1, 0, 1}, {1, 1, 0}, {1, 1, 1}};
const double TemplateBonds[2][4][3] = {
    {{0.25, -0.25, -0.25}, {-0.25, 0.25, -0.25}, {-0.25, -0.25, 0.25}, {0.25, 0.25, 0.25}},
    {{-0.25, -0.25, -0.25}, {0.25, 0.25, -0.25}, {0.25, -0.25, 0.25}, {-0.25, 0.25, 0.25}}};

// Bonds between the atoms of one cell: (atom, partner, slot of the atom).
const unsigned InnerBonds[7][3] = {{0, 2, 3}, {1, 2, 2}, {1, 3, 3}, {2, 4, 2}, {2, 5, 3}, {4, 6, 3}, {5, 7, 3}};

// Bonds to the neighbour cells, per neighbour offset (di, dj, dk).
struct NeighbourBonds
{
    unsigned di, dj, dk;
    unsigned count;
    unsigned bonds[2][3];
};
const NeighbourBonds CrossBonds[6] = {{0, 1, 0, 2, {{3, 4, 3}, {7, 4, 1}}}, {1, 0, 0, 2, {{3, 5, 2}, {6, 5, 1}}},
                                      {0, 0, 1, 2, {{6, 1, 3}, {7, 1, 2}}}, {1, 1, 0, 1, {{3, 0, 1}, {0, 0, 0}}},
                                      {1, 0, 1, 1, {{6, 0, 2}, {0, 0, 0}}}, {0, 1, 1, 1, {{7, 0, 3}, {0, 0, 0}}}};

} // namespace

SiLattice::SiLattice(TotalVolume *volume)
    : m_volume(volume), m_sizeX(volume->getSizeX()), m_sizeY(volume->getSizeY()), m_sizeZ(volume->getSizeZ()),
      m_cellSizeX(volume->getCellSizeX()), m_cellSizeY(volume->getCellSizeY()), m_cellSizeZ(volume->getCellSizeZ())
{
    // The lattice lives in the volume's own frame (its corner at 0, 0, 0): moving or
    // copying the volume then changes neither the atoms nor how they meet the cells.
    m_position.x = 0.0;
    m_position.y = 0.0;
    m_position.z = 0.0;

    // The lattice must cover the volume turned by 45 degrees: its side is the volume's diagonal extent.
    const double widthX = double(m_sizeX) * m_cellSizeX;
    const double widthY = double(m_sizeY) * m_cellSizeY;
    const double sizeZ = double(m_sizeZ) * m_cellSizeZ;
    m_nx = m_ny = unsigned(std::ceil((widthX + widthY) / std::sqrt(2.0)));
    m_nz = unsigned(std::ceil(sizeZ / 1.0));

    m_origin.x = m_position.x + widthX / 2.0;
    m_origin.y = m_position.y - widthX / 2.0;
    m_origin.z = m_position.z;

    const double angle = 45.0 * M_PI / 180.0;
    m_cos = std::cos(angle);
    m_sin = std::sin(angle);
    auto turn = [this](const double in[3]) {
        Point p;
        p.x = in[0] * m_cos - in[1] * m_sin;
        p.y = in[0] * m_sin + in[1] * m_cos;
        p.z = in[2];
        return p;
    };
    for (int n = 0; n < 8; ++n) {
        m_template.positions[n] = turn(TemplatePositions[n]);
        m_template.corners[n] = turn(TemplateCorners[n]);
    }
    for (int set = 0; set < 2; ++set)
        for (int s = 0; s < 4; ++s)
            m_template.bondOffsets[set][s] = turn(TemplateBonds[set][s]);
}

SiLattice::Point SiLattice::cellPosition(unsigned i, unsigned j, unsigned k) const
{
    // Stored as floats in the cell; every later position is derived from the stored value.
    Point p;
    p.x = double(float(double(i) * m_cos - double(j) * m_sin + m_origin.x));
    p.y = double(float(double(i) * m_sin + double(j) * m_cos + m_origin.y));
    p.z = double(float(double(k) + m_origin.z));
    return p;
}

int64_t SiLattice::findCell(unsigned i, unsigned j, unsigned k) const
{
    if (i >= m_nx || j >= m_ny || k >= m_nz || m_columnStart.empty())
        return -1;
    const size_t column = size_t(i) * m_ny + j;
    const uint32_t first = m_columnStart[column];
    const uint32_t last = m_columnStart[column + 1];
    if (first == last)
        return -1;
    const uint64_t wanted = key(i, j, k);
    // Columns are usually unbroken runs of k, so the first guess nearly always hits.
    const uint64_t firstKey = m_keys[first];
    if (wanted >= firstKey && wanted - firstKey < last - first && m_keys[first + (wanted - firstKey)] == wanted)
        return int64_t(first + (wanted - firstKey));
    const auto begin = m_keys.begin() + first, end = m_keys.begin() + last;
    const auto it = std::lower_bound(begin, end, wanted);
    if (it != end && *it == wanted)
        return int64_t(it - m_keys.begin());
    return -1;
}

uint64_t SiLattice::bytesPerCell()
{
    // The cell, its key, and per atom up to two list entries of the etchers.
    return sizeof(SiCell) + sizeof(uint64_t) + 8 * 2 * sizeof(uint32_t);
}

uint64_t SiLattice::memoryBudget()
{
    const uint64_t budget = g_memoryBudget.load();
    return budget ? budget : systemAvailableMemory();
}

void SiLattice::setMemoryBudget(uint64_t bytes) { g_memoryBudget.store(bytes); }

namespace {

// Sets every element of a line within r of a set one; line is scratch.
void dilateLine(uint8_t *p, size_t n, size_t stride, size_t r, std::vector<uint8_t> &line)
{
    line.resize(n);
    for (size_t i = 0; i < n; ++i)
        line[i] = p[i * stride];
    size_t count = 0, next = 0;
    for (size_t i = 0; i < n; ++i) {
        for (const size_t last = std::min(n - 1, i + r); next <= last; ++next)
            count += line[next];
        if (i > r)
            count -= line[i - r - 1];
        p[i * stride] = count ? 1 : 0;
    }
}

} // namespace

std::vector<uint8_t> SiLattice::reachedCells(const Voxel *cells, const SiLattice *carry) const
{
    const unsigned sx = m_sizeX, sy = m_sizeY, sz = m_sizeZ;
    const size_t layer = size_t(sy) * sz;
    std::vector<uint8_t> mark(layer * sx, 0);
    const Util::SlabPlan byX =
        Util::planSlabs(0, sx, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount);
    Util::runSlabs(byX, [&](const Util::SlabRange &r, unsigned) {
        for (unsigned x = r.first; x < r.last; ++x)
            for (unsigned y = 0; y < sy; ++y)
                for (unsigned z = 0; z < sz; ++z) {
                    const size_t i = x * layer + size_t(y) * sz + z;
                    if (cells[i].material != Silicon)
                        continue;
                    const bool open = (z > 0 && cells[i - 1].material == 0) ||
                                      (z + 1 < sz && cells[i + 1].material == 0) ||
                                      (y > 0 && cells[i - sz].material == 0) ||
                                      (y + 1 < sy && cells[i + sz].material == 0) ||
                                      (x > 0 && cells[i - layer].material == 0) ||
                                      (x + 1 < sx && cells[i + layer].material == 0);
                    if (open)
                        mark[i] = 1;
                }
    });
    if (carry)
        for (size_t slot = 0; slot < carry->m_cells.size(); ++slot)
            for (const SiAtom &a : carry->m_cells[slot].atoms)
                if (a.cellIndex >= 0 && size_t(a.cellIndex) < mark.size())
                    mark[size_t(a.cellIndex)] = 1;
    // A box of the reach in whole cells, one more for bonds that leave a cell diagonally.
    auto radius = [this](double size) { return size_t(std::ceil(m_reach / size)) + 1; };
    const size_t rx = radius(m_cellSizeX), ry = radius(m_cellSizeY), rz = radius(m_cellSizeZ);
    Util::runSlabs(byX, [&](const Util::SlabRange &r, unsigned) {
        std::vector<uint8_t> line;
        for (unsigned x = r.first; x < r.last; ++x) {
            for (unsigned y = 0; y < sy; ++y)
                dilateLine(&mark[x * layer + size_t(y) * sz], sz, 1, rz, line);
            for (unsigned z = 0; z < sz; ++z)
                dilateLine(&mark[x * layer + z], sy, sz, ry, line);
        }
    });
    const Util::SlabPlan byY =
        Util::planSlabs(0, sy, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount);
    Util::runSlabs(byY, [&](const Util::SlabRange &r, unsigned) {
        std::vector<uint8_t> line;
        for (unsigned y = r.first; y < r.last; ++y)
            for (unsigned z = 0; z < sz; ++z)
                dilateLine(&mark[size_t(y) * sz + z], sx, layer, rx, line);
    });
    return mark;
}

void SiLattice::swapCrystal(SiLattice &other)
{
    std::swap(m_cells, other.m_cells);
    std::swap(m_keys, other.m_keys);
    std::swap(m_atomCounts, other.m_atomCounts);
    m_columnStart.swap(other.m_columnStart);
    m_fixedAtoms.swap(other.m_fixedAtoms);
    std::swap(m_reach, other.m_reach);
    std::swap(m_stepsEtched, other.m_stepsEtched);
}

double SiLattice::reachForSteps(long long steps)
{
    // A step removes only atoms with a missing neighbour, so the etch goes at
    // most one bond (sqrt(3) / 4 of the lattice constant) deeper each step.
    return double(std::max(0LL, steps)) * (std::sqrt(3.0) / 4.0) + 2.0;
}

bool SiLattice::initialise(QString *error, double reach, const SiLattice *carry)
{
    m_cells = Util::LargeArray<SiCell>();
    m_keys = Util::LargeArray<uint64_t>();
    m_columnStart.clear();
    m_fixedAtoms.clear();
    m_reach = reach >= 0.0 ? reach : -1.0;
    m_stepsEtched = 0;
    if (carry && (carry->m_nx != m_nx || carry->m_ny != m_ny || carry->m_nz != m_nz))
        carry = nullptr;

    CellLock lock(*m_volume);
    Voxel *cells = lock.cells();
    const size_t cellCount = size_t(m_volume->getCellCount());
    m_atomCounts = Util::LargeArray<int32_t>(cellCount);
    int32_t *atomCounts = m_atomCounts.data();
    // The volume cells the etch can reach, when the reach is limited.
    const std::vector<uint8_t> reached = m_reach >= 0.0 ? reachedCells(cells, carry) : std::vector<uint8_t>();

    const unsigned nx = m_nx, ny = m_ny, nz = m_nz;
    const uint64_t columns = uint64_t(nx) * ny;
    const Util::SlabPlan plan =
        Util::planSlabs(0, nx, Util::defaultSlabCount(), Util::SlabSplit::EqualLastTakesRest);

    // Atom placement, column by column: the x and y of a column's atoms do not
    // depend on k, so their volume columns are found once and only z varies.
    struct ColumnAtoms
    {
        int64_t base[8]; // volume index of (x, y, 0) for each template atom, -1 outside
    };
    const double invZ = 1.0 / m_cellSizeZ;
    auto columnAtoms = [&](unsigned i, unsigned j) {
        ColumnAtoms c;
        const Point p0 = cellPosition(i, j, 0);
        for (int n = 0; n < 8; ++n) {
            Point p = p0;
            p.x += m_template.positions[n].x;
            p.y += m_template.positions[n].y;
            p.z = m_position.z; // any height inside the volume: only x and y are asked here
            const double vx = std::floor((p.x - m_position.x) / m_cellSizeX);
            const double vy = std::floor((p.y - m_position.y) / m_cellSizeY);
            c.base[n] = (vx >= 0.0 && vx < double(m_sizeX) && vy >= 0.0 && vy < double(m_sizeY))
                            ? (int64_t(vx) * m_sizeY + int64_t(vy)) * m_sizeZ
                            : -1;
        }
        return c;
    };
    // Volume cell of template atom n of the cell at height k in a column, -1 outside.
    auto place = [&](const ColumnAtoms &c, unsigned k, int n) -> int64_t {
        if (c.base[n] < 0)
            return -1;
        const double z = double(float(double(k) + m_origin.z)) + m_template.positions[n].z;
        const double vz = std::floor((z - m_position.z) * invZ);
        if (!(vz >= 0.0 && vz < double(m_sizeZ)))
            return -1;
        return c.base[n] + int64_t(vz);
    };
    auto isKept = [&](const ColumnAtoms &c, unsigned k) {
        for (int n = 0; n < 8; ++n) {
            const int64_t v = place(c, k, n);
            if (v >= 0 && cells[v].material == Silicon && (reached.empty() || reached[size_t(v)]))
                return true;
        }
        return false;
    };
    auto columnIsEmpty = [](const ColumnAtoms &c) {
        for (int n = 0; n < 8; ++n)
            if (c.base[n] >= 0)
                return false;
        return true;
    };

    // Pass 1: count the kept cells per slab, so that memory is checked before any is taken.
    const std::vector<uint64_t> counts = Util::mapSlabs<uint64_t>(plan, [&](const Util::SlabRange &r, unsigned) {
        uint64_t n = 0;
        for (unsigned i = r.first; i < r.last; ++i)
            for (unsigned j = 0; j < ny; ++j) {
                const ColumnAtoms c = columnAtoms(i, j);
                if (columnIsEmpty(c))
                    continue;
                for (unsigned k = 0; k < nz; ++k)
                    n += isKept(c, k) ? 1 : 0;
            }
        return n;
    });
    std::vector<uint64_t> offsets(counts.size() + 1, 0);
    for (size_t s = 0; s < counts.size(); ++s)
        offsets[s + 1] = offsets[s] + counts[s];
    const uint64_t kept = offsets.back();

    const uint64_t needed = kept * bytesPerCell() + (columns + 1) * sizeof(uint32_t);
    const uint64_t budget = memoryBudget();
    if (kept * 8 >= SiAtom::MaxAtoms || needed > budget) {
        const QString message =
            QStringLiteral("The silicon lattice of this cell volume would hold %1 atoms and need about %2 MB of "
                           "memory, but only %3 MB are available. Use a smaller volume or larger cells.")
                .arg(kept * 8)
                .arg((needed + (1u << 20) - 1) >> 20)
                .arg(budget >> 20);
        qWarning() << "Model/Automaton/silattice" << Q_FUNC_INFO << message;
        if (error)
            *error = message;
        return false;
    }

    try {
        // Zero-filled; pass 2 writes every field of every cell.
        m_cells = Util::LargeArray<SiCell>(size_t(kept));
        m_keys = Util::LargeArray<uint64_t>(size_t(kept));
        m_columnStart.assign(size_t(columns + 1), 0);
    } catch (const std::bad_alloc &) {
        m_cells = Util::LargeArray<SiCell>();
        m_keys = Util::LargeArray<uint64_t>();
        m_columnStart = std::vector<uint32_t>();
        const QString message = QStringLiteral("Not enough memory for the silicon lattice of this cell volume.");
        qWarning() << "Model/Automaton/silattice" << Q_FUNC_INFO << message;
        if (error)
            *error = message;
        return false;
    }
    m_columnStart[columns] = uint32_t(kept);

    // Pass 2: create the kept cells in key order, place their atoms and bond them inside the cell.
    Util::runSlabs(plan, [&](const Util::SlabRange &r, unsigned slab) {
        uint64_t slot = offsets[slab];
        for (unsigned i = r.first; i < r.last; ++i)
            for (unsigned j = 0; j < ny; ++j) {
                m_columnStart[size_t(i) * ny + j] = uint32_t(slot);
                const ColumnAtoms column = columnAtoms(i, j);
                if (columnIsEmpty(column))
                    continue;
                for (unsigned k = 0; k < nz; ++k) {
                    if (!isKept(column, k))
                        continue;
                    // The same cell of the lattice this one widens, if it has one.
                    const SiCell *carried = nullptr;
                    if (carry) {
                        const uint64_t wanted = key(i, j, k);
                        const uint64_t *keys = carry->m_keys.data(), *end = keys + carry->m_keys.size();
                        const uint64_t *found = std::lower_bound(keys, end, wanted);
                        if (found != end && *found == wanted)
                            carried = &carry->m_cells[size_t(found - keys)];
                    }
                    SiCell &cell = m_cells[slot];
                    const Point c = cellPosition(i, j, k);
                    cell.x = float(c.x);
                    cell.y = float(c.y);
                    cell.z = float(c.z);
                    for (unsigned n = 0; n < 8; ++n) {
                        SiAtom &a = cell.atoms[n];
                        a = SiAtom();
                        const int64_t v = place(column, k, n);
                        a.cellIndex = int32_t(v);
                        if (v < 0) {
                            a.state = SiAtom::Absent;
                        } else if (cells[v].material == Silicon) {
                            a.state = SiAtom::Present;
                        } else if (cells[v].material != 0) {
                            a.state = SiAtom::Fixed;
                        } else {
                            a.state = SiAtom::Absent;
                        }
                        if (carried) {
                            a.state = carried->atoms[n].state;
                            a.life = carried->atoms[n].life;
                        }
                        if (v >= 0 && cells[v].material == Silicon && a.state == SiAtom::Present)
                            __atomic_fetch_add(&atomCounts[v], 1, __ATOMIC_RELAXED); // slabs share volume cells
                    }
                    const uint32_t base = uint32_t(slot * 8);
                    for (const unsigned *b : InnerBonds)
                        setBond(base + b[0], base + b[1], b[2]);
                    m_keys[slot] = key(i, j, k);
                    ++slot;
                }
            }
    });

    // Pass 3: bonds to the neighbour cells. Each bond slot is written by exactly one cell, so slabs never collide.
    Util::runSlabs(plan, [&](const Util::SlabRange &r, unsigned slab) {
        for (uint64_t slot = offsets[slab]; slot < offsets[slab + 1]; ++slot) {
            const uint64_t k0 = m_keys[slot];
            const unsigned k = unsigned(k0 % nz);
            const unsigned j = unsigned((k0 / nz) % ny);
            const unsigned i = unsigned(k0 / nz / ny);
            const uint32_t base = uint32_t(slot * 8);
            for (const NeighbourBonds &nb : CrossBonds) {
                if (i + nb.di >= nx || j + nb.dj >= ny || k + nb.dk >= nz)
                    continue;
                const int64_t other = findCell(i + nb.di, j + nb.dj, k + nb.dk);
                if (other < 0)
                    continue;
                const uint32_t otherBase = uint32_t(other * 8);
                for (unsigned b = 0; b < nb.count; ++b)
                    setBond(base + nb.bonds[b][0], otherBase + nb.bonds[b][1], nb.bonds[b][2]);
            }
        }
    });
    return true;
}

void SiLattice::addFixedAtoms(const std::vector<FixedBond> &fixed)
{
    m_fixedAtoms.insert(m_fixedAtoms.end(), fixed.begin(), fixed.end());
}

void SiLattice::clearFixedAtoms()
{
    for (const FixedBond &f : m_fixedAtoms) {
        uint32_t &bond = atom(f.atom).bonds[f.slot];
        if (bond == SiAtom::FixedAtom)
            bond = f.previous;
    }
    m_fixedAtoms.clear();
}

} // namespace Automaton
} // namespace Model
