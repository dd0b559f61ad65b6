#pragma once

#include "Util/vector3d.h"

#include <QMutex>

namespace Model {
namespace Automaton {
class TotalVolume;
}

namespace Geometry {

// The cells a painter turns into geometry: lower corner inclusive, upper exclusive.
struct DrawRange
{
    unsigned x0 = 0, y0 = 0, z0 = 0;
    unsigned x1 = 0, y1 = 0, z1 = 0;
    bool isEmpty() const { return x0 >= x1 || y0 >= y1 || z0 >= z1; }
    bool operator==(const DrawRange &o) const
    {
        return x0 == o.x0 && y0 == o.y0 && z0 == o.z0 && x1 == o.x1 && y1 == o.y1 && z1 == o.z1;
    }
};

// Turns a volume's cells into drawable geometry and draws it. Owned by value by
// its volume; only draw() issues GL calls.
class TotalVolumePainter
{
public:
    explicit TotalVolumePainter(Automaton::TotalVolume *volume);
    ~TotalVolumePainter();
    TotalVolumePainter(const TotalVolumePainter &) = delete;
    TotalVolumePainter &operator=(const TotalVolumePainter &) = delete;

    DrawRange getDrawRange() const;
    void setDrawRange(const DrawRange &range);

    void setHidden(bool hidden) { m_hidden = hidden; }
    bool isHidden() const { return m_hidden; }

    // Rebuilds the geometry from the cells; takes the volume's cell lock.
    void regenerate();

    void draw(bool renderFaces, bool renderEdges, const Util::Vector3D &viewDirection);
    void drawForPicking();

private:
    void drawMasks();
    void drawBox();

    Automaton::TotalVolume *m_volume;
    mutable QMutex m_mutex; // guards the draw range
    DrawRange m_range;
    bool m_hidden = false;
};

} // namespace Geometry
} // namespace Model
