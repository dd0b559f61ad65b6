#include "Model/Automaton/totalvolume.h"
#include "Model/document.h"
#include "UI/View/cellprobe.h"
#include "UI/View/lampset.h"
#include "UI/View/mousehandler.h"
#include "UI/View/viewcamera.h"
#include "UI/View/viewframing.h"
#include "UI/View/viewgrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using Ui::LampSet;
using Ui::MouseHandler;
using Ui::ViewCamera;
using Ui::ViewGrid;

namespace {

void expectAngles(const std::array<float, 3> &actual, float x, float y, float z)
{
    EXPECT_NEAR(actual[0], x, 1e-3);
    EXPECT_NEAR(actual[1], y, 1e-3);
    EXPECT_NEAR(actual[2], z, 1e-3);
}

struct AngleCase
{
    float x, y, z;
};

class AngleExtraction : public ::testing::TestWithParam<AngleCase>
{
};

} // namespace

TEST_P(AngleExtraction, AnglesComeBackFromTheirMatrix)
{
    const AngleCase c = GetParam();
    expectAngles(ViewCamera::extractAngles(ViewCamera::rotationMatrix(c.x, c.y, c.z)), c.x, c.y, c.z);
}

INSTANTIATE_TEST_SUITE_P(ViewCamera, AngleExtraction,
                         ::testing::Values(AngleCase{-60, 0, 30}, AngleCase{0, 0, 0}, AngleCase{-90, 0, 0},
                                           AngleCase{-90, 0, 180}, AngleCase{-90, 0, -90}, AngleCase{170, 0, 0},
                                           AngleCase{20, 45, -120}, AngleCase{-35, -80, 10}),
                         [](const ::testing::TestParamInfo<AngleCase> &info) {
                             auto name = [](float v) { return (v < 0 ? "m" : "") + std::to_string(int(std::fabs(v))); };
                             return "x" + name(info.param.x) + "y" + name(info.param.y) + "z" + name(info.param.z);
                         });

TEST(ViewCamera, TurnAboutTheEyeAxisChangesOnlyZ)
{
    ViewCamera camera;
    camera.setRotation(0, 0, 0);
    camera.rotateInEyeSpace(90.0f, {{0, 0, 1}});
    expectAngles(camera.rotation(), 0, 0, 90);
    // Turning about the eye's x axis adds to X whatever the current tilt.
    camera.setRotation(-60, 0, 0);
    camera.rotateInEyeSpace(30.0f, {{1, 0, 0}});
    expectAngles(camera.rotation(), -30, 0, 0);
}

TEST(ViewCamera, ScreenPanIsExpressedInWorldAxes)
{
    ViewCamera camera;
    camera.setRotation(0, 0, 90);
    camera.pan(20, 0, 2.0f);
    EXPECT_FLOAT_EQ(camera.screenPosition()[0], 10.0f);
    // The pan, taken through the rotation, lands on the screen's x axis.
    const ViewCamera::Matrix mv = camera.modelView();
    EXPECT_NEAR(mv[12], 10.0, 1e-4);
    EXPECT_NEAR(mv[13], 0.0, 1e-4);
    camera.setAxisPosition(0, 0, 0);
    camera.translateAlongScreen(0, 10, 1.0f);
    // With Z = 90 the world's x axis points up the screen.
    EXPECT_NEAR(camera.axisPosition()[0], 10.0, 1e-4);
    EXPECT_NEAR(camera.axisPosition()[1], 0.0, 1e-4);
    camera.pan(5, 5, 0.0f); // a zero zoom would divide by zero: ignored
    EXPECT_FLOAT_EQ(camera.screenPosition()[0], 10.0f);
}

