#include "Model/ModelExtraction/cantileverstructure.h"

#include "Model/Materials/materialfactory.h"

#include <algorithm>
#include <cmath>

namespace Model {
namespace ModelExtraction {

CantileverStructure::CantileverStructure(const std::vector<Cantilever> &cantilevers)
    : m_cantilevers(cantilevers)
{
}

void CantileverStructure::materialConstants(unsigned material, double *density, double *youngModulus)
{
    static const double densities[16] = {0,    2329, 2700, 8940, 8908, 2648, 2810, 1000,
                                         1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000};
    if (material < 16) {
        *density = densities[material];
        *youngModulus = material == 0 ? 0.0 : 7e10;
        return;
    }
    const Materials::Material m = Materials::MaterialFactory::instance()->getMaterial(material);
    *density = m.getDensity();
    *youngModulus = m.getYoungModulus();
}

double CantileverStructure::mass(const Cantilever &c)
{
    double density, young;
    materialConstants(c.material, &density, &young);
    return double(c.t) * c.u * c.v * VolumeFactor * density * 33.0 / 140.0;
}

double CantileverStructure::cellEdge() { return std::cbrt(VolumeFactor); }

double CantileverStructure::stiffness(const Cantilever &c)
{
    double density, young;
    materialConstants(c.material, &density, &young);
    // Lengths in metres with the cell edge the mass uses, so that k and m give
    // the beam's resonance: k = 3 E I / L^3 with I = w h^3 / 12.
    const double edge = cellEdge();
    const double v = c.v * edge, shorter = std::min(c.t, c.u) * edge, longer = std::max(c.t, c.u) * edge;
    return 3.0 * young * (v * v * v * shorter / 12.0) / (longer * longer * longer);
}

QString CantileverStructure::netlist() const
{
    if (m_cantilevers.empty())
        return QString();
    QString text = QStringLiteral("Model extracted by Torvane\n");
    int n = 1;
    for (const Cantilever &c : m_cantilevers) {
        text += QStringLiteral("c%1 %2 0 %3 \n").arg(n).arg(n).arg(mass(c), 0, 'g', 6);
        text += QStringLiteral("l%1 %2 0 %3 \n").arg(n).arg(n).arg(1.0 / stiffness(c), 0, 'g', 6);
        ++n;
    }
    text += QStringLiteral(".end \n");
    return text;
}

} // namespace ModelExtraction
} // namespace Model
