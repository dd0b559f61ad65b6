#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/bsptree.h"
#include "Model/Geometry/colormap.h"
#include "UI/View/viewcamera.h"
#include "UI/View/changedefaultcolorsdialog.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"
#include "Util/defaultcolors.h"

#include "UI/uitestsupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <functional>

using Ui::GLWidget;
using Ui::MainWindow;

namespace {

using UiTest::pressOk;
using UiTest::whenModal;


// A shown main window whose view has its first frame.
struct Window : UiTest::ShownWindow
{
    Window() { view()->updateGL(); }
    GLWidget *view() const { return window->view(); }
    QWindow *handle() const { return window->windowHandle(); }
    // A view position in the window's coordinates, as QTest's window events take them.
    QPoint at(const QPoint &viewPosition) const { return view()->mapTo(window, viewPosition); }
    QString status() const { return window->statusBar()->currentMessage(); }
    Core::Operations::Workspace &workspace() const { return window->presenter().workspace(); }

    boost::shared_ptr<Model::Automaton::TotalVolume> createSubstrate()
    {
        whenModal(pressOk);
        window->action(QStringLiteral("actionCreate_Substrate"))->trigger();
        const QList<boost::shared_ptr<Model::Object>> objects = workspace().document().getObjects();
        EXPECT_EQ(objects.size(), 1);
        return objects.isEmpty() ? boost::shared_ptr<Model::Automaton::TotalVolume>()
                                 : boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(objects.last());
    }

    // Where a scene point shows in the view (widget pixels, y downwards).
    QPoint project(double x, double y, double z) const
    {
        const Ui::ViewCamera::Matrix m = view()->camera().modelView();
        const double ex = m[0] * x + m[4] * y + m[8] * z + m[12];
        const double ey = m[1] * x + m[5] * y + m[9] * z + m[13];
        const double zoom = view()->zoom();
        return QPoint(int(view()->width() / 2.0 + ex * zoom), int(view()->height() / 2.0 - ey * zoom));
    }

    QPoint volumeCentre(const Model::Automaton::TotalVolume &v) const
    {
        const Util::Vector3D p = v.getPosition();
        return project(p.x + v.getSizeX() / 2.0, p.y + v.getSizeY() / 2.0, p.z + 10.0);
    }

    void wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF centre(view()->width() / 2.0, view()->height() / 2.0);
        QWheelEvent event(centre, view()->mapToGlobal(centre.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view(), &event);
    }
};

} // namespace

TEST(GLWidget, WheelNotchZoomsByTenPercentAndReportsIt)
{
    Window w;
    w.wheel(120);
    EXPECT_FLOAT_EQ(w.view()->zoom(), 1.1f);
    EXPECT_EQ(w.status(), QStringLiteral("Zoom = 110%"));
    w.wheel(-120);
    EXPECT_NEAR(w.view()->zoom(), 1.0f, 1e-6);
    EXPECT_EQ(w.status(), QStringLiteral("Zoom = 100%"));
}

TEST(GLWidget, ShiftWheelSetsSmallLampRadiusToTwoOrZero)
{
    Window w;
    w.view()->setLampRadius(1, 0.5f);
    w.wheel(120, Qt::ShiftModifier);
    EXPECT_EQ(w.view()->lamps().lamp(1).radius, 2.0f);
    EXPECT_TRUE(w.status().startsWith(QStringLiteral("Lamp 1 Position : Radius = 2 ")));
    w.view()->setLampRadius(1, 0.5f);
    w.wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(w.view()->lamps().lamp(1).radius, 0.0f);
    EXPECT_FLOAT_EQ(w.view()->zoom(), 1.0f); // Shift leaves the zoom alone
}

TEST(GLWidget, KeysCycleLampsAndStepTheAxes)
{
    Window w;
    w.view()->setLampCount(3);
    w.view()->setActiveLamp(3);
    QTest::keyClick(w.window, Qt::Key_L);
    EXPECT_EQ(w.view()->lamps().active(), 1);
    QTest::keyClick(w.window, Qt::Key_L);
    EXPECT_EQ(w.view()->lamps().active(), 2);

    QTest::keyClick(w.window, Qt::Key_Q);
    QTest::keyClick(w.window, Qt::Key_Q);
    QTest::keyClick(w.window, Qt::Key_S);
    QTest::keyClick(w.window, Qt::Key_E);
    const std::array<float, 3> axis = w.view()->camera().axisPosition();
    EXPECT_EQ(axis[0], 10.0f);
    EXPECT_EQ(axis[1], -5.0f);
    EXPECT_EQ(axis[2], 5.0f);
    EXPECT_EQ(w.status(), QStringLiteral("Volume position in relation to the axes: X = 10 Y = -5 Z = 5"));
}