TEST(MouseHandler, TrackballDragOnALineThroughTheCentreDoesNotTurn)
{
    MouseHandler mouse;
    mouse.setSize(400, 300);
    mouse.setMode(MouseHandler::Trackball);
    // Far outside the widget the points lie flat (z = 0) on the line y = 0.
    mouse.setFirtPosition(200 + 900, 150);
    mouse.setPosition(200 + 1800, 150);
    std::array<float, 3> axis;
    float angle = -1.0f;
    mouse.trackballRotation(axis, angle);
    EXPECT_EQ(angle, 0.0f);
    ViewCamera camera;
    const ViewCamera::Matrix before = camera.rotationMatrix();
    camera.rotateInEyeSpace(angle, axis);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(camera.rotationMatrix()[size_t(i)], before[size_t(i)], 1e-6);

    // An ordinary drag inside the widget does turn, about the screen's y axis.
    mouse.setFirtPosition(200, 150);
    mouse.setPosition(260, 150);
    mouse.trackballRotation(axis, angle);
    EXPECT_GT(angle, 1.0f);
    EXPECT_NEAR(std::fabs(axis[1]), 1.0, 1e-6);
}

TEST(MouseHandler, PointsAreCentredAndLifted)
{
    MouseHandler mouse;
    mouse.setSize(200, 100);
    EXPECT_DOUBLE_EQ(mouse.radius(), 50.0);
    mouse.setMode(MouseHandler::LampPlacement);
    mouse.setFirtPosition(100, 50);
    EXPECT_DOUBLE_EQ(mouse.current()[0], 0.0);
    EXPECT_DOUBLE_EQ(mouse.current()[1], 0.0);
    EXPECT_DOUBLE_EQ(mouse.current()[2], 50.0);
    mouse.setPosition(130, 10); // x = 30, y = 40: on the sphere's rim
    EXPECT_DOUBLE_EQ(mouse.current()[1], 40.0);
    EXPECT_DOUBLE_EQ(mouse.current()[2], 0.0);
    EXPECT_DOUBLE_EQ(mouse.deltaX(), 30.0);
    EXPECT_DOUBLE_EQ(mouse.previous()[2], 50.0);

    mouse.setMode(MouseHandler::Free);
    mouse.setFirtPosition(100 + 30, 50 - 40); // press radius 50
    EXPECT_DOUBLE_EQ(mouse.current()[2], 0.0);
    mouse.setPosition(100, 50);
    EXPECT_DOUBLE_EQ(mouse.current()[2], 50.0);
}

TEST(MouseHandler, WheelRules)
{
    const struct
    {
        float value;
        int delta;
        float zoom;
        float radius;
    } rows[] = {
        {1.0f, 120, 1.1f, 1.1f},
        {1.0f, -120, 1.0f / 1.1f, 1.0f / 1.1f},
        {0.5f, 120, 0.55f, 2.0f},
        {0.5f, -120, 0.5f / 1.1f, 0.0f},
        {0.0f, 120, 0.0f, 2.0f},
        {300.0f, 240, 360.0f, 360.0f},
    };
    for (const auto &row : rows) {
        EXPECT_NEAR(MouseHandler::zoomAfterWheel(row.value, row.delta), row.zoom, 1e-5) << row.value << " " << row.delta;
        EXPECT_NEAR(MouseHandler::radiusAfterWheel(row.value, row.delta), row.radius, 1e-5)
            << row.value << " " << row.delta;
    }
    // However far the wheel turns down, the zoom stays positive.
    EXPECT_GT(MouseHandler::zoomAfterWheel(1.0f, -120000), 0.0f);
}

TEST(LampSet, FirstLampAndPolarPositions)
{
    LampSet lamps;
    ASSERT_EQ(lamps.count(), 1);
    EXPECT_EQ(lamps.active(), 1);
    const LampSet::Lamp &first = lamps.lamp(1);
    EXPECT_TRUE(first.enabled);
    EXPECT_NEAR(first.position[0], 300 * std::cos(M_PI / 3) * std::cos(M_PI / 4), 1e-3);
    EXPECT_NEAR(first.position[1], 300 * std::sin(M_PI / 3) * std::cos(M_PI / 4), 1e-3);
    EXPECT_NEAR(first.position[2], 300 * std::sin(M_PI / 4), 1e-3);
    EXPECT_EQ(first.position[3], 1.0f);

    lamps.placeActive(0.0f, 10.0f, 10.0f);
    EXPECT_NEAR(lamps.lamp(1).theta, M_PI / 2, 1e-6);
    EXPECT_NEAR(lamps.lamp(1).phi, M_PI / 4, 1e-6);
    EXPECT_NEAR(lamps.lamp(1).radius, 300.0, 1e-6); // placement keeps the radius
}

