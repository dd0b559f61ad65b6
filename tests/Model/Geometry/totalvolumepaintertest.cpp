#include "geometrytestsupport.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"

#include <gtest/gtest.h>

#include <QThread>

#include <cstring>
#include <QtConcurrent/QtConcurrentRun>

using namespace GeometryTest;
using Model::Automaton::TotalVolume;
using Model::Geometry::DrawRange;
using Model::Geometry::FieldPainter;
using Model::Geometry::ParticleCounterArray;
using Model::Geometry::FaceVector;
using Model::Geometry::QuadFace;
using Model::Geometry::TotalVolumePainter;
using Model::Geometry::VisualizationOptions;

namespace {

boost::shared_ptr<TotalVolume> landscapeVolume(unsigned sx, unsigned sy, unsigned sz)
{
    Cells cells(sx, sy, sz);
    roughLandscape(cells);
    std::vector<uint32_t> materials(cells.voxels.size());
    for (size_t i = 0; i < materials.size(); ++i)
        materials[i] = cells.voxels[i].material;
    boost::shared_ptr<TotalVolume> v(new TotalVolume(sx, sy, sz, 1, 1, 1, Util::Vector3D(), materials));
    v->getPainter().setColorOverride(testColors());
    return v;
}

TEST(TotalVolumePainter, StartsWithDefaultOptionsAndWholeRange)
{
    TotalVolume volume(4, 5, 6, 1, 1, 1, Util::Vector3D(), 0u);
    TotalVolumePainter &painter = volume.getPainter();
    EXPECT_EQ(painter.getOptions(), VisualizationOptions());
    EXPECT_TRUE(painter.getOptions().renderSurfaceAtomsOnly);
    EXPECT_FALSE(painter.getOptions().renderEmptyVoxelOutlines);
    EXPECT_EQ(painter.getViewIndex(), 0);
    EXPECT_EQ(painter.getDrawRange(), (DrawRange{0, 0, 0, 4, 5, 6}));
    EXPECT_FALSE(painter.isHidden());
}

TEST(TotalVolumePainter, DrawRangeSetsTheBoundingPlanes)
{
    TotalVolume volume(10, 10, 10, 1, 1, 1, Util::Vector3D(), 0u);
    TotalVolumePainter &painter = volume.getPainter();
    painter.setDrawRange({1, 2, 3, 7, 8, 9});
    const std::array<Util::Vector4D, 6> planes = painter.getBoundingPlanes();
    EXPECT_EQ(planes[0], Util::Vector4D(-1, 0, 0, -1));
    EXPECT_EQ(planes[3], Util::Vector4D(0, 1, 0, 8));
    EXPECT_EQ(planes[5], Util::Vector4D(0, 0, 1, 9));
    EXPECT_TRUE(painter.isInsideDrawRange(Util::Vector3D(1, 2, 3)));
    EXPECT_TRUE(painter.isInsideDrawRange(Util::Vector3D(7, 8, 9)));
    EXPECT_FALSE(painter.isInsideDrawRange(Util::Vector3D(0.5, 5, 5)));
    EXPECT_FALSE(painter.isInsideDrawRange(Util::Vector3D(5, 5, 9.5)));
}

// Regeneration takes the colours of the materials catalogue unless overridden.
TEST(TotalVolumePainter, ColoursComeFromTheCatalogue)
{
    const boost::shared_ptr<Model::Materials::MaterialFactory> catalogue =
        Model::Materials::MaterialFactory::instance();
    const unsigned id = catalogue->newMaterialId();
    ASSERT_TRUE(catalogue->setMaterial(
        Model::Materials::Material(id, QStringLiteral("Painter test glass"), 1, 1, 0.3f, Util::Vector4D(0.2, 0.4, 0.6, 0.5))));
    TotalVolume volume(2, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{id, 0});
    volume.getPainter().regenerate();
    const FaceVector faces = volume.getPainter().translucentFaces();
    ASSERT_EQ(faces.size(), 6u);
    EXPECT_FLOAT_EQ(faces[0].fill[2], 0.6f);
    EXPECT_TRUE(volume.getPainter().opaqueFaces().empty());
    ASSERT_TRUE(volume.getPainter().translucentTree());

    // Recolouring after a catalogue change keeps the faces and takes the new colour.
    catalogue->setMaterial(
        Model::Materials::Material(id, QStringLiteral("Painter test glass"), 1, 1, 0.3f, Util::Vector4D(0.9, 0.4, 0.6, 0.5)));
    volume.getPainter().recolor();
    EXPECT_FLOAT_EQ(volume.getPainter().translucentFaces()[0].fill[0], 0.9f);

    // An id the catalogue does not know draws nothing.
    TotalVolume unknown(1, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{4000000000u});
    unknown.getPainter().regenerate();
    EXPECT_TRUE(unknown.getPainter().opaqueFaces().empty());
    EXPECT_TRUE(unknown.getPainter().translucentFaces().empty());
}

TEST(TotalVolumePainter, RangeBeyondTheVolumeIsClampedAndEmptyRangeYieldsNothing)
{
    const boost::shared_ptr<TotalVolume> volume = landscapeVolume(6, 5, 9);
    TotalVolumePainter &painter = volume->getPainter();
    painter.regenerate();
    const FaceVector whole = painter.opaqueFaces();
    ASSERT_FALSE(whole.empty());
    painter.setDrawRange({0, 0, 0, 600, 500, 900});
    painter.regenerate();
    EXPECT_TRUE(sameFaces(painter.opaqueFaces(), whole));
    painter.setDrawRange({3, 0, 0, 3, 5, 9});
    painter.regenerate();
    EXPECT_TRUE(painter.opaqueFaces().empty());
    EXPECT_TRUE(painter.translucentFaces().empty());
    EXPECT_FALSE(painter.translucentTree());
}

// Every view regenerates through the painter, with the same result for any pool size.
TEST(TotalVolumePainter, EveryViewIsIndependentOfThePoolSize)
{
    const boost::shared_ptr<TotalVolume> volume = landscapeVolume(17, 6, 12);
    const size_t cells = volume->getCellCount();
    ParticleCounterArray n(new std::vector<Model::Geometry::ParticleCounter>(cells));
    for (size_t i = 0; i < cells; ++i)
        (*n)[i] = Model::Geometry::ParticleCounter{{0, 0, 0, 0, 0, 0, int32_t(i % 11)}};
    volume->setProperty(FieldPainter::nTypeProperty(), FieldPainter::toProperty(n));
    TotalVolumePainter &painter = volume->getPainter();

    for (int view = 0; view < 4; ++view) {
        VisualizationOptions options;
        options.viewIndex = view;
        options.renderEmptyVoxelOutlines = true;
        options.colorScale = FieldPainter::YellowToBlue;
        struct Result
        {
            FaceVector opaque, translucent, empty, octree, field;
            Model::Automaton::TriangleVector triangles;
        };
        auto run = [&] {
            painter.setOptions(options);
            return Result{painter.opaqueFaces(),        painter.translucentFaces(),  painter.emptyCellFaces(),
                          painter.octreeOpaqueFaces(),  painter.fieldFaces().opaque, painter.marchingCubeTriangles()};
        };
        const Result reference = withThreads(1, run);
        EXPECT_FALSE(reference.opaque.empty());
        EXPECT_FALSE(reference.empty.empty());
        EXPECT_EQ(reference.triangles.empty(), view != VisualizationOptions::MarchingCubes) << view;
        EXPECT_EQ(reference.octree.empty(), view != VisualizationOptions::Octree) << view;
        EXPECT_EQ(reference.field.empty(), view != VisualizationOptions::ParticleCountField) << view;
        for (int threads : {2, 3, 7}) {
            const Result r = withThreads(threads, run);
            EXPECT_TRUE(sameFaces(r.opaque, reference.opaque)) << view << "/" << threads;
            EXPECT_TRUE(sameFaces(r.translucent, reference.translucent)) << view << "/" << threads;
            EXPECT_TRUE(sameFaces(r.empty, reference.empty)) << view << "/" << threads;
            EXPECT_TRUE(sameFaces(r.octree, reference.octree)) << view << "/" << threads;
            EXPECT_TRUE(sameFaces(r.field, reference.field)) << view << "/" << threads;
            ASSERT_EQ(r.triangles.size(), reference.triangles.size());
            // memcmp must not see the null data() of an empty vector, even with size 0.
            if (!r.triangles.empty())
                EXPECT_EQ(0, std::memcmp(r.triangles.data(), reference.triangles.data(),
                                         r.triangles.size() * sizeof(Model::Automaton::Triangle)));
        }
    }
    EXPECT_EQ(painter.fieldMaximum(), 10.0);
}

TEST(TotalVolumePainter, OutOfRangeOptionsFallBackToDefaults)
{
    TotalVolume volume(2, 2, 2, 1, 1, 1, Util::Vector3D(), 0u);
    volume.getPainter().setColorOverride(testColors());
    VisualizationOptions o;
    o.viewIndex = 9;
    o.distributionToRender = -1;
    o.colorScale = 3;
    volume.getPainter().setOptions(o);
    EXPECT_EQ(volume.getPainter().getOptions(), VisualizationOptions());
}

// Drawing may read while another thread regenerates (batch runs): each read
// sees one whole generation, never a mix.
TEST(TotalVolumePainter, ReadersSeeWholeGenerations)
{
    const boost::shared_ptr<TotalVolume> volume = landscapeVolume(20, 20, 12);
    TotalVolumePainter &painter = volume->getPainter();
    painter.regenerate();
    const size_t expected = painter.opaqueFaces().size();
    QFuture<void> writer = QtConcurrent::run([&] {
        for (int i = 0; i < 20; ++i)
            painter.regenerate();
    });
    while (!writer.isFinished()) {
        const size_t seen = painter.opaqueFaces().size();
        ASSERT_EQ(seen, expected);
    }
    writer.waitForFinished();
}

} // namespace