TEST(GLWidget, PresetViewsFromTheViewMenu)
{
    Window w;
    const struct
    {
        const char *action;
        float x, z;
    } rows[] = {{"actionTop_View", 0, 0},      {"actionFront_View", -90, 0}, {"actionBack_view", -90, 180},
                {"actionLeft_View", -90, 90},  {"actionRight_View", -90, -90}, {"actionBottom_View", 180, 0}};
    for (const auto &row : rows) {
        w.window->action(QLatin1String(row.action))->trigger();
        const std::vector<float> r = w.view()->rotation();
        EXPECT_EQ(r, (std::vector<float>{row.x, 0.0f, row.z})) << row.action;
    }
    w.view()->setView(QStringLiteral("manual")); // unknown: nothing changes
    EXPECT_EQ(w.view()->rotation(), (std::vector<float>{180.0f, 0.0f, 0.0f}));
    EXPECT_EQ(w.status(), QStringLiteral("Rotation angles: X Axis = 180 Y Axis = 0 Z axis = 0"));
}

TEST(GLWidget, TrackballDragThroughTheCentreLineKeepsTheOrientation)
{
    Window w;
    const std::vector<float> start = w.view()->rotation();
    const int y = w.view()->height() / 2, width = w.view()->width();
    // An ordinary drag turns the scene.
    QTest::mousePress(w.handle(), Qt::LeftButton, Qt::NoModifier, w.at(QPoint(width / 2, y)));
    QTest::mouseMove(w.handle(), w.at(QPoint(width / 2 + 80, y)));
    EXPECT_GT(std::fabs(w.view()->rotation()[2] - start[2]) + std::fabs(w.view()->rotation()[1] - start[1]), 1.0f);
    EXPECT_TRUE(w.status().startsWith(QStringLiteral("Rotation angles: ")));

    // Far outside the trackball the points lie flat on one line through the
    // centre: dragging along it leaves the orientation as it is.
    QTest::mouseMove(w.handle(), w.at(QPoint(width / 2 + 2 * width, y)));
    const std::vector<float> before = w.view()->rotation();
    QTest::mouseMove(w.handle(), w.at(QPoint(width / 2 + 3 * width, y)));
    QTest::mouseMove(w.handle(), w.at(QPoint(width / 2 + 4 * width, y)));
    QTest::mouseRelease(w.handle(), Qt::LeftButton, Qt::NoModifier, w.at(QPoint(width / 2 + 4 * width, y)));
    const std::vector<float> after = w.view()->rotation();
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(after[size_t(i)], before[size_t(i)], 1e-3);
}

TEST(GLWidget, RightDragPansAndShiftRightDragMovesTheAxes)
{
    Window w;
    const QPoint c(w.view()->width() / 2, w.view()->height() / 2);
    QTest::mousePress(w.handle(), Qt::RightButton, Qt::NoModifier, w.at(c));
    QTest::mouseMove(w.handle(), w.at(c + QPoint(30, -20)));
    QTest::mouseRelease(w.handle(), Qt::RightButton, Qt::NoModifier, w.at(c + QPoint(30, -20)));
    EXPECT_FLOAT_EQ(w.view()->camera().screenPosition()[0], 30.0f);
    EXPECT_FLOAT_EQ(w.view()->camera().screenPosition()[1], 20.0f);
    EXPECT_EQ(w.status(), QStringLiteral("Volume position in relation to the screen: X = 30 Y = 20"));

    w.view()->setView(QStringLiteral("top"));
    QTest::mousePress(w.handle(), Qt::RightButton, Qt::ShiftModifier, w.at(c));
    QTest::mouseMove(w.handle(), w.at(c + QPoint(10, 0)));
    QTest::mouseRelease(w.handle(), Qt::RightButton, Qt::ShiftModifier, w.at(c + QPoint(10, 0)));
    EXPECT_NEAR(w.view()->camera().axisPosition()[0], 10.0f, 1e-4);
    EXPECT_FLOAT_EQ(w.view()->camera().screenPosition()[0], 30.0f);
}

