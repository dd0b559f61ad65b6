#pragma once

#include "Model/ModelExtraction/istructure.h"

#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Model {
namespace ModelExtraction {

// Cantilever beams, each written as a capacitor (effective mass) and an
// inductor (compliance) between a node of its own and ground.
class CantileverStructure : public IStructure
{
public:
    struct Cantilever
    {
        int x, y, z;   // minimum origin, cells
        int t, u, v;   // extents along x, y and z, cells
        unsigned material;
        int axis = 0;  // the beam runs along x (0) or y (1)
    };

    // The edges of one cell in metres.
    struct CellEdges
    {
        double x = 1e-6, y = 1e-6, z = 1e-6;
    };
    // A volume's cell sizes times its unit length (micrometres), in metres.
    static CellEdges cellEdges(const Automaton::TotalVolume &volume);

    // One beam's figures as the netlist gives them, with its size in metres.
    struct Beam
    {
        Cantilever cells;
        double length = 0, width = 0, thickness = 0; // m
        double mass = 0;       // effective mass, kg
        double compliance = 0; // at the free end, m/N
        double frequency = 0;  // first mode, Hz
    };

    CantileverStructure(const std::vector<Cantilever> &cantilevers, const CellEdges &edges);

    // The beams in netlist order (beam i is node i + 1).
    std::vector<Beam> beams() const;

    const std::vector<Cantilever> &getCantilevers() const { return m_cantilevers; }
    const CellEdges &getCellEdges() const { return m_edges; }
    QString netlist() const override;

    // Density (kg/m^3) and Young's modulus (Pa) of a material from the materials
    // catalogue (zero when it has no such id).
    static void materialConstants(unsigned material, double *density, double *youngModulus);
    // Effective mass in kg (33/140 of the beam's) and stiffness at the free end in N/m.
    static double mass(const Cantilever &c, const CellEdges &edges);
    static double stiffness(const Cantilever &c, const CellEdges &edges);
    // The LC resonance 1 / (2 pi sqrt(m c)) in Hz; zero unless both are positive.
    static double firstModeFrequency(double mass, double compliance);

private:
    std::vector<Cantilever> m_cantilevers;
    CellEdges m_edges;
};

} // namespace ModelExtraction
} // namespace Model
