#pragma once

#include "Model/Geometry/drawrange.h"

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class SiLattice;
}

namespace Geometry {

// Draws a volume's silicon lattice: atoms as small spheres coloured by their
// bonds, the bonds as lines, and the unit cells as outlines or translucent
// cubes. Geometry is in the volume's own frame, like the faces. Building it
// needs no GL context; drawing does.
class SiLatticePainter
{
public:
    struct Options
    {
        bool atoms = false;
        bool surfaceAtomsOnly = true;
        bool links = false;
        bool unitCells = false;
        bool unitCellOutlines = false;
        bool operator==(const Options &o) const
        {
            return atoms == o.atoms && surfaceAtomsOnly == o.surfaceAtomsOnly && links == o.links &&
                   unitCells == o.unitCells && unitCellOutlines == o.unitCellOutlines;
        }
    };

    struct Atom
    {
        float x, y, z;
        uint8_t color[3];
    };

    static constexpr float AtomRadius = 0.3464f;

    SiLatticePainter();

    // Rebuilds the geometry (takes the volume's cell lock while it reads the
    // lattice). Atoms and links need a current GL context to be drawn; without
    // one they are switched off. Returns the options in effect.
    Options regenerate(Automaton::SiLattice *lattice, const DrawRange &range, const Options &requested);
    // The same with the context question answered by the caller.
    Options regenerate(Automaton::SiLattice *lattice, const DrawRange &range, const Options &requested,
                       bool haveGlContext);
    void clear();

    // Atoms, links and unit-cell outlines.
    void drawOpaque() const;
    // The translucent unit cells, for the blended pass.
    void drawTranslucent() const;

    const std::vector<Atom> &atoms() const { return m_atoms; }
    const std::vector<float> &linkVertices() const { return m_links; } // x, y, z per line end
    const std::vector<float> &cellPositions() const { return m_cells; }  // x, y, z per unit cell
    const std::vector<float> &cubeQuads() const { return m_cubeQuads; } // 6 faces x 4 corners, x, y, z

    // An icosahedron split `levels` times (0, 1 or 2: 20, 80 or 320
    // triangles), radius AtomRadius: all positions, then all unit normals.
    static std::vector<float> sphere(int levels);
    // Atom colour by present neighbours and second neighbours (bytes).
    static void atomColor(int firstNeighbours, int secondNeighbours, uint8_t out[3]);

private:
    std::vector<float> m_sphere; // 320 triangles, positions then normals
    std::vector<Atom> m_atoms;
    std::vector<float> m_links;
    std::vector<float> m_cells;
    std::vector<float> m_cubeQuads;
    Options m_options;
};

} // namespace Geometry
} // namespace Model