TEST(GLWidget, ClickPicksAndTogglesWhileADragDoesNot)
{
    Window w;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = w.createSubstrate();
    ASSERT_TRUE(volume);
    w.view()->updateGL();
    const QPoint centre = w.at(w.volumeCentre(*volume));
    Core::Operations::Selection &selection = w.workspace().selection();

    // With selection mode off a click selects nothing.
    QTest::mouseClick(w.handle(), Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_TRUE(selection.getSelected().isEmpty());

    selection.setSelectionMode(true);
    QTest::mouseClick(w.handle(), Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_EQ(w.workspace().viewPicks().getSelected().size(), 1);
    EXPECT_EQ(w.workspace().viewPicks().getSelected().first(), volume);
    EXPECT_TRUE(volume->isSelected());
    QTest::mouseClick(w.handle(), Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_TRUE(w.workspace().viewPicks().getSelected().isEmpty());
    EXPECT_FALSE(volume->isSelected());

    // Press, move, release back at the same place: a drag, not a click.
    QTest::mousePress(w.handle(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseMove(w.handle(), centre + QPoint(3, 0));
    QTest::mouseMove(w.handle(), centre);
    QTest::mouseRelease(w.handle(), Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_TRUE(w.workspace().viewPicks().getSelected().isEmpty());

    // A click beside the volume hits nothing and changes nothing.
    w.view()->setView(QStringLiteral("top"));
    QTest::mouseClick(w.handle(), Qt::LeftButton, Qt::NoModifier, w.at(QPoint(5, 5)));
    EXPECT_TRUE(w.workspace().viewPicks().getSelected().isEmpty());
}

TEST(GLWidget, ScreenshotAfterCreateSubstrateShowsTheVolume)
{
    Window w;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = w.createSubstrate();
    ASSERT_TRUE(volume);
    const QString file = QStringLiteral("shot.png");
    w.window->saveImage(file);
    QImage image(file);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), w.view()->size() * w.view()->devicePixelRatio());
    const Util::Vector4D bg = Util::DefaultColors::color(Util::DefaultColors::BackgroundColor);
    const QColor background = QColor::fromRgbF(bg.x, bg.y, bg.z);
    const QPoint c = w.volumeCentre(*volume);
    int differing = 0;
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) {
            const QColor pixel = image.pixelColor(c + QPoint(dx, dy));
            if (pixel.rgb() != background.rgb())
                ++differing;
        }
    EXPECT_EQ(differing, 25);
    // A corner far from the volume and the axes shows the background.
    EXPECT_EQ(image.pixelColor(2, 2).rgb(), background.rgb());
}

TEST(ViewDialogs, SetLightingAddsLampsUpToEightAndWritesBackInOrder)
{
    Window w;
    QStringList messages;
    QObject::connect(w.window->statusBar(), &QStatusBar::messageChanged, [&messages](const QString &m) {
        if (!m.isEmpty())
            messages << m.section(QLatin1Char(':'), 0, 0);
    });
    whenModal([](QWidget *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Set vew and lighting"));
        EXPECT_EQ(dialog->findChild<QTabWidget *>()->currentIndex(), 1);
        QPushButton *add = dialog->findChild<QPushButton *>(QStringLiteral("addLampButton"));
        QPushButton *remove = dialog->findChild<QPushButton *>(QStringLiteral("deleteLampButton"));
        QComboBox *lamps = dialog->findChild<QComboBox *>(QStringLiteral("lampComboBox"));
        EXPECT_FALSE(remove->isEnabled());
        for (int i = 0; i < 10; ++i)
            add->click();
        EXPECT_EQ(lamps->count(), 8);
        EXPECT_EQ(lamps->itemText(7), QStringLiteral("Lamp 8"));
        EXPECT_FALSE(add->isEnabled());
        remove->click(); // lamp 8 selected
        EXPECT_EQ(lamps->count(), 7);
        lamps->setCurrentIndex(1);
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("radiusDoubleSpinBox"))->setValue(150);
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("thetaDoubleSpinBox"))->setValue(90);
        dialog->findChild<QCheckBox *>(QStringLiteral("enabledCheckBox"))->setChecked(false);
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("zoomDoubleSpinBox"))->setValue(250);
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("xAxisDoubleSpinBox"))->setValue(-45);
        pressOk(dialog);
    });
    w.window->action(QStringLiteral("actionSet_Lighting"))->trigger();
    const Ui::LampSet &lamps = w.view()->lamps();
    EXPECT_EQ(lamps.count(), 7);
    EXPECT_EQ(lamps.lamp(2).radius, 150.0f);
    EXPECT_NEAR(lamps.lamp(2).theta, M_PI / 2, 1e-5);
    EXPECT_FALSE(lamps.lamp(2).enabled);
    EXPECT_NEAR(lamps.lamp(1).radius, 300.0f, 1e-3);
    EXPECT_FLOAT_EQ(w.view()->zoom(), 2.5f);
    EXPECT_EQ(w.view()->rotation()[0], -45.0f);
    ASSERT_GE(messages.size(), 5);
    EXPECT_EQ(messages.mid(0, 4), (QStringList{QStringLiteral("Volume position in relation to the screen"),
                                               QStringLiteral("Volume position in relation to the axes"),
                                               QStringLiteral("Rotation angles"), QStringLiteral("Zoom = 250%")}));

    // Set View opens on the first tab; cancelling changes nothing.
    whenModal([](QWidget *dialog) {
        EXPECT_EQ(dialog->findChild<QTabWidget *>()->currentIndex(), 0);
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("zoomDoubleSpinBox"))->setValue(50);
        qobject_cast<QDialog *>(dialog)->reject();
    });
    w.window->action(QStringLiteral("actionSet_View"))->trigger();
    EXPECT_FLOAT_EQ(w.view()->zoom(), 2.5f);
}

