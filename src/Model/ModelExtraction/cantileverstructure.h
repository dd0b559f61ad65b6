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

    static constexpr double VolumeFactor = 2.00129819772e-17;

    explicit CantileverStructure(const std::vector<Cantilever> &cantilevers);

    const std::vector<Cantilever> &getCantilevers() const { return m_cantilevers; }
    QString netlist() const override;

    // Density and Young's modulus of a material: the fixed table for ids 0-15,
    // the materials catalogue for higher ids (zero when it has no such id).
    static void materialConstants(unsigned material, double *density, double *youngModulus);
    static double mass(const Cantilever &c);
    static double stiffness(const Cantilever &c);

private:
    std::vector<Cantilever> m_cantilevers;
};

} // namespace ModelExtraction
} // namespace Model
