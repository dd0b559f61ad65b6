#include "totalvolumepainter.h"

#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/cubicsurface.h"

#include <QMutexLocker>
#include <QtDebug>

#include <GL/gl.h>

#include <algorithm>

namespace Model {
namespace Geometry {

bool VisualizationOptions::operator==(const VisualizationOptions &o) const
{
    return renderSiAtoms == o.renderSiAtoms && renderSurfaceAtomsOnly == o.renderSurfaceAtomsOnly &&
           renderSiLinks == o.renderSiLinks && renderSiUnitCells == o.renderSiUnitCells &&
           renderSiUnitCellOutlines == o.renderSiUnitCellOutlines &&
           renderEmptyVoxelOutlines == o.renderEmptyVoxelOutlines && viewIndex == o.viewIndex &&
           distributionToRender == o.distributionToRender && colorScale == o.colorScale;
}

TotalVolumePainter::TotalVolumePainter(Automaton::TotalVolume *volume) : m_volume(volume)
{
    m_range.x1 = volume->getSizeX();
    m_range.y1 = volume->getSizeY();
    m_range.z1 = volume->getSizeZ();
}

TotalVolumePainter::~TotalVolumePainter() = default;

DrawRange TotalVolumePainter::getDrawRange() const
{
    QMutexLocker lock(&m_mutex);
    return m_range;
}

void TotalVolumePainter::setDrawRange(const DrawRange &range)
{
    QMutexLocker lock(&m_mutex);
    m_range = range;
}

std::array<Util::Vector4D, 6> TotalVolumePainter::getBoundingPlanes() const
{
    const DrawRange r = getDrawRange();
    return {Util::Vector4D(-1, 0, 0, -double(r.x0)), Util::Vector4D(1, 0, 0, r.x1),
            Util::Vector4D(0, -1, 0, -double(r.y0)), Util::Vector4D(0, 1, 0, r.y1),
            Util::Vector4D(0, 0, -1, -double(r.z0)), Util::Vector4D(0, 0, 1, r.z1)};
}

bool TotalVolumePainter::isInsideDrawRange(const Util::Vector3D &p) const
{
    for (const Util::Vector4D &plane : getBoundingPlanes())
        if (plane.x * p.x + plane.y * p.y + plane.z * p.z > plane.w)
            return false;
    return true;
}

VisualizationOptions TotalVolumePainter::getOptions() const
{
    QMutexLocker lock(&m_mutex);
    return m_options;
}

void TotalVolumePainter::setOptions(const VisualizationOptions &options)
{
    {
        QMutexLocker lock(&m_mutex);
        m_options = options;
        // Out-of-range choices fall back to the defaults instead of drawing nothing.
        if (m_options.viewIndex < VisualizationOptions::DirectCubic ||
            m_options.viewIndex > VisualizationOptions::ParticleCountField)
            m_options.viewIndex = VisualizationOptions::DirectCubic;
        if (m_options.distributionToRender < FieldPainter::NType ||
            m_options.distributionToRender > FieldPainter::SignedSum)
            m_options.distributionToRender = FieldPainter::NType;
        if (m_options.colorScale < FieldPainter::GrayScale || m_options.colorScale > FieldPainter::YellowToBlue)
            m_options.colorScale = FieldPainter::GrayScale;
    }
    regenerate();
}

void TotalVolumePainter::setViewIndex(int view)
{
    VisualizationOptions o = getOptions();
    o.viewIndex = view;
    setOptions(o);
}

void TotalVolumePainter::setColorOverride(const ColorMap &colors)
{
    QMutexLocker lock(&m_geometryMutex);
    m_override = colors;
    m_hasOverride = true;
}

void TotalVolumePainter::clearColorOverride()
{
    QMutexLocker lock(&m_geometryMutex);
    m_hasOverride = false;
    m_override = ColorMap();
}

ColorMap TotalVolumePainter::currentColors() const
{
    {
        QMutexLocker lock(&m_geometryMutex);
        if (m_hasOverride)
            return m_override;
    }
    return ColorMap::fromCatalogue();
}

uint8_t *TotalVolumePainter::cutCountsForWriting()
{
    if (m_cutCounts.size() == 0) {
        try {
            m_cutCounts = Util::LargeArray<uint8_t>(size_t(m_volume->getCellCount()));
        } catch (const std::bad_alloc &) {
            return nullptr;
        }
    }
    return m_cutCounts.data();
}

void TotalVolumePainter::regenerate()
{
    const VisualizationOptions options = getOptions();
    const ColorMap colors = currentColors();
    const DrawRange range = getDrawRange().clampedTo(m_volume->getSizeX(), m_volume->getSizeY(),
                                                     m_volume->getSizeZ());
    ParticleCounterArray nCounts, pCounts;
    if (options.viewIndex == VisualizationOptions::ParticleCountField) {
        nCounts = FieldPainter::countersOf(m_volume->getProperty(FieldPainter::nTypeProperty()));
        pCounts = FieldPainter::countersOf(m_volume->getProperty(FieldPainter::pTypeProperty()));
    }

    FaceLists cubic;
    FaceVector empty;
    boost::shared_ptr<BSPTree> tree;
    MarchingCubeSurface marchingCubes;
    OctreeSurface octree;
    FieldPainter field;
    {
        Automaton::CellLock lock(*m_volume);
        CellGrid grid;
        grid.cells = lock.cells();
        grid.cuts = cutCounts();
        grid.sizeX = m_volume->getSizeX();
        grid.sizeY = m_volume->getSizeY();
        grid.sizeZ = m_volume->getSizeZ();
        grid.cellSizeX = m_volume->getCellSizeX();
        grid.cellSizeY = m_volume->getCellSizeY();
        grid.cellSizeZ = m_volume->getCellSizeZ();
        grid.range = range;

        cubic = CubicSurface::generate(grid, colors);
        switch (options.viewIndex) {
        case VisualizationOptions::MarchingCubes: marchingCubes.generate(grid); break;
        case VisualizationOptions::Octree: octree.generate(grid, colors); break;
        case VisualizationOptions::ParticleCountField:
            field.generate(grid, colors, nCounts, pCounts, options.distributionToRender, options.colorScale);
            break;
        default: break;
        }
        if (options.renderEmptyVoxelOutlines)
            empty = CubicSurface::emptyCellFaces(grid);
        QString error;
        tree = BSPTree::build(cubic.translucent, &error);
        // Without a tree the translucent faces are still drawn, in list order.
        if (!error.isEmpty())
            qWarning() << "Model/Geometry/totalvolumepainter" << Q_FUNC_INFO << error;
    }

    {
        QMutexLocker lock(&m_geometryMutex);
        m_colors = colors;
        m_opaque.swap(cubic.opaque);
        m_translucent.swap(cubic.translucent);
        m_empty.swap(empty);
        m_tree = tree;
        std::swap(m_marchingCubes, marchingCubes);
        std::swap(m_octree, octree);
        std::swap(m_field, field);
        m_generatedView = options.viewIndex;
        m_arrays = Arrays();
    }
    regenerateLattice();
}

void TotalVolumePainter::recolor()
{
    const ColorMap colors = currentColors();
    bool fieldView;
    {
        QMutexLocker lock(&m_geometryMutex);
        m_colors = colors;
        auto paint = [&colors](FaceVector &faces) {
            for (QuadFace &f : faces) {
                const float *c = colors.color(f.material);
                std::copy(c, c + 4, f.fill);
                std::copy(c, c + 4, f.edge);
            }
        };
        paint(m_opaque);
        paint(m_translucent);
        paint(m_octree.opaqueFaces());
        paint(m_octree.translucentFaces());
        m_arrays = Arrays();
        fieldView = m_generatedView == VisualizationOptions::ParticleCountField;
    }
    // Field colours mix the scale and the materials: rebuild them.
    if (fieldView)
        regenerate();
}

std::vector<uint32_t> TotalVolumePainter::lastTranslucentOrder() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_order;
}

FaceVector TotalVolumePainter::opaqueFaces() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_opaque;
}