TEST(LampSet, CountLimitsCyclingAndRemoval)
{
    LampSet lamps;
    EXPECT_FALSE(lamps.removeLamp(1)); // never the last lamp
    ASSERT_TRUE(lamps.addLamp());
    ASSERT_TRUE(lamps.addLamp());
    EXPECT_EQ(lamps.lamp(3).radius, 0.0f);
    EXPECT_TRUE(lamps.lamp(3).enabled);
    lamps.setActive(3);
    lamps.cycleActive();
    EXPECT_EQ(lamps.active(), 1);
    lamps.cycleActive();
    EXPECT_EQ(lamps.active(), 2);

    while (lamps.count() < LampSet::MaxLamps)
        ASSERT_TRUE(lamps.addLamp());
    EXPECT_FALSE(lamps.addLamp());
    EXPECT_EQ(lamps.count(), 8);

    lamps.setRadius(2, 77.0f);
    ASSERT_TRUE(lamps.removeLamp(1));
    EXPECT_EQ(lamps.lamp(1).radius, 77.0f); // later lamps move down
    lamps.setActive(7);
    lamps.setCount(3);
    EXPECT_EQ(lamps.active(), 3); // the active lamp stays within the count
    lamps.setCount(0);
    EXPECT_EQ(lamps.count(), 1);
}

