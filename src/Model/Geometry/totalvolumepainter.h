#pragma once

#include "Model/Geometry/bsptree.h"
#include "Model/Geometry/colormap.h"
#include "Model/Geometry/drawrange.h"
#include "Model/Geometry/facearrays.h"
#include "Model/Geometry/fieldpainter.h"
#include "Model/Geometry/marchingcubesurface.h"
#include "Model/Geometry/octreesurface.h"
#include "Model/Geometry/quadface.h"
#include "Model/Geometry/silatticepainter.h"
#include "Util/largebuffer.h"
#include "Util/vector3d.h"
#include "Util/vector4d.h"

#include <boost/shared_ptr.hpp>

#include <QMutex>

#include <array>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}

namespace Geometry {

// The nine options the visualisation dialog exchanges, in its order.
struct VisualizationOptions
{
    enum View { DirectCubic = 0, MarchingCubes = 1, Octree = 2, ParticleCountField = 3 };

    bool renderSiAtoms = false;
    bool renderSurfaceAtomsOnly = true;
    bool renderSiLinks = false;
    bool renderSiUnitCells = false;
    bool renderSiUnitCellOutlines = false;
    bool renderEmptyVoxelOutlines = false;
    int viewIndex = DirectCubic;
    int distributionToRender = FieldPainter::NType;
    int colorScale = FieldPainter::GrayScale;

    bool operator==(const VisualizationOptions &o) const;
};

// Turns a volume's cells into drawable geometry and draws it. Owned by value by
// its volume. Generation is plain C++ on the slab runner and needs no GL
// context; only draw() and drawForPicking() issue GL calls.
class TotalVolumePainter
{
public:
    explicit TotalVolumePainter(Automaton::TotalVolume *volume);
    ~TotalVolumePainter();
    TotalVolumePainter(const TotalVolumePainter &) = delete;
    TotalVolumePainter &operator=(const TotalVolumePainter &) = delete;

    DrawRange getDrawRange() const;
    // Also sets the six bounding planes. Takes effect at the next regeneration.
    void setDrawRange(const DrawRange &range);
    // Plane i as (nx, ny, nz, bound): a point p (in cells) is inside when
    // n . p <= bound for all six: -x <= -x0, x <= x1, -y <= -y0, y <= y1, -z <= -z0, z <= z1.
    std::array<Util::Vector4D, 6> getBoundingPlanes() const;
    bool isInsideDrawRange(const Util::Vector3D &cellPosition) const;

    void setHidden(bool hidden) { m_hidden = hidden; }
    bool isHidden() const { return m_hidden; }

    VisualizationOptions getOptions() const;
    // Stores the options and regenerates everything.
    void setOptions(const VisualizationOptions &options);
    int getViewIndex() const { return getOptions().viewIndex; }
    // Switching the view regenerates at once.
    void setViewIndex(int view);

    // Rebuilds the geometry from the cells; takes the volume's cell lock.
    void regenerate();

    // How many cut planes hide each cell (a cell with a count above 0 is drawn
    // as empty). Held by the drawing, not the cells: a volume never cut keeps
    // none. Read and changed under the volume's cell lock.
    const uint8_t *cutCounts() const { return m_cutCounts.size() == 0 ? nullptr : m_cutCounts.data(); }
    unsigned cutCount(size_t cell) const { return m_cutCounts.size() == 0 ? 0u : m_cutCounts[cell]; }
    // Every cell's count, made (all 0) on first use; null when memory runs out.
    uint8_t *cutCountsForWriting();
    void clearCutCounts() { m_cutCounts = Util::LargeArray<uint8_t>(); }
    // Re-reads the material colours and recolours the existing geometry.
    void recolor();

    // Colours used instead of the materials catalogue (tests, previews).
    void setColorOverride(const ColorMap &colors);
    void clearColorOverride();

    // viewDirection: unit vector from the scene towards the viewer of the view's
    // parallel projection; translucent faces are drawn back to front along it.
    void draw(bool renderFaces, bool renderEdges, const Util::Vector3D &viewDirection);
    void drawForPicking();

    // The geometry of the last regeneration (copies, safe while another thread regenerates).
    FaceVector opaqueFaces() const;
    FaceVector translucentFaces() const;
    FaceVector emptyCellFaces() const;
    Automaton::TriangleVector marchingCubeTriangles() const;
    FaceVector octreeOpaqueFaces() const;
    FaceVector octreeTranslucentFaces() const;
    FaceLists fieldFaces() const;
    // The field view's colour range, for the legend.
    double fieldMinimum() const;
    double fieldMaximum() const;
    boost::shared_ptr<BSPTree> translucentTree() const;
    // Indices into translucentFaces() in the order the last frame drew them.
    std::vector<uint32_t> lastTranslucentOrder() const;

private:
    struct Arrays
    {
        // The shown view's faces; outlines reuse them (edge colours equal fill colours).
        FaceArrays opaque, translucent, empty, triangles;
        bool built = false;
        bool builtSelected = false;
    };

    ColorMap currentColors() const;
    void buildArrays(bool selected);
    void drawQuads(const FaceArrays &arrays, bool withNormals) const;
    void drawOutlines(const FaceArrays &a, const FaceArrays *b, const FaceArrays *c) const;
    void drawTranslucentSorted(const Util::Vector3D &towardsViewer);
    void drawMasks();
    void drawBox();
    // Hooks of the Si lattice geometry, which attaches here: rebuilt last in
    // every regeneration, its opaque parts drawn before the opaque faces and
    // its unit cells in the translucent pass.
    void regenerateLattice();
    void drawLatticeOpaque() { m_latticePainter.drawOpaque(); }
    void drawLatticeTranslucent() { m_latticePainter.drawTranslucent(); }

    Automaton::TotalVolume *m_volume;
    Util::LargeArray<uint8_t> m_cutCounts;
    mutable QMutex m_mutex; // guards the draw range and the options
    DrawRange m_range;
    VisualizationOptions m_options;
    bool m_hidden = false;

    // The geometry; replaced as a whole by regenerate, read by drawing.
    mutable QMutex m_geometryMutex;
    ColorMap m_colors;
    bool m_hasOverride = false;
    ColorMap m_override;
    FaceVector m_opaque;
    FaceVector m_translucent;
    FaceVector m_empty;
    boost::shared_ptr<BSPTree> m_tree;
    MarchingCubeSurface m_marchingCubes;
    OctreeSurface m_octree;
    FieldPainter m_field;
    SiLatticePainter m_latticePainter;
    int m_generatedView = VisualizationOptions::DirectCubic;
    bool m_selected = false;
    Arrays m_arrays;
    std::vector<uint32_t> m_order;       // back-to-front face order of the last frame
    std::vector<uint32_t> m_vertexOrder; // the same as vertex indices
};

} // namespace Geometry
} // namespace Model
