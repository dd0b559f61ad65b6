#include "totalvolume.h"

#include "Model/Automaton/silattice.h"

#include <QMutexLocker>
#include <QtGlobal>

#include <unistd.h>

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

namespace Model {
namespace Automaton {

namespace {

uint64_t physicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return uint64_t(4) << 30;
    return uint64_t(pages) * uint64_t(pageSize);
}

} // namespace

TotalVolume::TotalVolume(unsigned sizeX, unsigned sizeY, unsigned sizeZ, float cellSizeX, float cellSizeY,
                         float cellSizeZ, const Util::Vector3D &position, const std::vector<uint32_t> &materials)
    : Object(), m_cells(size_t(sizeX) * sizeY * sizeZ), m_sizeX(sizeX), m_sizeY(sizeY), m_sizeZ(sizeZ),
      m_cellSizeX(cellSizeX), m_cellSizeY(cellSizeY), m_cellSizeZ(cellSizeZ), m_position(position),
      m_painter(this)
{
    const size_t n = std::min(m_cells.size(), materials.size());
    for (size_t i = 0; i < n; ++i)
        m_cells[i].material = materials[i];
}

TotalVolume::TotalVolume(unsigned sizeX, unsigned sizeY, unsigned sizeZ, float cellSizeX, float cellSizeY,
                         float cellSizeZ, const Util::Vector3D &position, uint32_t material)
    : Object(), m_cells(size_t(sizeX) * sizeY * sizeZ), m_sizeX(sizeX), m_sizeY(sizeY), m_sizeZ(sizeZ),
      m_cellSizeX(cellSizeX), m_cellSizeY(cellSizeY), m_cellSizeZ(cellSizeZ), m_position(position), m_painter(this)
{
    if (material != 0) {
        Voxel *cells = m_cells.data();
        const size_t n = m_cells.size();
        for (size_t i = 0; i < n; ++i)
            cells[i].material = material;
    }
}

TotalVolume::TotalVolume(const TotalVolume &source, const Voxel *sourceCells)
    : Object(source), m_cells(source.m_cells.size()), m_sizeX(source.m_sizeX), m_sizeY(source.m_sizeY),
      m_sizeZ(source.m_sizeZ), m_cellSizeX(source.m_cellSizeX), m_cellSizeY(source.m_cellSizeY),
      m_cellSizeZ(source.m_cellSizeZ), m_position(source.m_position), m_unitLength(source.m_unitLength),
      m_painter(this)
{
    // A clone carries materials and dopant concentrations: every other cell field starts fresh.
    m_dopants = source.m_dopants;
    Voxel *out = m_cells.data();
    const size_t n = m_cells.size();
    for (size_t i = 0; i < n; ++i)
        out[i].material = sourceCells[i].material;
}

TotalVolume::~TotalVolume() = default;

uint64_t TotalVolume::maxCellCount()
{
    // Leave room for the surface, the undo snapshots and the rest of the system.
    const uint64_t byMemory = physicalMemoryBytes() / 2 / sizeof(Voxel);
    const uint64_t byIndex = std::numeric_limits<uint32_t>::max();
    return std::min(byMemory, byIndex);
}

bool TotalVolume::checkSize(uint64_t sizeX, uint64_t sizeY, uint64_t sizeZ, QString *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    if (sizeX == 0 || sizeY == 0 || sizeZ == 0)
        return fail(QStringLiteral("The cell volume must have at least one cell along each axis."));
    const uint64_t limit = maxCellCount();
    const uint64_t maxUnsigned = std::numeric_limits<unsigned>::max();
    if (sizeX > maxUnsigned || sizeY > maxUnsigned || sizeZ > maxUnsigned || sizeX > limit || sizeY > limit ||
        sizeZ > limit || sizeX * sizeY > limit || sizeX * sizeY * sizeZ > limit) {
        return fail(QStringLiteral("A cell volume of %1 x %2 x %3 cells is too large: at most %4 cells fit "
                                   "in this computer's memory.")
                        .arg(sizeX)
                        .arg(sizeY)
                        .arg(sizeZ)
                        .arg(limit));
    }
    return true;
}

boost::shared_ptr<TotalVolume> TotalVolume::create(unsigned sizeX, unsigned sizeY, unsigned sizeZ, float cellSizeX,
                                                   float cellSizeY, float cellSizeZ, const Util::Vector3D &position,
                                                   uint32_t material, QString *error)
{
    if (!checkSize(sizeX, sizeY, sizeZ, error))
        return boost::shared_ptr<TotalVolume>();
    try {
        return boost::shared_ptr<TotalVolume>(
            new TotalVolume(sizeX, sizeY, sizeZ, cellSizeX, cellSizeY, cellSizeZ, position, material));
    } catch (const std::bad_alloc &) {
        if (error)
            *error = QStringLiteral("Not enough memory for a cell volume of %1 x %2 x %3 cells.")
                         .arg(sizeX)
                         .arg(sizeY)
                         .arg(sizeZ);
        return boost::shared_ptr<TotalVolume>();
    }
}

Voxel *TotalVolume::lockCells()
{
    m_cellsLock.lock();
    return m_cells.data();
}

void TotalVolume::unlockCells() { m_cellsLock.unlock(); }

void TotalVolume::draw(bool renderFaces, bool renderEdges, const Util::Vector3D &viewDirection)
{
    m_painter.draw(renderFaces, renderEdges, viewDirection);
}

void TotalVolume::drawForPicking() { m_painter.drawForPicking(); }

bool TotalVolume::hasDopants()
{
    CellLock lock(*this);
    return !lock.dopants().isEmpty();
}

void TotalVolume::adoptDopants(DopantFields fields)
{
    fields.dropEmpty();
    CellLock lock(*this);
    lock.dopants() = std::move(fields);
}

Object *TotalVolume::clone()
{
    CellLock lock(*this);
    try {
        return new TotalVolume(*this, lock.cells());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

bool TotalVolume::createLattice(QString *error, double reach)
{
    // Free the old crystal before building the new one: both may not fit at once.
    m_lattice.reset();
    try {
        boost::shared_ptr<SiLattice> lattice(new SiLattice(this));
        if (!lattice->initialise(error, reach))
            return false;
        m_lattice = lattice;
        return true;
    } catch (const std::bad_alloc &) {
        if (error)
            *error = QStringLiteral("Not enough memory for the silicon lattice of this cell volume.");
        return false;
    }
}

void TotalVolume::translate(const Util::Vector3D &offset) { m_position += offset; }

void TotalVolume::setProperty(const QString &name, const QVariant &value)
{
    QMutexLocker lock(&m_dataLock);
    m_properties.insert(name, value);
}

QVariant TotalVolume::getProperty(const QString &name) const
{
    QMutexLocker lock(&m_dataLock);
    return m_properties.value(name);
}

void TotalVolume::removeProperty(const QString &name)
{
    QMutexLocker lock(&m_dataLock);
    m_properties.remove(name);
}

QStringList TotalVolume::getPropertyNames() const
{
    QMutexLocker lock(&m_dataLock);
    return m_properties.keys();
}

TotalVolume::Mask TotalVolume::makeMask(const std::vector<bool> &bits, unsigned rows, unsigned columns)
{
    Mask mask;
    mask.rows = rows;
    mask.columns = columns;
    mask.bits = bits;
    // The bitmap always has rows * columns bits, whatever the caller handed in.
    mask.bits.resize(size_t(rows) * columns, false);
    return mask;
}

void TotalVolume::setTopMask(const std::vector<bool> &bits, unsigned rows, unsigned columns)
{
    Mask mask = makeMask(bits, rows, columns);
    QMutexLocker lock(&m_dataLock);
    m_topMask.bits.swap(mask.bits);
    m_topMask.rows = rows;
    m_topMask.columns = columns;
}

void TotalVolume::setBottomMask(const std::vector<bool> &bits, unsigned rows, unsigned columns)
{
    Mask mask = makeMask(bits, rows, columns);
    QMutexLocker lock(&m_dataLock);
    m_bottomMask.bits.swap(mask.bits);
    m_bottomMask.rows = rows;
    m_bottomMask.columns = columns;
}

std::vector<bool> TotalVolume::getTopMask() const
{
    QMutexLocker lock(&m_dataLock);
    return m_topMask.bits;
}

std::vector<bool> TotalVolume::getBottomMask() const
{
    QMutexLocker lock(&m_dataLock);
    return m_bottomMask.bits;
}

TotalVolume::MaskSize TotalVolume::getTopMaskSize() const
{
    QMutexLocker lock(&m_dataLock);
    return MaskSize(m_topMask.rows, m_topMask.columns);
}

TotalVolume::MaskSize TotalVolume::getBottomMaskSize() const
{
    QMutexLocker lock(&m_dataLock);
    return MaskSize(m_bottomMask.rows, m_bottomMask.columns);
}

void TotalVolume::clearTopMask()
{
    QMutexLocker lock(&m_dataLock);
    std::fill(m_topMask.bits.begin(), m_topMask.bits.end(), false);
}

void TotalVolume::clearBottomMask()
{
    QMutexLocker lock(&m_dataLock);
    std::fill(m_bottomMask.bits.begin(), m_bottomMask.bits.end(), false);
}

} // namespace Automaton
} // namespace Model
