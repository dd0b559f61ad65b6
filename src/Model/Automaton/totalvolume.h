#pragma once

#include "Model/Automaton/cellarray.h"
#include "Model/Automaton/dopantfields.h"
#include "Model/Automaton/voxel.h"
#include "Model/Geometry/totalvolumepainter.h"
#include "Model/object.h"
#include "Util/vector3d.h"

#include <boost/shared_ptr.hpp>

#include <QMap>
#include <QMutex>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

class SiLattice;

// The simulation volume: a box of cubic cells, cell (x, y, z) at index
// (x * sizeY + y) * sizeZ + z, z vertical and fastest.
class TotalVolume : public Object
{
public:
    typedef QPair<unsigned, unsigned> MaskSize; // rows (along x), columns (along y)

    // materials holds sizeX * sizeY * sizeZ ids in cell order; missing entries are empty cells.
    TotalVolume(unsigned sizeX, unsigned sizeY, unsigned sizeZ, float cellSizeX, float cellSizeY,
                float cellSizeZ, const Util::Vector3D &position, const std::vector<uint32_t> &materials);
    // Every cell filled with one material.
    TotalVolume(unsigned sizeX, unsigned sizeY, unsigned sizeZ, float cellSizeX, float cellSizeY,
                float cellSizeZ, const Util::Vector3D &position, uint32_t material);
    ~TotalVolume() override;

    // The largest cell count a volume may have: addressable by 32-bit cell
    // indices and within a share of this machine's memory.
    static uint64_t maxCellCount();
    // False with a message for the user when a volume of these sizes cannot be
    // built (zero, unaddressable or larger than memory allows). Call it before
    // building a materials list.
    static bool checkSize(uint64_t sizeX, uint64_t sizeY, uint64_t sizeZ, QString *error = nullptr);
    // Builds a volume, or returns empty with a message when the size is refused
    // or memory runs out; never throws.
    static boost::shared_ptr<TotalVolume> create(unsigned sizeX, unsigned sizeY, unsigned sizeZ,
                                                 float cellSizeX, float cellSizeY, float cellSizeZ,
                                                 const Util::Vector3D &position, uint32_t material,
                                                 QString *error = nullptr);

    unsigned getSizeX() const { return m_sizeX; }
    unsigned getSizeY() const { return m_sizeY; }
    unsigned getSizeZ() const { return m_sizeZ; }
    uint64_t getCellCount() const { return uint64_t(m_sizeX) * m_sizeY * m_sizeZ; }
    float getCellSizeX() const { return m_cellSizeX; }
    float getCellSizeY() const { return m_cellSizeY; }
    float getCellSizeZ() const { return m_cellSizeZ; }
    Util::Vector3D getPosition() const { return m_position; }
    // The physical length of one unit of the volume's coordinates, in micrometres.
    double getUnitLength() const { return m_unitLength; }
    void setUnitLength(double micrometres) { m_unitLength = micrometres; }
    // Makes fields (of getCellCount() cells each) the volume's dopant
    // concentrations; a field of zeros holds nothing and is not kept. Takes the cell lock.
    void adoptDopants(DopantFields fields);
    Geometry::TotalVolumePainter &getPainter() { return m_painter; }
    const Geometry::TotalVolumePainter &getPainter() const { return m_painter; }
    boost::shared_ptr<SiLattice> getLattice() const { return m_lattice; }
    void setLattice(const boost::shared_ptr<SiLattice> &lattice) { m_lattice = lattice; }
    // Replaces the silicon lattice by one built from the cells as they are now.
    // The old lattice is released first; when the new one is refused (too large
    // for memory) the volume has none and error says why. With reach >= 0 (world
    // units) only the crystal within reach of exposed silicon is built (see
    // SiLattice::initialise): what an etch of that reach needs.
    bool createLattice(QString *error = nullptr, double reach = -1.0);

    size_t cellIndex(unsigned x, unsigned y, unsigned z) const
    {
        return (size_t(x) * m_sizeY + y) * m_sizeZ + z;
    }

    // Readers and writers of cells go through CellLock, which takes and releases these.
    Voxel *lockCells();
    void unlockCells();
    // Whether any dopant field is held; takes the cell lock.
    bool hasDopants();

    // Object
    int getType() const override { return TotalVolumeType; }
    void draw(bool renderFaces, bool renderEdges, const Util::Vector3D &viewDirection) override;
    void drawForPicking() override;
    Object *clone() override;
    void translate(const Util::Vector3D &offset) override;
    void transform(const Util::Vector4D &, const Util::Vector4D &) override {}

