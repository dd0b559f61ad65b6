#include "atomisticwetetchengine.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/stoptoken.h"

#include <QElapsedTimer>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::SiAtom;
using Model::Automaton::SiLattice;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

const uint32_t Silicon = 1;

void sortUnique(std::vector<uint32_t> &list)
{
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
}

// Bond ends are located with the exact cell sizes, the same the lattice was
// placed with. Truncating them to whole numbers would divide by zero below one
// unit and put bond ends into the wrong cells for sizes such as 1.5; for whole
// sizes both are the same.
double cellSizeForLocating(float size) { return double(size); }

double processCpuMs()
{
    timespec t;
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t) != 0)
        return 0.0;
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

} // namespace

AtomisticWetEtchEngine::AtomisticWetEtchEngine(TotalVolume &volume, double depth)
    : m_volume(volume), m_depth(depth), m_sizeX(volume.getSizeX()), m_sizeY(volume.getSizeY()),
      m_sizeZ(volume.getSizeZ()), m_cellsPerX(uint64_t(volume.getSizeY()) * volume.getSizeZ()),
      m_divisorX(cellSizeForLocating(volume.getCellSizeX())),
      m_divisorY(cellSizeForLocating(volume.getCellSizeY())), m_divisorZ(cellSizeForLocating(volume.getCellSizeZ()))
{
    // The lattice is kept in the volume's own frame, whatever the volume's position.
    m_posX = 0.0;
    m_posY = 0.0;
    m_posZ = 0.0;
    m_statistics.stepsPlanned = stepsForDepth(depth);
}

AtomisticWetEtchEngine::~AtomisticWetEtchEngine() = default;

long long AtomisticWetEtchEngine::stepsForDepth(double depth)
{
    // NaN and negative depths etch nothing.
    if (!(depth > 0.0))
        return 0;
    const double steps = std::round(depth / 0.25);
    return steps >= 9.0e18 ? (long long)9.0e18 : (long long)steps;
}

int64_t AtomisticWetEtchEngine::locateBondEnd(const SiLattice::Point &p) const
{
    const double vx = std::floor((p.x - m_posX) / m_divisorX);
    const double vy = std::floor((p.y - m_posY) / m_divisorY);
    const double vz = std::floor((p.z - m_posZ) / m_divisorZ);
    if (!(vx >= 0.0 && vx < double(m_sizeX) && vy >= 0.0 && vy < double(m_sizeY) && vz >= 0.0 &&
          vz < double(m_sizeZ)))
        return -1;
    return (int64_t(vx) * m_sizeY + int64_t(vy)) * m_sizeZ + int64_t(vz);
}

void AtomisticWetEtchEngine::remove(Slab &slab, uint32_t id)
{
    slab.removedAtoms.push_back(id);
    const SiAtom &a = m_lattice->atom(id);
    if (a.cellIndex >= 0)
        slab.removedCells.push_back(a.cellIndex);
    for (uint32_t b : a.bonds) {
        if (!SiAtom::isAtom(b))
            continue; // fixed boundary atoms never etch: nothing to hand on
        const SiAtom &n = m_lattice->atom(b);
        // Only present atoms can etch later; the others would be skipped anyway.
        if (n.state != SiAtom::Present || n.cellIndex < 0)
            continue;
        const unsigned target = slabOfCell(n.cellIndex);
        if (&m_slabs[target] == &slab)
            slab.next.push_back(b);
        else
            slab.out[target].push_back(b);
    }
}

void AtomisticWetEtchEngine::prepareCells(const Slab &slab, bool findInterior)
{
    const unsigned sy = m_sizeY, sz = m_sizeZ;
    // Counted afresh from the atoms below, so a count left behind by cells
    // changed since the lattice was built can never keep a cell from emptying.
    for (uint64_t i = slab.cellFirst; i < slab.cellLast; ++i)
        m_counts[i] = 0;
    if (!findInterior)
        return;
    for (unsigned x = slab.xFirst; x < slab.xLast; ++x)
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < sz; ++z) {
                const size_t i = (size_t(x) * sy + y) * sz + z;
                bool interior = m_cells[i].material == Silicon && x > 0 && x + 1 < m_sizeX && y > 0 &&
                                y + 1 < sy && z > 0 && z + 1 < sz;
                for (int dx = -1; dx <= 1 && interior; ++dx)
                    for (int dy = -1; dy <= 1 && interior; ++dy)
                        for (int dz = -1; dz <= 1 && interior; ++dz)
                            interior = m_cells[((size_t(x + dx)) * sy + (y + dy)) * sz + (z + dz)].material == Silicon;
                m_interior[i] = interior ? 1 : 0;
            }
}

