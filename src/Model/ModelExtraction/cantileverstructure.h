#pragma once

#include "Model/ModelExtraction/istructure.h"

#include <vector>

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
        int t, u, v;   // length, width, thickness, cells
        unsigned material;
    };

    // Volume of one cell in m^3; its cube root is the cell edge in metres.
    static constexpr double VolumeFactor = 2.00129819772e-17;
    static double cellEdge();

    explicit CantileverStructure(const std::vector<Cantilever> &cantilevers);

    const std::vector<Cantilever> &getCantilevers() const { return m_cantilevers; }
    QString netlist() const override;

    // Density and Young's modulus of a material: the fixed table for ids 0-15,
    // the materials catalogue for higher ids (zero when it has no such id).
    static void materialConstants(unsigned material, double *density, double *youngModulus);
    // Effective mass in kg (33/140 of the beam's) and stiffness at the free end in N/m.
    static double mass(const Cantilever &c);
    static double stiffness(const Cantilever &c);

private:
    std::vector<Cantilever> m_cantilevers;
};

} // namespace ModelExtraction
} // namespace Model
