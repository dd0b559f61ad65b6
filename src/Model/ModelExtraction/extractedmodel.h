#pragma once

#include "Model/ModelExtraction/preprocessing.h"
#include "Model/object.h"
#include "Util/vector3d.h"

namespace Model {
namespace ModelExtraction {

// Boxes shown in the scene: each a solid cuboid in the next palette colour
// with grey outlines. Not cloned and not written to documents.
class ExtractedModel : public Object
{
public:
    static constexpr int PaletteSize = 14;

    ExtractedModel(const BoxList &boxes, const Util::Vector3D &offset);

    const BoxList &getBoxes() const { return m_boxes; }
    Util::Vector3D getOffset() const { return m_offset; }
    // The four corners of face 0..5 (-x, +x, -y, +y, -z, +z) of box as drawn, in the
    // model's frame, and that face's outward normal.
    static void boxFace(const RectangularCuboidEnvelope &box, int face, double out[4][3]);
    static const double *faceNormal(int face);
    // Palette colour i as r, g, b.
    static const float *paletteColour(int i);

    int getType() const override { return ExtractedModelType; }
    void draw(bool renderFaces, bool renderEdges, const Util::Vector3D &viewDirection) override;
    void drawForPicking() override;
    Object *clone() override { return nullptr; }
    void translate(const Util::Vector3D &offset) override;
    void transform(const Util::Vector4D &, const Util::Vector4D &) override {}

private:
    void drawBoxes(bool colours);

    BoxList m_boxes;
    Util::Vector3D m_offset;
};

} // namespace ModelExtraction
} // namespace Model