void AtomisticWetEtchEngine::setupActivate(Slab &slab)
{
    const bool resetLife = resetsLife();
    SiLattice &lattice = *m_lattice;
    slab.silicon.clear();
    slab.carried.clear();

    // Only the columns of lattice cells whose atoms can lie over this slab: a
    // cell's atoms stay within 0.55 of its origin's x, whose x is ox + (i - j) cos 45.
    const double c = lattice.getCos();
    const double ox = lattice.getOrigin().x;
    const double x0 = m_posX + double(slab.xFirst) * double(m_volume.getCellSizeX());
    const double x1 = m_posX + double(slab.xLast) * double(m_volume.getCellSizeX());
    const long long dLo = (long long)std::floor((x0 - ox - 1.0) / c) - 1;
    const long long dHi = (long long)std::ceil((x1 - ox + 1.0) / c) + 1;
    const long long nx = lattice.getNx(), ny = lattice.getNy();

    for (long long i = 0; i < nx; ++i) {
        const long long jFirst = std::max(0LL, i - dHi), jLast = std::min(ny - 1, i - dLo);
        if (jFirst > jLast)
            continue;
        size_t first = 0, last = 0, unused = 0;
        lattice.columnSlots(unsigned(i), unsigned(jFirst), first, unused);
        lattice.columnSlots(unsigned(i), unsigned(jLast), unused, last);
        for (size_t cs = first; cs < last; ++cs) {
            Model::Automaton::SiCell &cell = lattice.cellAt(cs);
            for (unsigned n = 0; n < 8; ++n) {
                SiAtom &a = cell.atoms[n];
                if (a.cellIndex < 0 || uint64_t(a.cellIndex) < slab.cellFirst ||
                    uint64_t(a.cellIndex) >= slab.cellLast)
                    continue;
                Voxel &v = m_cells[a.cellIndex];
                if (v.material == Silicon) {
                    const uint32_t id = SiLattice::atomId(cs, n);
                    if (a.state == SiAtom::Absent) {
                        // Removed by an earlier etch of this lattice, unless its cell holds no atom at all (below).
                        slab.carried.push_back(id);
                        continue;
                    }
                    activate(slab, id, resetLife);
                } else if (v.material == 0) {
                    a.state = SiAtom::Absent;
                } else {
                    a.state = SiAtom::Fixed;
                }
            }
        }
    }
    carryOn(slab, resetLife);
}

void AtomisticWetEtchEngine::activate(Slab &slab, uint32_t id, bool resetLife)
{
    SiAtom &a = m_lattice->atom(id);
    a.state = SiAtom::Present;
    ++m_counts[a.cellIndex];
    // An atom a continuous etch has already worn keeps what is left of its life;
    // a fresh lattice holds no life yet.
    if (resetLife && !(a.life > 0.0f))
        a.life = 1.0f;
    if (!m_interior[a.cellIndex])
        slab.silicon.push_back(id);
}

