#include "silatticepainter.h"

#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"

#include <QOpenGLContext>

#include <GL/gl.h>

#include <array>
#include <cmath>

namespace Model {
namespace Geometry {

using Automaton::SiAtom;
using Automaton::SiLattice;

namespace {

typedef std::array<double, 3> V3;

V3 unit(const V3 &v)
{
    const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / l, v[1] / l, v[2] / l};
}

// The twelve corners and twenty faces of an icosahedron, faces counter-clockwise seen from outside.
const double Phi = 1.6180339887498949;
const double IcoVertices[12][3] = {{-1, Phi, 0}, {1, Phi, 0},   {-1, -Phi, 0}, {1, -Phi, 0},
                                   {0, -1, Phi}, {0, 1, Phi},   {0, -1, -Phi}, {0, 1, -Phi},
                                   {Phi, 0, -1}, {Phi, 0, 1},   {-Phi, 0, -1}, {-Phi, 0, 1}};
const int IcoFaces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                             {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
                             {3, 8, 9},  {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};

// Unit-cube corners are numbered 4x + 2y + z, as in the lattice template.
const int CubeFaces[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 6, 7, 5}};

bool isPresent(int state) { return state == SiAtom::Present || state == SiAtom::PresentAlt; }

} // namespace

SiLatticePainter::SiLatticePainter() : m_sphere(sphere(2)) {}

std::vector<float> SiLatticePainter::sphere(int levels)
{
    std::vector<std::array<V3, 3>> triangles;
    for (const int *f : IcoFaces)
        triangles.push_back({unit({IcoVertices[f[0]][0], IcoVertices[f[0]][1], IcoVertices[f[0]][2]}),
                             unit({IcoVertices[f[1]][0], IcoVertices[f[1]][1], IcoVertices[f[1]][2]}),
                             unit({IcoVertices[f[2]][0], IcoVertices[f[2]][1], IcoVertices[f[2]][2]})});
    for (int level = 0; level < levels; ++level) {
        std::vector<std::array<V3, 3>> finer;
        for (const auto &t : triangles) {
            auto mid = [](const V3 &a, const V3 &b) { return unit({a[0] + b[0], a[1] + b[1], a[2] + b[2]}); };
            const V3 ab = mid(t[0], t[1]), bc = mid(t[1], t[2]), ca = mid(t[2], t[0]);
            finer.push_back({t[0], ab, ca});
            finer.push_back({ab, t[1], bc});
            finer.push_back({ca, bc, t[2]});
            finer.push_back({ab, bc, ca});
        }
        triangles.swap(finer);
    }
    std::vector<float> out;
    out.reserve(triangles.size() * 18);
    for (const auto &t : triangles)
        for (const V3 &v : t)
            for (int c = 0; c < 3; ++c)
                out.push_back(float(v[c] * AtomRadius));
    for (const auto &t : triangles)
        for (const V3 &v : t)
            for (int c = 0; c < 3; ++c)
                out.push_back(float(v[c]));
    return out;
}

void SiLatticePainter::atomColor(int first, int second, uint8_t out[3])
{
    auto set = [out](uint8_t r, uint8_t g, uint8_t b) {
        out[0] = r;
        out[1] = g;
        out[2] = b;
    };
    if (first == 2)
        set(127, 255, 127);
    else if (first == 3 && second <= 8)
        set(255, 127, 0);
    else if (first == 3)
        set(0, 0, 255);
    else
        set(255, 255, 0);
}

void SiLatticePainter::clear()
{
    m_atoms = std::vector<Atom>();
    m_links = std::vector<float>();
    m_cells = std::vector<float>();
}

SiLatticePainter::Options SiLatticePainter::regenerate(Automaton::SiLattice *lattice, const DrawRange &range,
                                                       const Options &requested)
{
    return regenerate(lattice, range, requested, QOpenGLContext::currentContext() != nullptr);
}

SiLatticePainter::Options SiLatticePainter::regenerate(Automaton::SiLattice *lattice, const DrawRange &range,
                                                       const Options &requested, bool haveGlContext)
{
    Options options = requested;
    if (!haveGlContext) {
        options.atoms = false;
        options.links = false;
    }
    m_options = options;
    clear();
    if (!lattice || range.isEmpty() || !(options.atoms || options.links || options.unitCells ||
                                         options.unitCellOutlines))
        return options;

    Automaton::TotalVolume &volume = *lattice->getVolume();
    // Lattice coordinates are the volume's own frame, the frame the painter draws in, so
    // the overlay follows the volume wherever it is moved.
    const double cx = volume.getCellSizeX(), cy = volume.getCellSizeY(), cz = volume.getCellSizeZ();
    // The draw range's six planes, in world units of the volume's frame.
    auto inside = [&](double x, double y, double z) {
        return x >= range.x0 * cx && x <= range.x1 * cx && y >= range.y0 * cy && y <= range.y1 * cy &&
               z >= range.z0 * cz && z <= range.z1 * cz;
    };

    const SiLattice::Template &t = lattice->getTemplate();
    m_cubeQuads.clear();
    for (const int *face : CubeFaces)
        for (int n = 0; n < 4; ++n) {
            m_cubeQuads.push_back(float(t.corners[face[n]].x));
            m_cubeQuads.push_back(float(t.corners[face[n]].y));
            m_cubeQuads.push_back(float(t.corners[face[n]].z));
        }

    Automaton::CellLock lock(volume);
    for (size_t slot = 0; slot < lattice->getCellCount(); ++slot) {
        const Automaton::SiCell &cell = lattice->cellAt(slot);
        if ((options.unitCells || options.unitCellOutlines) &&
            inside(cell.x, cell.y, cell.z)) {
            m_cells.push_back(float(cell.x));
            m_cells.push_back(float(cell.y));
            m_cells.push_back(float(cell.z));
        }
        if (!options.atoms && !options.links)
            continue;
        for (unsigned n = 0; n < 8; ++n) {
            const uint32_t id = SiLattice::atomId(slot, n);
            const SiAtom &a = lattice->atom(id);
            if (a.state == SiAtom::Absent)
                continue;
            if (options.surfaceAtomsOnly && !lattice->isSurfaceAtom(id))
                continue;
            const SiLattice::Point p = lattice->atomPosition(id);
            const double x = p.x, y = p.y, z = p.z;
            if (!inside(x, y, z))
                continue;
            if (options.atoms) {
                Atom atom;
                atom.x = float(x);
                atom.y = float(y);
                atom.z = float(z);
                atomColor(lattice->firstNeighbours(id), lattice->secondNeighbours(id), atom.color);
                m_atoms.push_back(atom);
            }
            if (options.links && isPresent(a.state)) {
                for (unsigned s = 0; s < 4; ++s) {
                    const uint32_t b = a.bonds[s];
                    if (b == SiAtom::NoAtom)
                        continue;
                    // A fixed boundary atom has no cell: it sits at the bond's end.
                    const SiLattice::Point q = SiAtom::isAtom(b) ? lattice->atomPosition(b) : lattice->bondEnd(id, s);
                    double qx = q.x, qy = q.y, qz = q.z;
                    if (!SiAtom::isAtom(b) || !isPresent(lattice->atom(b).state)) {
                        qx = (x + qx) / 2;
                        qy = (y + qy) / 2;
                        qz = (z + qz) / 2;
                    }
                    for (double v : {x, y, z, qx, qy, qz})
                        m_links.push_back(float(v));
                }
            }
        }
    }
    return options;
}

void SiLatticePainter::drawOpaque() const
{
    if (m_atoms.empty() && m_links.empty() && (!m_options.unitCellOutlines || m_cells.empty()))
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT | GL_LINE_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);

