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

// Corner indices of the six faces, corner bit 0 = +x, bit 1 = +y, bit 2 = +z.
const int Faces[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1},
                         {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 6, 7, 5}};
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
    double c[8][3];
    for (const BoxPtr &box : m_boxes) {
        corners(*box, c);
        if (colours)
            glColor3fv(paletteColour(colour++));
        glBegin(GL_QUADS);
        for (int f = 0; f < 6; ++f) {
            glNormal3dv(Normals[f]);
            for (int k = 0; k < 4; ++k)
                glVertex3dv(c[Faces[f][k]]);
        }
        glEnd();
        if (!colours)
            continue;
        glColor3f(0.25f, 0.25f, 0.25f);
        for (int f = 0; f < 6; ++f) {
            glBegin(GL_LINE_LOOP);
            for (int k = 0; k < 4; ++k)
                glVertex3dv(c[Faces[f][k]]);
            glEnd();
        }
    }
    glPopMatrix();
}

} // namespace ModelExtraction
} // namespace Model