TEST(ViewDialogs, ColoursDialogSchemesAndPickedColours)
{
    using Util::DefaultColors;
    Window w;
    ASSERT_EQ(DefaultColors::activeScheme(), 0);
    whenModal([](QWidget *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Change Default Colors"));
        dialog->findChild<QPushButton *>(QStringLiteral("btnLoadLowColorScheme"))->click();
        pressOk(dialog);
    });
    w.window->action(QStringLiteral("actionConfigure_Window_Colors"))->trigger();
    EXPECT_EQ(DefaultColors::activeScheme(), 1);
    EXPECT_EQ(DefaultColors::color(DefaultColors::BackgroundColor), Util::Vector4D(1, 1, 1, 0));

    // A picked colour goes to the custom scheme, which then shows.
    whenModal([](QWidget *dialog) {
        Ui::ChangeDefaultColorsDialog *colors = qobject_cast<Ui::ChangeDefaultColorsDialog *>(dialog);
        ASSERT_TRUE(colors);
        EXPECT_EQ(colors->shownColor(Ui::ChangeDefaultColorsDialog::Background), Util::Vector4D(1, 1, 1, 0));
        colors->setShownColor(Ui::ChangeDefaultColorsDialog::Background, Util::Vector4D(0, 0, 0.5, 1));
        pressOk(dialog);
    });
    w.window->action(QStringLiteral("actionConfigure_Window_Colors"))->trigger();
    EXPECT_EQ(DefaultColors::activeScheme(), 2);
    EXPECT_EQ(DefaultColors::color(DefaultColors::BackgroundColor), Util::Vector4D(0, 0, 0.5, 1));
    // Entries the dialog does not show follow the scheme the edit started from.
    EXPECT_EQ(DefaultColors::color(DefaultColors::ConsoleTextColor), DefaultColors::color(DefaultColors::ConsoleTextColor, 1));
    EXPECT_EQ(DefaultColors::color(DefaultColors::GridColor, 2), DefaultColors::color(DefaultColors::GridColor, 1));

    whenModal([](QWidget *dialog) {
        dialog->findChild<QPushButton *>(QStringLiteral("btnLoadDefaultColors"))->click();
        pressOk(dialog);
    });
    w.window->action(QStringLiteral("actionConfigure_Window_Colors"))->trigger();
    EXPECT_EQ(DefaultColors::activeScheme(), 0);
    EXPECT_EQ(DefaultColors::color(DefaultColors::BackgroundColor), Util::Vector4D(0, 0, 0, 0));
}

