#include "fieldpainter.h"

#include <QVariant>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Model {
namespace Geometry {

namespace {

struct FieldPolicy
{
    // Cells of one material may differ in colour class by their counts.
    static const bool SameMaterialHides = false;
    const CellGrid &grid;
    const ColorMap &colors;
    const ParticleCounter *n; // null when missing
    const ParticleCounter *p;
    int distribution;
    bool exists;
    double min, max;
    const float (*scale)[4];

    int64_t value(size_t i) const
    {
        const int64_t nv = n ? n[i].total() : 0;
        const int64_t pv = p ? p[i].total() : 0;
        return distribution == FieldPainter::NType ? nv : distribution == FieldPainter::PType ? pv : pv - nv;
    }
    const float *cellColor(size_t i) const
    {
        if (exists) {
            const int64_t v = value(i);
            if (distribution == FieldPainter::SignedSum ? v != 0 : v > 0)
                return scale[FieldPainter::entryIndex(double(v), min, max)];
        }
        return colors.color(grid.cells[i].material);
    }
    ColorMap::Visibility visibility(size_t i) const
    {
        if (grid.visibleMaterial(i) == 0)
            return ColorMap::Invisible;
        return ColorMap::classify(cellColor(i)[3]);
    }
    const float *color(size_t i) const { return cellColor(i); }
    uint32_t material(size_t i) const { return grid.cells[i].material; }
    bool hidesOpaque(size_t nb) const { return visibility(nb) == ColorMap::Opaque; }
    bool hidesTranslucent(size_t self, size_t nb) const
    {
        const uint32_t m = grid.visibleMaterial(nb);
        return m && (m == grid.cells[self].material || colors.visibility(m) != ColorMap::Invisible);
    }
};

const ParticleCounter *countsFor(const ParticleCounterArray &a, size_t cells)
{
    return a && a->size() == cells ? a->data() : nullptr;
}

} // namespace

const QString &FieldPainter::nTypeProperty()
{
    static const QString name = QStringLiteral("Random Walk Particle Count Type N");
    return name;
}

const QString &FieldPainter::pTypeProperty()
{
    static const QString name = QStringLiteral("Random Walk Particle Count Type P");
    return name;
}

ParticleCounterArray FieldPainter::countersOf(const QVariant &property)
{
    if (property.canConvert<ParticleCounterArray>())
        return property.value<ParticleCounterArray>();
    return ParticleCounterArray();
}

QVariant FieldPainter::toProperty(const ParticleCounterArray &counters) { return QVariant::fromValue(counters); }

void FieldPainter::scaleEntry(int scale, int i, float rgba[4])
{
    i = std::max(0, std::min(255, i));
    const float up = float(i) / 255.0f, down = float(255 - i) / 255.0f;
    rgba[3] = 1.0f;
    switch (scale) {
    case RedToBlue:
        rgba[0] = down;
        rgba[1] = 0.0f;
        rgba[2] = up;
        break;
    case YellowToBlue:
        rgba[0] = down;
        rgba[1] = down;
        rgba[2] = up;
        break;
    default:
        rgba[0] = rgba[1] = rgba[2] = up;
        break;
    }
}

int FieldPainter::entryIndex(double v, double min, double max)
{
    if (!(max > min))
        return 0;
    const double e = std::floor((v - min) / (max - min) * 255.0);
    return e <= 0.0 ? 0 : e >= 255.0 ? 255 : int(e);
}

void FieldPainter::clear()
{
    m_faces = FaceLists();
    m_min = 0.0;
    m_max = 1.0;
}

void FieldPainter::generate(const CellGrid &grid, const ColorMap &colors, const ParticleCounterArray &nCounts,
                            const ParticleCounterArray &pCounts, int distribution, int scale, unsigned slabCount)
{
    clear();
    const size_t cellCount = size_t(grid.sizeX) * grid.sizeY * grid.sizeZ;
    FieldPolicy policy{grid, colors, countsFor(nCounts, cellCount), countsFor(pCounts, cellCount), distribution,
                       false, 0.0, 1.0, nullptr};
    policy.exists = distribution == NType ? policy.n != nullptr
                    : distribution == PType ? policy.p != nullptr
                                            : (policy.n || policy.p);
    if (policy.exists) {
        int64_t lo = std::numeric_limits<int64_t>::max(), hi = std::numeric_limits<int64_t>::min();
        for (size_t i = 0; i < cellCount; ++i) {
            if (grid.isCut(i))
                continue;
            const int64_t v = policy.value(i);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        if (lo <= hi) {
            m_min = policy.min = double(lo);
            m_max = policy.max = double(hi);
        }
    }
    float table[ScaleEntries][4];
    for (int i = 0; i < ScaleEntries; ++i)
        scaleEntry(scale, i, table[i]);
    policy.scale = table;
    m_faces = generateCellFaces(grid, policy, slabCount ? slabCount : Util::defaultSlabCount());
}

} // namespace Geometry
} // namespace Model