void AtomisticWetEtchEngine::carryOn(Slab &slab, bool resetLife)
{
    SiLattice &lattice = *m_lattice;
    // An etch empties a cell with its last atom, so a silicon cell without a
    // present atom was filled again since: its atoms are silicon once more.
    // Decided for all of them before any comes back.
    std::vector<uint8_t> refilled(slab.carried.size());
    for (size_t i = 0; i < slab.carried.size(); ++i)
        refilled[i] = m_counts[lattice.atom(slab.carried[i]).cellIndex] == 0 ? 1 : 0;
    for (size_t i = 0; i < slab.carried.size(); ++i) {
        const uint32_t id = slab.carried[i];
        const SiAtom &a = lattice.atom(id);
        if (refilled[i]) {
            activate(slab, id, resetLife);
            continue;
        }
        // The etch carries on from where the last one stopped: the removed atom's
        // partners face the etchant, wherever they lie.
        for (uint32_t b : a.bonds) {
            if (!SiAtom::isAtom(b) || lattice.atom(b).cellIndex < 0)
                continue;
            const unsigned target = slabOfCell(lattice.atom(b).cellIndex);
            if (&m_slabs[target] == &slab)
                slab.silicon.push_back(b);
            else
                slab.out[target].push_back(b);
        }
    }
    slab.carried = std::vector<uint32_t>();
}

void AtomisticWetEtchEngine::setupSurface(Slab &slab)
{
    SiLattice &lattice = *m_lattice;
    slab.surface.clear();
    // Partners of atoms an earlier etch removed, handed over by the slabs their removed atoms lie in.
    const unsigned self = unsigned(&slab - m_slabs.data());
    for (Slab &other : m_slabs)
        if (&other != &slab)
            slab.silicon.insert(slab.silicon.end(), other.out[self].begin(), other.out[self].end());
    sortUnique(slab.silicon);
    for (uint32_t id : slab.silicon) {
        SiAtom &a = lattice.atom(id);
        if (a.state != SiAtom::Present || lattice.firstNeighbours(id) >= 4)
            continue;
        bool surface = false;
        for (unsigned s = 0; s < 4; ++s) {
            const uint32_t b = a.bonds[s];
            if (SiAtom::isAtom(b) && lattice.atom(b).cellIndex >= 0) {
                // Every state was settled in the first setup pass: a partner in an empty
                // cell, or one an earlier etch removed, is absent.
                if (lattice.atom(b).state == SiAtom::Absent)
                    surface = true;
                continue;
            }
            // No partner, or one outside the volume: what lies at the bond's end decides.
            const int64_t v = locateBondEnd(lattice.bondEnd(id, s));
            if (v >= 0 && m_cells[v].material == 0) {
                surface = true;
            } else if (v < 0 || m_cells[v].material != Silicon || !SiAtom::isAtom(b)) {
                // Outside the volume, in another material, or silicon the lattice
                // left out as beyond the etch's reach: it holds its partner in place.
                slab.fixed.push_back({id, s, b});
                a.bonds[s] = SiAtom::FixedAtom;
            }
        }
        if (surface)
            slab.surface.push_back(id);
    }
    sortUnique(slab.surface);
    slab.silicon = std::vector<uint32_t>();
}

void AtomisticWetEtchEngine::applyStep(unsigned s)
{
    Slab &slab = m_slabs[s];
    SiLattice &lattice = *m_lattice;
    for (uint32_t id : slab.removedAtoms)
        lattice.atom(id).state = SiAtom::Absent;

    // Every removed atom lies in this slab, so its cell does too.
    std::sort(slab.removedCells.begin(), slab.removedCells.end());
    for (size_t i = 0; i < slab.removedCells.size();) {
        const int32_t cell = slab.removedCells[i];
        size_t j = i;
        while (j < slab.removedCells.size() && slab.removedCells[j] == cell)
            ++j;
        int32_t &count = m_counts[cell];
        count -= int32_t(j - i);
        if (count <= 0) {
            count = 0;
            m_cells[cell].material = 0;
        }
        i = j;
    }

    for (Slab &other : m_slabs)
        if (&other != &slab)
            slab.next.insert(slab.next.end(), other.out[s].begin(), other.out[s].end());
    sortUnique(slab.next);
    slab.surface.swap(slab.next);
    slab.next.clear();
}