TEST(ViewDialogs, GridSpacingDialogStoresTheSpacing)
{
    Window w;
    whenModal([](QWidget *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Set Grid Spacing"));
        QDoubleSpinBox *spacing = dialog->findChild<QDoubleSpinBox *>(QStringLiteral("dblSpacing"));
        EXPECT_EQ(spacing->value(), 10.0);
        spacing->setValue(25.0);
        pressOk(dialog);
    });
    w.window->action(QStringLiteral("actionGrid_Spacing"))->trigger();
    EXPECT_EQ(w.view()->gridSpacing(), 25.0);
    w.window->action(QStringLiteral("actionGrid"))->trigger();
    EXPECT_TRUE(w.view()->isRenderGrid());
    w.view()->updateGL(); // draws with the grid on
}

TEST(GLWidget, ActiveLampSymbolIsDrawnYellowWhereTheLampIs)
{
    Window w;
    w.window->action(QStringLiteral("actionShow_Axis"))->trigger(); // keep the axes out of the picture
    w.window->action(QStringLiteral("actionShow_Lights"))->trigger();
    ASSERT_TRUE(w.view()->isShowLamps());
    const std::array<float, 4> &p = w.view()->lamps().lamp(1).position;
    const double g = p[2] / 50.0 + 20.0;
    // A point on the horizontal ray to the right of the lamp, in widget pixels.
    const QPoint ray(int(w.view()->width() / 2.0 + (p[0] + 0.75 * g) * w.view()->zoom()),
                     int(w.view()->height() / 2.0 - p[1] * w.view()->zoom()));
    auto yellowNear = [](const QImage &image, const QPoint &at) {
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy) {
                const QColor c = image.pixelColor(at + QPoint(dx, dy));
                if (c.redF() > 0.8 && c.greenF() > 0.8 && c.blueF() < 0.3)
                    return true;
            }
        return false;
    };
    EXPECT_TRUE(yellowNear(w.view()->grabImage(), ray));
    // With a second lamp active the first one turns white.
    w.view()->setLampCount(2);
    w.view()->setActiveLamp(2);
    EXPECT_FALSE(yellowNear(w.view()->grabImage(), ray));
}

TEST(GLWidget, ParticleCountFieldShowsTheColourScaleLegend)
{
    Window w;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = w.createSubstrate();
    ASSERT_TRUE(volume);
    w.view()->updateGL();
    EXPECT_FALSE(w.view()->legend().isVisible());

    Model::Geometry::VisualizationOptions options = volume->getPainter().getOptions();
    options.viewIndex = Model::Geometry::VisualizationOptions::ParticleCountField;
    options.colorScale = Model::Geometry::FieldPainter::GrayScale;
    volume->getPainter().setOptions(options);
    const QImage image = w.view()->grabImage();
    const Ui::ColorScaleLegend &legend = w.view()->legend();
    ASSERT_TRUE(legend.isVisible());
    // Without particle counts the range is 0..1.
    EXPECT_EQ(legend.minimum(), 0.0);
    EXPECT_EQ(legend.maximum(), 1.0);
    EXPECT_EQ(Ui::ColorScaleLegend::label(legend.maximum()), QStringLiteral("1.000000e+00"));
    // The grey bar runs from dark on the left to light on the right.
    const int width = w.view()->width(), height = w.view()->height();
    const int row = int(0.95 * height) - 10;
    const QColor left = image.pixelColor(int(0.07 * width), row);
    const QColor right = image.pixelColor(int(0.93 * width), row);
    EXPECT_LT(left.redF(), 0.15);
    EXPECT_GT(right.redF(), 0.85);
    EXPECT_NEAR(right.redF(), right.blueF(), 0.02);
}

