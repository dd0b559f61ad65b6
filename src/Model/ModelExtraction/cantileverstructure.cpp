#include "Model/ModelExtraction/cantileverstructure.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"

#include <algorithm>
#include <cmath>

namespace Model {
namespace ModelExtraction {

CantileverStructure::CantileverStructure(const std::vector<Cantilever> &cantilevers, const CellEdges &edges)
    : m_cantilevers(cantilevers), m_edges(edges)
{
}

CantileverStructure::CellEdges CantileverStructure::cellEdges(const Automaton::TotalVolume &volume)
{
    const double metres = volume.getUnitLength() * 1e-6;
    CellEdges edges;
    edges.x = double(volume.getCellSizeX()) * metres;
    edges.y = double(volume.getCellSizeY()) * metres;
    edges.z = double(volume.getCellSizeZ()) * metres;
    return edges;
}

void CantileverStructure::materialConstants(unsigned material, double *density, double *youngModulus)
{
    const Materials::Material m = Materials::MaterialFactory::instance()->getMaterial(material);
    *density = m.getDensity();
    *youngModulus = m.getYoungModulus();
}

double CantileverStructure::mass(const Cantilever &c, const CellEdges &edges)
{
    double density, young;
    materialConstants(c.material, &density, &young);
    const double volume = double(c.t) * edges.x * double(c.u) * edges.y * double(c.v) * edges.z;
    return volume * density * 33.0 / 140.0;
}

double CantileverStructure::stiffness(const Cantilever &c, const CellEdges &edges)
{
    double density, young;
    materialConstants(c.material, &density, &young);
    // k = 3 E I / L^3 with I = w h^3 / 12, h the vertical thickness.
    const bool alongX = c.axis == 0;
    const double length = alongX ? c.t * edges.x : c.u * edges.y;
    const double width = alongX ? c.u * edges.y : c.t * edges.x;
    const double h = c.v * edges.z;
    return 3.0 * young * (width * h * h * h / 12.0) / (length * length * length);
}

double CantileverStructure::firstModeFrequency(double mass, double compliance)
{
    if (!(mass > 0) || !(compliance > 0))
        return 0.0;
    return 1.0 / (2.0 * M_PI * std::sqrt(mass * compliance));
}

std::vector<CantileverStructure::Beam> CantileverStructure::beams() const
{
    std::vector<Beam> out;
    out.reserve(m_cantilevers.size());
    for (const Cantilever &c : m_cantilevers) {
        Beam b;
        b.cells = c;
        const bool alongX = c.axis == 0;
        b.length = alongX ? c.t * m_edges.x : c.u * m_edges.y;
        b.width = alongX ? c.u * m_edges.y : c.t * m_edges.x;
        b.thickness = c.v * m_edges.z;
        b.mass = mass(c, m_edges);
        b.compliance = 1.0 / stiffness(c, m_edges);
        b.frequency = firstModeFrequency(b.mass, b.compliance);
        out.push_back(b);
    }
    return out;
}

QString CantileverStructure::netlist() const
{
    if (m_cantilevers.empty())
        return QString();
    QString text = QStringLiteral("Model extracted by Torvane\n");
    int n = 1;
    for (const Cantilever &c : m_cantilevers) {
        text += QStringLiteral("c%1 %2 0 %3 \n").arg(n).arg(n).arg(mass(c, m_edges), 0, 'g', 6);
        text += QStringLiteral("l%1 %2 0 %3 \n").arg(n).arg(n).arg(1.0 / stiffness(c, m_edges), 0, 'g', 6);
        ++n;
    }
    text += QStringLiteral(".end \n");
    return text;
}

} // namespace ModelExtraction
} // namespace Model