uint32_t AtomisticWetEtchEngine::nearestAtom(const SiLattice::Point &p) const
{
    const SiLattice &l = *m_lattice;
    const SiLattice::Point o = l.getOrigin();
    // Into the crystal's own axes: the cell positions are origin + turn(i, j, k).
    const double dx = p.x - o.x, dy = p.y - o.y;
    const double u = dx * l.getCos() + dy * l.getSin();
    const double v = -dx * l.getSin() + dy * l.getCos();
    const double w = p.z - o.z;
    const long long i0 = (long long)std::floor(u), j0 = (long long)std::floor(v), k0 = (long long)std::floor(w);
    uint32_t best = SiAtom::NoAtom;
    double bestDistance = 0.0;
    for (long long i = i0 - 1; i <= i0 + 1; ++i)
        for (long long j = j0 - 1; j <= j0 + 1; ++j)
            for (long long k = k0 - 1; k <= k0 + 1; ++k) {
                if (i < 0 || j < 0 || k < 0)
                    continue;
                const int64_t slot = l.findCell(unsigned(i), unsigned(j), unsigned(k));
                if (slot < 0)
                    continue;
                for (unsigned n = 0; n < 8; ++n) {
                    const uint32_t id = SiLattice::atomId(size_t(slot), n);
                    const SiLattice::Point q = l.atomPosition(id);
                    const double d = (q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y) + (q.z - p.z) * (q.z - p.z);
                    if (best == SiAtom::NoAtom || d < bestDistance) {
                        best = id;
                        bestDistance = d;
                    }
                }
            }
    return best;
}

void AtomisticWetEtchEngine::emptyAtomlessCells(const Slab &slab)
{
    const double cx = m_volume.getCellSizeX(), cy = m_volume.getCellSizeY(), cz = m_volume.getCellSizeZ();
    for (unsigned x = slab.xFirst; x < slab.xLast; ++x)
        for (unsigned y = 0; y < m_sizeY; ++y)
            for (unsigned z = 0; z < m_sizeZ; ++z) {
                const size_t index = (size_t(x) * m_sizeY + y) * m_sizeZ + z;
                Voxel &cell = m_cells[index];
                if (cell.material != Silicon || m_counts[index] != 0)
                    continue;
                SiLattice::Point centre;
                centre.x = m_posX + (x + 0.5) * cx;
                centre.y = m_posY + (y + 0.5) * cy;
                centre.z = m_posZ + (z + 0.5) * cz;
                const uint32_t owner = nearestAtom(centre);
                if (owner != SiAtom::NoAtom && m_lattice->atom(owner).state == SiAtom::Absent)
                    cell.material = 0;
            }
}

void AtomisticWetEtchEngine::removeAtOnce(uint32_t id)
{
    SiAtom &a = m_lattice->atom(id);
    a.state = SiAtom::Absent;
    if (a.cellIndex < 0)
        return;
    int32_t &count = m_counts[a.cellIndex];
    if (--count <= 0) {
        count = 0;
        m_cells[a.cellIndex].material = 0;
    }
}

void AtomisticWetEtchEngine::etch()
{
    Util::SlabPlan serialPlan = m_plan;
    serialPlan.onCallingThread = true;
    for (long long step = 0; step < m_statistics.stepsPlanned; ++step) {
        if (Util::stopRequested())
            break;
        size_t listed = 0;
        for (const Slab &slab : m_slabs)
            listed += slab.surface.size();
        const Util::SlabPlan &plan = listed < SerialStepBelow ? serialPlan : m_plan;
        Util::runSlabs(plan, [this](const Util::SlabRange &, unsigned s) {
            Slab &slab = m_slabs[s];
            for (std::vector<uint32_t> &out : slab.out)
                out.clear();
            slab.next.clear();
            slab.removedAtoms.clear();
            slab.removedCells.clear();
            slab.examined = 0;
            slab.changed = false;
            examine(slab);
        });
        Util::runSlabs(plan, [this](const Util::SlabRange &, unsigned s) { applyStep(s); });
        ++m_statistics.stepsRun;
        bool changed = false;
        for (const Slab &slab : m_slabs) {
            m_statistics.atomsExamined += slab.examined;
            m_statistics.atomsRemoved += slab.removedAtoms.size();
            changed = changed || slab.changed || !slab.removedAtoms.empty();
        }
        afterStep();
        // A step that changed nothing leaves the same lists and states, so every later step would too.
        if (!changed)
            break;
    }
}