    if (!m_atoms.empty()) {
        const size_t vertices = m_sphere.size() / 6;
        glEnable(GL_COLOR_MATERIAL);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnableClientState(GL_NORMAL_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, m_sphere.data());
        glNormalPointer(GL_FLOAT, 0, m_sphere.data() + vertices * 3);
        for (const Atom &a : m_atoms) {
            glColor3ub(a.color[0], a.color[1], a.color[2]);
            glPushMatrix();
            glTranslatef(a.x, a.y, a.z);
            glDrawArrays(GL_TRIANGLES, 0, GLsizei(vertices));
            glPopMatrix();
        }
        glDisableClientState(GL_NORMAL_ARRAY);
    }

    glDisable(GL_LIGHTING);
    if (!m_links.empty()) {
        glColor3ub(255, 255, 127);
        glVertexPointer(3, GL_FLOAT, 0, m_links.data());
        glDrawArrays(GL_LINES, 0, GLsizei(m_links.size() / 3));
    }
    if (m_options.unitCellOutlines && !m_cells.empty()) {
        glEnable(GL_POLYGON_OFFSET_LINE);
        glPolygonOffset(-1.0f, -1.0f);
        glColor3ub(127, 127, 255);
        glVertexPointer(3, GL_FLOAT, 0, m_cubeQuads.data());
        for (size_t c = 0; c + 2 < m_cells.size(); c += 3) {
            glPushMatrix();
            glTranslatef(m_cells[c], m_cells[c + 1], m_cells[c + 2]);
            for (int face = 0; face < 6; ++face)
                glDrawArrays(GL_LINE_LOOP, face * 4, 4);
            glPopMatrix();
        }
    }
    glPopClientAttrib();
    glPopAttrib();
}

void SiLatticePainter::drawTranslucent() const
{
    if (!m_options.unitCells || m_cells.empty())
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glColor4ub(127, 127, 255, 127);
    glVertexPointer(3, GL_FLOAT, 0, m_cubeQuads.data());
    for (size_t c = 0; c + 2 < m_cells.size(); c += 3) {
        glPushMatrix();
        glTranslatef(m_cells[c], m_cells[c + 1], m_cells[c + 2]);
        glDrawArrays(GL_QUADS, 0, 24);
        glPopMatrix();
    }
    glPopClientAttrib();
    glPopAttrib();
}

} // namespace Geometry
} // namespace Model