FaceVector TotalVolumePainter::translucentFaces() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_translucent;
}

FaceVector TotalVolumePainter::emptyCellFaces() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_empty;
}

Automaton::TriangleVector TotalVolumePainter::marchingCubeTriangles() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_marchingCubes.triangles();
}

FaceVector TotalVolumePainter::octreeOpaqueFaces() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_octree.opaqueFaces();
}

FaceVector TotalVolumePainter::octreeTranslucentFaces() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_octree.translucentFaces();
}

FaceLists TotalVolumePainter::fieldFaces() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_field.faces();
}

double TotalVolumePainter::fieldMinimum() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_field.minimum();
}

double TotalVolumePainter::fieldMaximum() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_field.maximum();
}

boost::shared_ptr<BSPTree> TotalVolumePainter::translucentTree() const
{
    QMutexLocker lock(&m_geometryMutex);
    return m_tree;
}

// Called with the geometry mutex held.
void TotalVolumePainter::buildArrays(bool selected)
{
    if (m_arrays.built && m_arrays.builtSelected == selected)
        return;
    const FaceVector *opaque = &m_opaque, *translucent = &m_translucent;
    if (m_generatedView == VisualizationOptions::Octree) {
        opaque = &m_octree.opaqueFaces();
        translucent = &m_octree.translucentFaces();
    } else if (m_generatedView == VisualizationOptions::ParticleCountField) {
        opaque = &m_field.faces().opaque;
        translucent = &m_field.faces().translucent;
    }
    if (m_arrays.built) {
        // Only the selection changed: new colours, same vertices.
        m_arrays.opaque.recolorQuads(*opaque, selected);
        m_arrays.translucent.recolorQuads(*translucent, selected);
        m_arrays.empty.recolorQuads(m_empty, false);
        if (!m_marchingCubes.triangles().empty())
            m_arrays.triangles.buildTriangles(m_marchingCubes.triangles(), m_colors, selected);
    } else {
        m_arrays.opaque.buildQuads(*opaque, selected);
        m_arrays.translucent.buildQuads(*translucent, selected);
        m_arrays.empty.buildQuads(m_empty, false);
        m_arrays.triangles.buildTriangles(m_marchingCubes.triangles(), m_colors, selected);
    }
    m_arrays.built = true;
    m_arrays.builtSelected = selected;
}