// Translucent faces are sorted for the real viewer of the parallel projection: one
// infinitely far along the eye axis, wherever the camera is panned and wherever the
// volume sits. The reference walks the tree for a point very far along that axis.
TEST(GLWidget, TranslucentOrderFollowsAFarViewerForAPannedCameraAndAnOffOriginVolume)
{
    Window w;
    const unsigned sx = 40, sy = 40, sz = 4;
    std::vector<uint32_t> cells(size_t(sx) * sy * sz, 0u);
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < sz; ++z)
                cells[(size_t(x) * sy + y) * sz + z] = (x / 4) % 2 == 0 ? 7u : 0u; // 4-cell stripes
    const Util::Vector3D position(1000.0, -700.0, 300.0);
    boost::shared_ptr<Model::Automaton::TotalVolume> volume(
        new Model::Automaton::TotalVolume(sx, sy, sz, 1.0f, 1.0f, 1.0f, position, cells));
    Model::Geometry::ColorMap glass;
    glass.set(7u, 0.2f, 0.4f, 1.0f, 0.5f);
    volume->getPainter().setColorOverride(glass);
    volume->getPainter().regenerate();
    w.workspace().document().addObject(volume);
    const boost::shared_ptr<Model::Geometry::BSPTree> tree = volume->getPainter().translucentTree();
    ASSERT_TRUE(tree);
    ASSERT_GT(tree->nodes().size(), 10u);

    w.view()->setRotation(-60.0f, 0.0f, 120.0f);
    w.view()->setScreenPosition(150.0f, -80.0f);
    w.view()->setAxisPosition(-40.0f, 25.0f, 10.0f);
    w.view()->updateGL();

    const Ui::ViewCamera::Matrix m = w.view()->camera().modelView();
    const double d[3] = {m[2], m[6], m[10]}; // eye-space +z in scene coordinates
    const double far = 1e7;
    const Util::Vector3D eye(sx / 2.0 + d[0] * far, sy / 2.0 + d[1] * far, sz / 2.0 + d[2] * far); // volume frame
    std::vector<uint32_t> expected;
    tree->backToFront(eye, expected);
    const std::vector<uint32_t> drawn = volume->getPainter().lastTranslucentOrder();
    ASSERT_EQ(drawn.size(), volume->getPainter().translucentFaces().size());
    EXPECT_EQ(drawn, expected);

    // Turned half around, the far viewer sees the stripes in the other order.
    w.view()->setRotation(-60.0f, 0.0f, -60.0f);
    w.view()->updateGL();
    const Ui::ViewCamera::Matrix back = w.view()->camera().modelView();
    const Util::Vector3D eyeBack(sx / 2.0 + back[2] * far, sy / 2.0 + back[6] * far, sz / 2.0 + back[10] * far);
    tree->backToFront(eyeBack, expected);
    EXPECT_EQ(volume->getPainter().lastTranslucentOrder(), expected);
}

