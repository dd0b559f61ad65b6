#include "Model/ModelExtraction/rectangularcuboidenvelope.h"

namespace Model {
namespace ModelExtraction {

RectangularCuboidEnvelope::RectangularCuboidEnvelope(int x, int y, int z, int dx, int dy, int dz,
                                                     unsigned material)
    : m_origin{x, y, z}, m_extent{dx, dy, dz}, m_material(material)
{
}

void RectangularCuboidEnvelope::setLink(int face, RectangularCuboidEnvelope *box)
{
    if (m_links[face] == box)
        return;
    if (!m_links[face])
        ++m_linkCount;
    else if (!box)
        --m_linkCount;
    m_links[face] = box;
}

} // namespace ModelExtraction
} // namespace Model
