#pragma once

#include "Model/Automaton/cellarray.h"
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
    Geometry::TotalVolumePainter &getPainter() { return m_painter; }
    const Geometry::TotalVolumePainter &getPainter() const { return m_painter; }
    boost::shared_ptr<SiLattice> getLattice() const { return m_lattice; }
    void setLattice(const boost::shared_ptr<SiLattice> &lattice) { m_lattice = lattice; }
    // Replaces the silicon lattice by one built from the cells as they are now.
    // The old lattice is released first; when the new one is refused (too large
    // for memory) the volume has none and error says why.
    bool createLattice(QString *error = nullptr);

    size_t cellIndex(unsigned x, unsigned y, unsigned z) const
    {
        return (size_t(x) * m_sizeY + y) * m_sizeZ + z;
    }

    // Every reader or writer of cells brackets its work with these.
    Voxel *lockCells();
    void unlockCells();

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
    unsigned m_sizeX, m_sizeY, m_sizeZ;
    float m_cellSizeX, m_cellSizeY, m_cellSizeZ;
    Util::Vector3D m_position;
    mutable QMutex m_dataLock; // masks and properties
    Mask m_topMask;
    Mask m_bottomMask;
    boost::shared_ptr<SiLattice> m_lattice;
    Geometry::TotalVolumePainter m_painter;
    QMap<QString, QVariant> m_properties;
};

// Holds a volume's cell lock for one scope.
class CellLock
{
public:
    explicit CellLock(TotalVolume &volume) : m_volume(volume), m_cells(volume.lockCells()) {}
    ~CellLock() { m_volume.unlockCells(); }
    CellLock(const CellLock &) = delete;
    CellLock &operator=(const CellLock &) = delete;
    Voxel *cells() const { return m_cells; }

private:
    TotalVolume &m_volume;
    Voxel *m_cells;
};

} // namespace Automaton
} // namespace Model