void TotalVolumePainter::drawQuads(const FaceArrays &a, bool withNormals) const
{
    if (a.empty())
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, a.positions.data());
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, a.colors.data());
    if (withNormals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, a.normals.data());
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
    }
    glDrawArrays(GL_QUADS, 0, GLsizei(a.vertexCount()));
}

void TotalVolumePainter::drawOutlines(const FaceArrays &a, const FaceArrays *b, const FaceArrays *c) const
{
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_LINE_BIT | GL_LIGHTING_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(-1.0f, -1.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(1.0f);
    drawQuads(a, false);
    if (b)
        drawQuads(*b, false);
    if (c)
        drawQuads(*c, false);
    glPopAttrib();
}

void TotalVolumePainter::drawTranslucentSorted(const Util::Vector3D &towardsViewer)
{
    const FaceArrays &a = m_arrays.translucent;
    if (a.empty())
        return;
    if (!m_tree) {
        drawQuads(a, true);
        return;
    }
    m_tree->backToFrontAlong(towardsViewer, m_order);
    m_vertexOrder.resize(m_order.size() * 4);
    uint32_t *v = m_vertexOrder.data();
    for (const uint32_t f : m_order)
        for (uint32_t k = 0; k < 4; ++k)
            *v++ = f * 4 + k;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, a.positions.data());
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, a.normals.data());
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, a.colors.data());
    // Each face's colour as front ambient and diffuse material, the view's
    // specular unchanged: colour material on those two terms does exactly that.
    glPushAttrib(GL_LIGHTING_BIT | GL_ENABLE_BIT);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glDrawElements(GL_QUADS, GLsizei(m_vertexOrder.size()), GL_UNSIGNED_INT, m_vertexOrder.data());
    glPopAttrib();
}

