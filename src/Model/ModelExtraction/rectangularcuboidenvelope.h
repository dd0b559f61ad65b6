#pragma once

namespace Model {
namespace ModelExtraction {

// An axis-aligned box of cells of one material, with non-owning links to the
// boxes that share one of its faces whole.
class RectangularCuboidEnvelope
{
public:
    enum Face { MinusX = 0, PlusX = 1, MinusY = 2, PlusY = 3, MinusZ = 4, PlusZ = 5 };

    RectangularCuboidEnvelope(int x, int y, int z, int dx, int dy, int dz, unsigned material);

    int getX() const { return m_origin[0]; }
    int getY() const { return m_origin[1]; }
    int getZ() const { return m_origin[2]; }
    int getDx() const { return m_extent[0]; }
    int getDy() const { return m_extent[1]; }
    int getDz() const { return m_extent[2]; }
    // axis 0 = x, 1 = y, 2 = z
    int origin(int axis) const { return m_origin[axis]; }
    int extent(int axis) const { return m_extent[axis]; }
    unsigned getMaterial() const { return m_material; }

    RectangularCuboidEnvelope *getLink(int face) const { return m_links[face]; }
    // Keeps the link count in step with the slots.
    void setLink(int face, RectangularCuboidEnvelope *box);
    void clearLink(int face) { setLink(face, nullptr); }
    int getLinkCount() const { return m_linkCount; }

    static int opposite(int face) { return face ^ 1; }

private:
    int m_origin[3];
    int m_extent[3];
    unsigned m_material;
    RectangularCuboidEnvelope *m_links[6] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    int m_linkCount = 0;
};

} // namespace ModelExtraction
} // namespace Model
