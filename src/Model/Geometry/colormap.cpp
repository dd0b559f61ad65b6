#include "colormap.h"

#include "Model/Materials/materialfactory.h"

namespace Model {
namespace Geometry {

const ColorMap::Entry ColorMap::kNone;

ColorMap::ColorMap() { set(0, 0.0f, 0.0f, 0.0f, 0.0f); }

void ColorMap::set(uint32_t id, const Util::Vector4D &color)
{
    set(id, float(color.x), float(color.y), float(color.z), float(color.w));
}

void ColorMap::set(uint32_t id, float r, float g, float b, float a)
{
    Entry e;
    e.rgba[0] = r;
    e.rgba[1] = g;
    e.rgba[2] = b;
    e.rgba[3] = a;
    e.visibility = classify(a);
    e.present = true;
    if (id < kDenseLimit) {
        if (id >= m_dense.size()) {
            m_dense.resize(size_t(id) + 1);
            m_visibility.resize(size_t(id) + 1, Invisible);
        }
        m_dense[id] = e;
        m_visibility[id] = e.visibility;
    } else {
        m_sparse[id] = e;
    }
}

ColorMap::Visibility ColorMap::classify(float alpha)
{
    static const float opaqueAbove = float(254.0 / 255.0);
    static const float visibleFrom = float(1.0 / 255.0);
    if (alpha > opaqueAbove)
        return Opaque;
    if (alpha >= visibleFrom)
        return Translucent;
    return Invisible;
}

ColorMap ColorMap::fromCatalogue()
{
    ColorMap map;
    const boost::shared_ptr<Materials::MaterialFactory> catalogue = Materials::MaterialFactory::instance();
    if (!catalogue)
        return map;
    for (const Materials::Material &m : catalogue->getMaterials()) {
        if (m.getId() != 0) // the empty material always stays transparent
            map.set(m.getId(), m.getColor());
    }
    return map;
}

} // namespace Geometry
} // namespace Model