void TotalVolumePainter::draw(bool renderFaces, bool renderEdges, const Util::Vector3D &viewDirection)
{
    if (m_hidden)
        return;
    QMutexLocker lock(&m_geometryMutex);
    const bool selected = m_volume->isSelected();
    buildArrays(selected);
    m_selected = selected;
    const int view = m_generatedView;
    const bool emptyOutlines = !m_arrays.empty.empty();

    const Util::Vector3D p = m_volume->getPosition();
    glPushMatrix();
    glTranslated(p.x, p.y, p.z);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);

    if (renderFaces) {
        switch (view) {
        case VisualizationOptions::MarchingCubes:
            if (!m_arrays.triangles.empty()) {
                const FaceArrays &t = m_arrays.triangles;
                glEnableClientState(GL_VERTEX_ARRAY);
                glVertexPointer(3, GL_FLOAT, 0, t.positions.data());
                glEnableClientState(GL_NORMAL_ARRAY);
                glNormalPointer(GL_FLOAT, 0, t.normals.data());
                glEnableClientState(GL_COLOR_ARRAY);
                glColorPointer(4, GL_FLOAT, 0, t.colors.data());
                glDrawArrays(GL_TRIANGLES, 0, GLsizei(t.vertexCount()));
            }
            break;
        case VisualizationOptions::Octree:
        case VisualizationOptions::ParticleCountField: drawQuads(m_arrays.opaque, true); break;
        default:
            drawLatticeOpaque();
            drawQuads(m_arrays.opaque, true);
            break;
        }
    }
    // Outlines also show when faces are switched off, so a wire view stays possible.
    if (renderEdges) {
        if (view == VisualizationOptions::Octree || view == VisualizationOptions::ParticleCountField)
            drawOutlines(m_arrays.opaque, nullptr, nullptr);
        else if (view == VisualizationOptions::DirectCubic)
            drawOutlines(m_arrays.opaque, &m_arrays.translucent, emptyOutlines ? &m_arrays.empty : nullptr);
    }

    if (renderFaces) {
        glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        drawLatticeTranslucent();
        if (view == VisualizationOptions::Octree || view == VisualizationOptions::ParticleCountField)
            drawQuads(m_arrays.translucent, true);
        else if (view == VisualizationOptions::DirectCubic)
            // A direction is the same in the scene's and the volume's frame.
            drawTranslucentSorted(viewDirection);
        glPopAttrib();
    }

    glPopClientAttrib();
    drawMasks();
    glPopMatrix();
}

void TotalVolumePainter::drawForPicking()
{
    if (m_hidden)
        return;
    QMutexLocker lock(&m_geometryMutex);
    buildArrays(m_volume->isSelected());
    const Util::Vector3D p = m_volume->getPosition();
    glPushMatrix();
    glTranslated(p.x, p.y, p.z);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    bool drewAny = false;
    for (const FaceArrays *a : {&m_arrays.opaque, &m_arrays.translucent}) {
        if (a->empty() || m_generatedView == VisualizationOptions::MarchingCubes)
            continue;
        glVertexPointer(3, GL_FLOAT, 0, a->positions.data());
        glDrawArrays(GL_QUADS, 0, GLsizei(a->vertexCount()));
        drewAny = true;
    }
    if (m_generatedView == VisualizationOptions::MarchingCubes && !m_arrays.triangles.empty()) {
        glVertexPointer(3, GL_FLOAT, 0, m_arrays.triangles.positions.data());
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(m_arrays.triangles.vertexCount()));
        drewAny = true;
    }
    glPopClientAttrib();
    // A volume with nothing visible can still be picked by its outline.
    if (!drewAny)
        drawBox();
    glPopMatrix();
}