namespace {

// The pixels of a frame that are not background: their bounding box.
QRect drawnBox(const QImage &image)
{
    const Util::Vector4D bg = Util::DefaultColors::color(Util::DefaultColors::BackgroundColor);
    const QRgb background = QColor::fromRgbF(bg.x, bg.y, bg.z).rgb();
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

// A small silicon block, 16 x 16 x 8 cells of 0.5 units, away from the origin, in the scene.
boost::shared_ptr<Model::Automaton::TotalVolume> smallVolume(Core::Operations::Workspace &workspace)
{
    std::vector<uint32_t> cells(16 * 16 * 8, 1u);
    boost::shared_ptr<Model::Automaton::TotalVolume> volume(new Model::Automaton::TotalVolume(
        16, 16, 8, 0.5f, 0.5f, 0.5f, Util::Vector3D(40.0, -25.0, 10.0), cells));
    volume->getPainter().regenerate();
    workspace.document().addObject(volume);
    // What every operation does after changing the scene.
    workspace.requestRedraw();
    return volume;
}

// How much of the view the drawn scene fills, as the larger of its shares of width and height.
double filled(const QRect &box, const QSize &view)
{
    return std::max(double(box.width()) / view.width(), double(box.height()) / view.height());
}

} // namespace

// A small volume in a big window fills the view when it appears, whole; after
// zooming and panning away, View > Fit to Volume (F) frames it again, and a
// volume coming back (undo of a delete) leaves the camera alone.
TEST(GLWidget, NewVolumesAreFramedAndFitToVolumeFramesAgain)
{
    struct Big : Window
    {
        Big() { window->resize(1200, 900); }
    } w;
    ASSERT_TRUE(QTest::qWaitFor([&]() { return w.view()->width() > 1000; }, 5000));
    w.view()->on_actionShow_Axis_toggled(false);
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = smallVolume(w.workspace());
    const QSize size = w.view()->size() * w.view()->devicePixelRatio();
    QRect box = drawnBox(w.view()->grabImage());
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GT(filled(box, size), 0.7) << box.width() << " x " << box.height();
    EXPECT_LE(filled(box, size), Ui::GLWidget::FrameMargin + 0.02);
    EXPECT_GT(box.left(), 0);
    EXPECT_GT(box.top(), 0);
    EXPECT_LT(box.right(), size.width() - 1);
    EXPECT_LT(box.bottom(), size.height() - 1);
    // It turns about its own centre, which sits in the middle of the view.
    EXPECT_NEAR(box.center().x(), size.width() / 2, size.width() / 10);
    EXPECT_NEAR(box.center().y(), size.height() / 2, size.height() / 10);
    const float framedZoom = w.view()->zoom();
    EXPECT_TRUE(w.status().startsWith(QStringLiteral("Zoom = ")));

    // Away and back with the menu's shortcut.
    w.wheel(-120);
    w.wheel(-120);
    w.view()->setScreenPosition(300.0f, 200.0f);
    EXPECT_LT(filled(drawnBox(w.view()->grabImage()), size), 0.7);
    QTest::keyClick(w.window, Qt::Key_F);
    EXPECT_FLOAT_EQ(w.view()->zoom(), framedZoom);
    EXPECT_GT(filled(drawnBox(w.view()->grabImage()), size), 0.7);

    // Turned to look along an axis, Fit to Volume frames what is seen from there.
    w.window->action(QStringLiteral("actionFront_View"))->trigger();
    w.window->action(QStringLiteral("actionFit_to_Volume"))->trigger();
    box = drawnBox(w.view()->grabImage());
    EXPECT_GT(filled(box, size), 0.7);
    EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(box));

    // A volume the view has shown before is not framed again when it comes back.
    w.wheel(-120);
    const float zoomed = w.view()->zoom();
    w.workspace().document().removeObject(volume);
    w.workspace().requestRedraw();
    w.workspace().document().addObject(volume);
    w.workspace().requestRedraw();
    EXPECT_FLOAT_EQ(w.view()->zoom(), zoomed);
}

// Fit to Volume frames the selection when there is one, and says so when the scene is empty.
TEST(GLWidget, FitToVolumeFramesTheSelectionOrSaysThereIsNothing)
{
    Window w;
    w.window->action(QStringLiteral("actionFit_to_Volume"))->trigger();
    EXPECT_EQ(w.status(), QStringLiteral("Fit to Volume: there is no cell volume to fit."));
    EXPECT_FLOAT_EQ(w.view()->zoom(), 1.0f);

    const boost::shared_ptr<Model::Automaton::TotalVolume> small = smallVolume(w.workspace());
    std::vector<uint32_t> cells(8 * 8 * 8, 1u);
    boost::shared_ptr<Model::Automaton::TotalVolume> far(
        new Model::Automaton::TotalVolume(8, 8, 8, 1.0f, 1.0f, 1.0f, Util::Vector3D(-400.0, 0.0, 0.0), cells));
    far->getPainter().regenerate();
    w.workspace().document().addObject(far);
    w.workspace().requestRedraw();
    const float both = w.view()->zoom();
    // Both volumes, 450 units apart, fit together; the small one alone comes much closer.
    w.workspace().selection().toggleByIds({small->getId()});
    ASSERT_EQ(w.workspace().selection().getSelected().size(), 1);
    w.window->fitToVolume();
    EXPECT_GT(w.view()->zoom(), 10 * both);
    const std::array<float, 3> axis = w.view()->camera().axisPosition();
    EXPECT_FLOAT_EQ(axis[0], -44.0f);
    EXPECT_FLOAT_EQ(axis[1], -(-25.0f + 4.0f));
    EXPECT_FLOAT_EQ(axis[2], -12.0f);
}

