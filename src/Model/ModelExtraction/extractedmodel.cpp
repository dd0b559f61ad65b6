#include "Model/ModelExtraction/extractedmodel.h"

#include <GL/gl.h>

namespace Model {
namespace ModelExtraction {

namespace {

const float Palette[ExtractedModel::PaletteSize][3] = {
    {1, 0, 0},       {1, 1, 0},     {1, 1, 1},     {0, 1, 0},         {0, 1, 1},
    {1, 0, 1},       {0, 0, 1},     {0.5f, 0, 0},  {0.5f, 0.5f, 0},   {0.5f, 0.5f, 0.5f},
    {0, 0.5f, 0},    {0, 0.5f, 0.5f}, {0.5f, 0, 0.5f}, {0, 0, 0.5f}};

// Boxes are drawn in cell units with the vertical axis flattened.
const double ScaleZ = 0.353552;

// Corner indices of the six faces, corner bit 0 = +x, bit 1 = +y, bit 2 = +z; each face
// runs counter-clockwise seen from outside, so back-face culling and lighting see the
// outer side.
const int Faces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4},
                         {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
const double Normals[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};

void corners(const RectangularCuboidEnvelope &b, double out[8][3])
{
    for (int i = 0; i < 8; ++i) {
        out[i][0] = b.getX() + ((i & 1) ? b.getDx() : 0);
        out[i][1] = b.getY() + ((i & 2) ? b.getDy() : 0);
        out[i][2] = (b.getZ() + ((i & 4) ? b.getDz() : 0)) * ScaleZ;
    }
}

} // namespace

ExtractedModel::ExtractedModel(const BoxList &boxes, const Util::Vector3D &offset)
    : m_boxes(boxes), m_offset(offset)
{
}

void ExtractedModel::boxFace(const RectangularCuboidEnvelope &box, int face, double out[4][3])
{
    double c[8][3];
    corners(box, c);
    for (int k = 0; k < 4; ++k)
        for (int a = 0; a < 3; ++a)
            out[k][a] = c[Faces[face][k]][a];
}

const double *ExtractedModel::faceNormal(int face) { return Normals[face]; }

const float *ExtractedModel::paletteColour(int i) { return Palette[i % PaletteSize]; }

void ExtractedModel::translate(const Util::Vector3D &offset)
{
    m_offset = Util::Vector3D(m_offset.x + offset.x, m_offset.y + offset.y, m_offset.z + offset.z);
}

void ExtractedModel::draw(bool, bool, const Util::Vector3D &) { drawBoxes(true); }

void ExtractedModel::drawForPicking() { drawBoxes(false); }

void ExtractedModel::drawBoxes(bool colours)
{
    glPushMatrix();
    glTranslated(m_offset.x, m_offset.y, m_offset.z);
    int colour = 0; // the palette restarts every frame
    double q[6][4][3];
    for (const BoxPtr &box : m_boxes) {
        for (int f = 0; f < 6; ++f)
            boxFace(*box, f, q[f]);
        if (colours)
            glColor3fv(paletteColour(colour++));
        glBegin(GL_QUADS);
        for (int f = 0; f < 6; ++f) {
            glNormal3dv(Normals[f]);
            for (int k = 0; k < 4; ++k)
                glVertex3dv(q[f][k]);
        }
        glEnd();
        if (!colours)
            continue;
        glColor3f(0.25f, 0.25f, 0.25f);
        for (int f = 0; f < 6; ++f) {
            glBegin(GL_LINE_LOOP);
            for (int k = 0; k < 4; ++k)
                glVertex3dv(q[f][k]);
            glEnd();
        }
    }
    glPopMatrix();
}

} // namespace ModelExtraction
} // namespace Model