    void setProperty(const QString &name, const QVariant &value);
    QVariant getProperty(const QString &name) const;
    void removeProperty(const QString &name);
    QStringList getPropertyNames() const;

    void setTopMask(const std::vector<bool> &bits, unsigned rows, unsigned columns);
    void setBottomMask(const std::vector<bool> &bits, unsigned rows, unsigned columns);
    std::vector<bool> getTopMask() const;
    std::vector<bool> getBottomMask() const;
    MaskSize getTopMaskSize() const;
    MaskSize getBottomMaskSize() const;
    void clearTopMask();
    void clearBottomMask();

private:
    friend class CellLock;

    struct Mask
    {
        std::vector<bool> bits;
        unsigned rows = 0;
        unsigned columns = 0;
    };

    TotalVolume(const TotalVolume &source, const Voxel *sourceCells);
    static Mask makeMask(const std::vector<bool> &bits, unsigned rows, unsigned columns);

    CellArray m_cells;
    QMutex m_cellsLock;
    DopantFields m_dopants; // with the cells, under their lock
    unsigned m_sizeX, m_sizeY, m_sizeZ;
    float m_cellSizeX, m_cellSizeY, m_cellSizeZ;
    Util::Vector3D m_position;
    double m_unitLength = 1.0;
    mutable QMutex m_dataLock; // masks and properties
    Mask m_topMask;
    Mask m_bottomMask;
    boost::shared_ptr<SiLattice> m_lattice;
    Geometry::TotalVolumePainter m_painter;
    QMap<QString, QVariant> m_properties;
};

// The one way to the cells: holds the volume's cell lock for one scope and
// reaches cells by position, by column and by x slab. A cell is its material
// id, four bytes; hot loops take the raw slab or column pointers and walk them
// with index arithmetic (cell (x, y, z) at (x * sizeY + y) * sizeZ + z).
class CellLock
{
public:
    explicit CellLock(TotalVolume &volume)
        : m_volume(volume), m_cells(volume.lockCells()), m_sizeX(volume.getSizeX()), m_sizeY(volume.getSizeY()),
          m_sizeZ(volume.getSizeZ())
    {
    }
    ~CellLock() { m_volume.unlockCells(); }
    CellLock(const CellLock &) = delete;
    CellLock &operator=(const CellLock &) = delete;

    // Every cell, in cell index order.
    Voxel *cells() const { return m_cells; }
    size_t cellCount() const { return size_t(m_sizeX) * m_sizeY * m_sizeZ; }

    bool contains(int64_t x, int64_t y, int64_t z) const
    {
        return x >= 0 && y >= 0 && z >= 0 && uint64_t(x) < m_sizeX && uint64_t(y) < m_sizeY &&
               uint64_t(z) < m_sizeZ;
    }
    // The material at (x, y, z); a position outside the volume reads as empty.
    uint32_t material(int64_t x, int64_t y, int64_t z) const
    {
        return contains(x, y, z) ? m_cells[index(unsigned(x), unsigned(y), unsigned(z))].material : 0u;
    }
    // False, changing nothing, for a position outside the volume.
    bool setMaterial(int64_t x, int64_t y, int64_t z, uint32_t material) const
    {
        if (!contains(x, y, z))
            return false;
        m_cells[index(unsigned(x), unsigned(y), unsigned(z))].material = material;
        return true;
    }
    // The sizeZ cells of column (x, y), bottom first; x < sizeX and y < sizeY.
    Voxel *column(unsigned x, unsigned y) const { return m_cells + (size_t(x) * m_sizeY + y) * m_sizeZ; }
    // The sizeY * sizeZ cells of x slab x; x < sizeX.
    Voxel *slab(unsigned x) const { return m_cells + size_t(x) * m_sizeY * m_sizeZ; }
    size_t index(unsigned x, unsigned y, unsigned z) const { return (size_t(x) * m_sizeY + y) * m_sizeZ + z; }
    // The volume's dopant concentrations (cm^-3 per cell), held with the cells.
    DopantFields &dopants() const { return m_volume.m_dopants; }

private:
    TotalVolume &m_volume;
    Voxel *m_cells;
    unsigned m_sizeX, m_sizeY, m_sizeZ;
};

} // namespace Automaton
} // namespace Model