// A window made for a document (File > Open makes one and fills its scene
// before it shows) shows its volumes framed.
TEST(GLWidget, AWindowShownOnADocumentFramesItsVolumes)
{
    MainWindow *window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->resize(900, 700);
    smallVolume(window->presenter().workspace());
    EXPECT_FLOAT_EQ(window->view()->zoom(), 1.0f) << "a hidden view has no size to frame to";
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(QTest::qWaitFor([&]() { return window->view()->zoom() > 5.0f; }, 5000));
    // Grown after it shows (maximized, say), the window keeps the volume framed...
    const float shown = window->view()->zoom();
    window->resize(1200, 950);
    EXPECT_TRUE(QTest::qWaitFor([&]() { return window->view()->zoom() > 1.2f * shown; }, 5000));
    // ...until the person moves the camera.
    const QPointF centre(window->view()->width() / 2.0, window->view()->height() / 2.0);
    QWheelEvent notch(centre, window->view()->mapToGlobal(centre.toPoint()), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window->view(), &notch);
    const float chosen = window->view()->zoom();
    window->resize(900, 700);
    ASSERT_TRUE(QTest::qWaitFor([&]() { return window->view()->width() < 1000; }, 5000));
    QCoreApplication::processEvents(); // what a refit would have posted
    EXPECT_FLOAT_EQ(window->view()->zoom(), chosen);
    delete window;
}

// Resting the mouse pointer on a volume names the cell and its material in
// the status bar; on the background the note goes.
TEST(GLWidget, StatusBarNamesTheCellUnderTheMousePointer)
{
    Window w;
    QLabel *note = w.window->statusBar()->findChild<QLabel *>(QStringLiteral("lblCursorCell"));
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->text().isEmpty());
    // Silicon below, a poly-Si film on top: seen from above, the film.
    std::vector<uint32_t> cells(16 * 16 * 8);
    for (size_t i = 0; i < cells.size(); ++i)
        cells[i] = i % 8 < 6 ? 1u : 16u;
    boost::shared_ptr<Model::Automaton::TotalVolume> volume(
        new Model::Automaton::TotalVolume(16, 16, 8, 1.0f, 1.0f, 1.0f, Util::Vector3D(), cells));
    volume->getPainter().regenerate();
    w.workspace().document().addObject(volume);
    w.workspace().requestRedraw();
    w.view()->setView(QStringLiteral("top"));
    w.window->fitToVolume();
    w.view()->updateGL();

    // The pointer comes to rest at p. Moves go to the view itself and leave the display's
    // one pointer alone: tests share the display. A window of another test appearing
    // under that pointer may still tell the view it left, so a rest may need repeating.
    const auto restAt = [&w](const QPoint &p, const std::function<bool()> &shown) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            QMouseEvent move(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w.view(), &move);
            if (QTest::qWaitFor(shown, 2000))
                return true;
        }
        return false;
    };
    const QPoint centre(w.view()->width() / 2, w.view()->height() / 2);
    ASSERT_TRUE(restAt(centre, [&]() { return note->text().startsWith(QStringLiteral("Cell (")); }));
    EXPECT_TRUE(note->text().contains(QStringLiteral(": Poly-Si, layer z 6 to 8 \u00b5m (2 thick)")))
        << note->text().toStdString();
    // The cell is in the top layer, near the middle of the block.
    const QRegularExpressionMatch cell =
        QRegularExpression(QStringLiteral("^Cell \\((\\d+), (\\d+), (\\d+)\\)")).match(note->text());
    ASSERT_TRUE(cell.hasMatch());
    EXPECT_NEAR(cell.captured(1).toInt(), 8, 2);
    EXPECT_NEAR(cell.captured(2).toInt(), 8, 2);
    EXPECT_EQ(cell.captured(3).toInt(), 7);

    // Off the volume: nothing under the pointer.
    ASSERT_TRUE(restAt(QPoint(3, 3), [&]() { return note->text().isEmpty(); }));
    // Seen from the front, the side of the block shows silicon below the film.
    w.view()->setView(QStringLiteral("front"));
    w.window->fitToVolume();
    ASSERT_TRUE(restAt(QPoint(centre.x(), centre.y() + w.view()->height() / 6),
                       [&]() { return note->text().contains(QStringLiteral(": Si, layer z 0 to 6 \u00b5m")); }))
        << note->text().toStdString();
}