double AtomisticWetEtchEngine::latticeReach(double depth)
{
    return SiLattice::reachForSteps(stepsForDepth(depth));
}

bool AtomisticWetEtchEngine::run()
{
    m_lattice = m_volume.getLattice();
    if (!m_lattice)
        return false;
    // A lattice built for a shorter reach is widened first, keeping its atoms' states.
    const double reach = m_lattice->getReach();
    if (reach >= 0.0 && reach < SiLattice::reachForSteps(m_lattice->getStepsEtched() + m_statistics.stepsPlanned)) {
        boost::shared_ptr<SiLattice> wider(new SiLattice(&m_volume));
        m_lattice->clearFixedAtoms();
        if (!wider->initialise(nullptr, SiLattice::reachForSteps(m_statistics.stepsPlanned), m_lattice.get())) {
            m_volume.setLattice(boost::shared_ptr<SiLattice>());
            m_lattice.reset();
            return false;
        }
        m_lattice->swapCrystal(*wider);
    }

    QElapsedTimer timer;
    timer.start();
    CellLock lock(m_volume);
    m_cells = lock.cells();
    m_counts = m_lattice->atomCounts();
    m_lattice->clearFixedAtoms();

    m_plan = Util::planSlabs(0, m_sizeX, Util::defaultSlabCount(), Util::SlabSplit::EqualLastTakesRest);
    const unsigned n = unsigned(m_plan.slabs.size());
    m_slabs.assign(n, Slab());
    m_slabOfX.assign(m_sizeX, 0);
    for (unsigned s = 0; s < n; ++s) {
        Slab &slab = m_slabs[s];
        slab.xFirst = m_plan.slabs[s].first;
        slab.xLast = m_plan.slabs[s].last;
        slab.cellFirst = uint64_t(slab.xFirst) * m_cellsPerX;
        slab.cellLast = uint64_t(slab.xLast) * m_cellsPerX;
        slab.out.assign(n, std::vector<uint32_t>());
        for (unsigned x = slab.xFirst; x < slab.xLast; ++x)
            m_slabOfX[x] = s;
    }

    // Atoms of cells deep inside silicon need no look; with cells smaller than
    // half a unit a bond may reach past the next cell, so then every atom is looked at.
    m_interior.assign(size_t(m_volume.getCellCount()), 0);
    const bool findInterior = m_volume.getCellSizeX() >= 0.5f && m_volume.getCellSizeY() >= 0.5f &&
                              m_volume.getCellSizeZ() >= 0.5f;
    Util::runSlabs(m_plan, [this, findInterior](const Util::SlabRange &, unsigned s) {
        prepareCells(m_slabs[s], findInterior);
    });

    // Setup in two passes: every slab settles the states of its own atoms before any reads its neighbours'.
    Util::runSlabs(m_plan, [this](const Util::SlabRange &, unsigned s) { setupActivate(m_slabs[s]); });
    Util::runSlabs(m_plan, [this](const Util::SlabRange &, unsigned s) { setupSurface(m_slabs[s]); });
    m_statistics.setupMs = double(timer.nsecsElapsed()) / 1e6;

    timer.restart();
    const double cpuStart = processCpuMs();
    m_interior = std::vector<uint8_t>();
    etch();
    m_statistics.stepsMs = double(timer.nsecsElapsed()) / 1e6;
    m_statistics.stepsCpuMs = processCpuMs() - cpuStart;

    // Cells smaller than the atoms' spacing may hold no atom at all; such a cell
    // would never empty. It follows the atom nearest to its centre instead.
    if (m_statistics.atomsRemoved > 0)
        Util::runSlabs(m_plan, [this](const Util::SlabRange &, unsigned s) { emptyAtomlessCells(m_slabs[s]); });

    m_lattice->addStepsEtched(m_statistics.stepsRun);

    // Finish: drop the lists, hand the fixed boundary atoms to the lattice in slab order.
    for (Slab &slab : m_slabs) {
        m_lattice->addFixedAtoms(slab.fixed);
        slab = Slab();
    }
    m_cells = nullptr;
    m_counts = nullptr;
    return true;
}

} // namespace Operations
} // namespace Core
