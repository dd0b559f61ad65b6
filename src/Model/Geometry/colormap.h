#pragma once

#include "Util/vector4d.h"

#include <cstdint>
#include <map>
#include <vector>

namespace Model {
namespace Geometry {

// Material id -> colour (r, g, b, alpha floats) with each colour's visibility
// class. Lookups are array reads for the ids the catalogue hands out; an id
// with no entry reads as (0, 0, 0, 0), i.e. invisible.
class ColorMap
{
public:
    enum Visibility : uint8_t { Invisible = 0, Translucent = 1, Opaque = 2 };

    // Holds only id 0 -> (0, 0, 0, 0).
    ColorMap();

    void set(uint32_t id, const Util::Vector4D &color);
    void set(uint32_t id, float r, float g, float b, float a);

    bool contains(uint32_t id) const { return find(id) != nullptr; }
    // Never null: unknown ids give the transparent black entry.
    const float *color(uint32_t id) const
    {
        const Entry *e = find(id);
        return e ? e->rgba : kNone.rgba;
    }
    Visibility visibility(uint32_t id) const
    {
        if (id < m_visibility.size())
            return Visibility(m_visibility[id]);
        const Entry *e = find(id);
        return e ? Visibility(e->visibility) : Invisible;
    }

    // Opaque above 254/255, translucent from 1/255 to 254/255, else invisible
    // (compared at float precision, so a colour byte of 254 is translucent).
    static Visibility classify(float alpha);

    // The current colours of the materials catalogue.
    static ColorMap fromCatalogue();

private:
    struct Entry
    {
        float rgba[4] = {0, 0, 0, 0};
        uint8_t visibility = Invisible;
        bool present = false;
    };
    static const Entry kNone;
    // Catalogue ids are small (1..17 built in, user ids from 2000); anything
    // past this goes to the map so a stray huge id cannot blow up the table.
    static constexpr uint32_t kDenseLimit = 1u << 16;

    const Entry *find(uint32_t id) const
    {
        if (id < m_dense.size())
            return m_dense[id].present ? &m_dense[id] : nullptr;
        if (id < kDenseLimit || m_sparse.empty())
            return nullptr;
        const auto it = m_sparse.find(id);
        return it == m_sparse.end() ? nullptr : &it->second;
    }

    std::vector<Entry> m_dense;
    std::vector<uint8_t> m_visibility; // the hot loops' view of m_dense
    std::map<uint32_t, Entry> m_sparse;
};

} // namespace Geometry
} // namespace Model