TEST(ViewGrid, LinesCoverTheExtentOnWholeSteps)
{
    ViewGrid grid;
    grid.setExtent(-300, -300, 300, 300);
    EXPECT_EQ(grid.lines().size(), 61u * 2);
    ASSERT_TRUE(grid.setSpacing(7.0));
    const std::vector<ViewGrid::Line> lines = grid.lines();
    ASSERT_EQ(lines.size(), 87u * 2); // -301 .. 301 in steps of 7
    EXPECT_DOUBLE_EQ(lines.front().x0, -301.0);
    EXPECT_DOUBLE_EQ(lines[86].x0, 301.0);
    EXPECT_DOUBLE_EQ(lines.back().y0, 301.0);

    for (double bad : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(grid.setSpacing(bad));
    EXPECT_EQ(grid.spacing(), 7.0);
    // A very fine spacing is drawn coarser, never with millions of lines.
    ASSERT_TRUE(grid.setSpacing(1e-6));
    EXPECT_LE(grid.lines().size(), size_t(2 * (ViewGrid::MaxLinesPerDirection + 1)));
}

// The zoom that fits a box: its turned outline against half the view, the
// tighter of width and height, and never deeper than the view's depth range.
TEST(ViewFraming, TheTighterSideOrTheDepthSetsTheZoom)
{
    const auto box = [](double x0, double y0, double z0, double x1, double y1, double z1) {
        Ui::SceneBox b;
        b.add({{x0, y0, z0}}, {{x1, y1, z1}});
        return b;
    };
    const ViewCamera::Matrix top = ViewCamera::identity(); // looking down z
    const ViewCamera::Matrix front = ViewCamera::rotationMatrix(-90, 0, 0);
    struct Case
    {
        const char *what;
        Ui::SceneBox box;
        ViewCamera::Matrix rotation;
        int width, height, depth;
        double zoom;
    };
    const Case cases[] = {
        // 10 x 10 seen from above in 800 x 600 at 80 %: the height binds, 0.8 * 300 / 5.
        {"square from above", box(0, 0, 0, 10, 10, 1), top, 800, 600, 2000, 48.0},
        // 40 wide, 10 deep: the width binds, 0.8 * 400 / 20.
        {"wide from above", box(0, 0, 0, 40, 10, 1), top, 800, 600, 2000, 16.0},
        // From the front the z extent is the height: 0.8 * 300 / 25.
        {"tall from the front", box(0, 0, 0, 10, 10, 50), front, 800, 600, 2000, 9.6},
        // A rod along the line of sight: its depth must fit, 0.5 * 200 / half its diagonal.
        {"rod along the view", box(0, 0, 0, 1, 1, 1000), top, 800, 600, 200, 100.0 / std::sqrt(0.5 + 500.0 * 500.0)},
    };
    for (const Case &c : cases) {
        Ui::ViewFraming framing;
        ASSERT_TRUE(Ui::frameBox(c.box, c.rotation, c.width, c.height, c.depth, 0.8, &framing)) << c.what;
        EXPECT_NEAR(framing.zoom, c.zoom, 1e-4 * c.zoom) << c.what;
        for (int i = 0; i < 3; ++i)
            EXPECT_FLOAT_EQ(framing.axisPosition[size_t(i)], float(-(c.box.low[size_t(i)] + c.box.high[size_t(i)]) / 2))
                << c.what;
    }
    Ui::ViewFraming framing;
    EXPECT_FALSE(Ui::frameBox(Ui::SceneBox(), top, 800, 600, 2000, 0.8, &framing)) << "nothing to frame";
    EXPECT_FALSE(Ui::frameBox(box(0, 0, 0, 1, 1, 1), top, 0, 600, 2000, 0.8, &framing)) << "no pixels";
    EXPECT_FALSE(Ui::frameBox(box(2, 2, 2, 2, 2, 2), top, 800, 600, 2000, 0.8, &framing)) << "a point has no size";
}

TEST(ViewFraming, BoxesJoinIntoTheirBoundingBox)
{
    Ui::SceneBox b;
    b.add({{5, 5, 5}}, {{1, 2, 3}});
    b.add({{-1, 4, 10}}, {{0, 4, 11}});
    EXPECT_FALSE(b.empty);
    EXPECT_EQ(b.low, (std::array<double, 3>{{-1, 2, 3}}));
    EXPECT_EQ(b.high, (std::array<double, 3>{{5, 5, 11}}));
}

// The cell a picked surface point belongs to: a hair beyond the face along the line of sight.
TEST(CellProbe, APointOnAFaceNamesTheCellBehindIt)
{
    Model::Document document;
    // 4 x 4 x 4 cells of 2 units at (10, 0, 0): silicon below z = 3 cells, empty above.
    std::vector<uint32_t> cells(4 * 4 * 4);
    for (size_t i = 0; i < cells.size(); ++i)
        cells[i] = i % 4 < 3 ? 1u : 0u;
    boost::shared_ptr<Model::Automaton::TotalVolume> volume(
        new Model::Automaton::TotalVolume(4, 4, 4, 2.0f, 2.0f, 2.0f, Util::Vector3D(10.0, 0.0, 0.0), cells));
    document.addObject(volume);
    struct Case
    {
        const char *what;
        Util::Vector3D point, towards;
        bool found;
        unsigned x, y, z;
    };
    const Case cases[] = {
        {"top face seen from above", Util::Vector3D(13.0, 5.0, 6.0), Util::Vector3D(0, 0, -1), true, 1, 2, 2},
        {"the same point from below is in the empty cell", Util::Vector3D(13.0, 5.0, 6.0), Util::Vector3D(0, 0, 1),
         false, 0, 0, 0},
        {"side face from the front", Util::Vector3D(12.5, 0.0, 1.0), Util::Vector3D(0, 1, 0), true, 1, 0, 0},
        {"beside the volume", Util::Vector3D(5.0, 5.0, 1.0), Util::Vector3D(0, 0, -1), false, 0, 0, 0},
    };
    for (const Case &c : cases) {
        Ui::CellUnderPoint cell;
        ASSERT_EQ(Ui::cellUnderPoint(document, c.point, c.towards, &cell), c.found) << c.what;
        if (!c.found)
            continue;
        EXPECT_EQ(cell.volume, volume) << c.what;
        EXPECT_EQ((std::array<unsigned, 3>{{cell.x, cell.y, cell.z}}), (std::array<unsigned, 3>{{c.x, c.y, c.z}}))
            << c.what;
        EXPECT_EQ(cell.materialId, 1u);
        EXPECT_EQ(cell.material, QStringLiteral("Si"));
        EXPECT_DOUBLE_EQ(cell.zFrom, 0.0);
        EXPECT_DOUBLE_EQ(cell.zTo, 6.0);
    }
    Ui::CellUnderPoint cell;
    ASSERT_TRUE(Ui::cellUnderPoint(document, Util::Vector3D(13.0, 5.0, 6.0), Util::Vector3D(0, 0, -1), &cell));
    EXPECT_EQ(Ui::cellText(cell), QStringLiteral("Cell (1, 2, 2): Si, layer z 0 to 6 \u00b5m (6 thick)"));
}
