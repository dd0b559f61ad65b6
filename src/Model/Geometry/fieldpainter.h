#pragma once

#include "Model/Geometry/cellfaces.h"

#include <boost/shared_ptr.hpp>

#include <QMetaType>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <vector>

namespace Model {
namespace Geometry {

// One cell's random-walk particle counters: values 0-5 the particles leaving
// per direction in the step just taken, value 6 those that stay.
struct ParticleCounter
{
    int32_t values[7];
    // The cell's particles: the leaving ones are still in it until the next step
    // moves them, so every view and export counts all seven.
    int64_t total() const
    {
        int64_t sum = 0;
        for (int32_t v : values)
            sum += v;
        return sum;
    }
};
// The per-cell counter array (cell-index order) a volume property holds.
typedef boost::shared_ptr<std::vector<ParticleCounter>> ParticleCounterArray;

// The particle-count field view: cells coloured through a colour scale by
// their N, P or signed (P - N) particle count, faces made as in the direct
// cubic view.
class FieldPainter
{
public:
    enum Distribution { NType = 0, PType = 1, SignedSum = 2 };
    enum ColorScale { GrayScale = 0, RedToBlue = 1, YellowToBlue = 2 };
    static constexpr int ScaleEntries = 256;

    static const QString &nTypeProperty(); // "Random Walk Particle Count Type N"
    static const QString &pTypeProperty(); // "Random Walk Particle Count Type P"
    // The counter array a property value holds, or empty when it holds none.
    static ParticleCounterArray countersOf(const QVariant &property);
    static QVariant toProperty(const ParticleCounterArray &counters);

    // Entry i (0..255) of a colour scale; unknown scales read as grey.
    static void scaleEntry(int scale, int i, float rgba[4]);
    // The scale entry of v in [min, max]: floor((v - min) / (max - min) * 255)
    // clamped to 0..255, and 0 for a range of zero width.
    static int entryIndex(double v, double min, double max);

    // counts hold one record per cell of the grid's volume or are ignored.
    void generate(const CellGrid &grid, const ColorMap &colors, const ParticleCounterArray &nCounts,
                  const ParticleCounterArray &pCounts, int distribution, int scale, unsigned slabCount = 0);
    void clear();

    const FaceLists &faces() const { return m_faces; }
    FaceLists &faces() { return m_faces; }
    // The colour range of the last generation (0..1 when the distribution is missing).
    double minimum() const { return m_min; }
    double maximum() const { return m_max; }

private:
    FaceLists m_faces;
    double m_min = 0.0;
    double m_max = 1.0;
};

} // namespace Geometry
} // namespace Model

Q_DECLARE_METATYPE(Model::Geometry::ParticleCounterArray)