void TotalVolumePainter::drawBox()
{
    const double sx = m_volume->getSizeX() * double(m_volume->getCellSizeX());
    const double sy = m_volume->getSizeY() * double(m_volume->getCellSizeY());
    const double sz = m_volume->getSizeZ() * double(m_volume->getCellSizeZ());
    const Util::Vector3D c = m_volume->getOutlineColor();
    glColor3d(c.x, c.y, c.z);
    glBegin(GL_LINES);
    const double xs[2] = {0.0, sx}, ys[2] = {0.0, sy}, zs[2] = {0.0, sz};
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b) {
            glVertex3d(0.0, ys[a], zs[b]);
            glVertex3d(sx, ys[a], zs[b]);
            glVertex3d(xs[a], 0.0, zs[b]);
            glVertex3d(xs[a], sy, zs[b]);
            glVertex3d(xs[a], ys[b], 0.0);
            glVertex3d(xs[a], ys[b], sz);
        }
    glEnd();
}

void TotalVolumePainter::drawMasks()
{
    const float cx = m_volume->getCellSizeX();
    const float cy = m_volume->getCellSizeY();
    const float cz = m_volume->getCellSizeZ();
    struct MaskLayer
    {
        std::vector<bool> bits;
        Automaton::TotalVolume::MaskSize size;
        double height;
    };
    const MaskLayer layers[2] = {
        {m_volume->getTopMask(), m_volume->getTopMaskSize(), (m_volume->getSizeZ() + 5.0) * cz},
        {m_volume->getBottomMask(), m_volume->getBottomMaskSize(), -5.0 * cz}};

    bool any = false;
    for (const MaskLayer &layer : layers)
        any = any || std::find(layer.bits.begin(), layer.bits.end(), true) != layer.bits.end();
    if (!any)
        return;

    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glColor4d(0.2, 0.8, 0.2, 0.3);
    glBegin(GL_QUADS);
    for (const MaskLayer &layer : layers) {
        // Extents may differ from the volume's; only the part over the volume is drawn.
        const unsigned rows = std::min(layer.size.first, m_volume->getSizeX());
        const unsigned columns = std::min(layer.size.second, m_volume->getSizeY());
        for (unsigned i = 0; i < rows; ++i)
            for (unsigned j = 0; j < columns; ++j) {
                if (!layer.bits[size_t(i) * layer.size.second + j])
                    continue;
                const double x0 = i * cx, y0 = j * cy, h = layer.height;
                glVertex3d(x0, y0, h);
                glVertex3d(x0 + cx, y0, h);
                glVertex3d(x0 + cx, y0 + cy, h);
                glVertex3d(x0, y0 + cy, h);
            }
    }
    glEnd();
    glPopAttrib();
}

void TotalVolumePainter::regenerateLattice()
{
    const VisualizationOptions options = getOptions();
    const DrawRange range = getDrawRange().clampedTo(m_volume->getSizeX(), m_volume->getSizeY(),
                                                     m_volume->getSizeZ());
    SiLatticePainter::Options wanted;
    wanted.atoms = options.renderSiAtoms;
    wanted.surfaceAtomsOnly = options.renderSurfaceAtomsOnly;
    wanted.links = options.renderSiLinks;
    wanted.unitCells = options.renderSiUnitCells;
    wanted.unitCellOutlines = options.renderSiUnitCellOutlines;
    SiLatticePainter painter;
    const boost::shared_ptr<Automaton::SiLattice> lattice = m_volume->getLattice();
    const SiLatticePainter::Options used = painter.regenerate(lattice.get(), range, wanted);
    if (!(used == wanted)) {
        // Without a GL context atoms and links cannot be drawn: the options say so.
        QMutexLocker lock(&m_mutex);
        m_options.renderSiAtoms = used.atoms;
        m_options.renderSiLinks = used.links;
    }
    QMutexLocker lock(&m_geometryMutex);
    std::swap(m_latticePainter, painter);
}

} // namespace Geometry
} // namespace Model
