#include "Core/Operations/DopingOperation/randomwalkdoping.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/View/colorscalelegend.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"
#include "UI/mainwindowpresenter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QTest>

using Core::Operations::RandomWalkDoping;
using Model::Automaton::TotalVolume;
using Model::Geometry::FieldPainter;
using Model::Geometry::VisualizationOptions;

namespace {

// Distinct grey levels inside the middle of the image (the legend and the frame left out).
int greyLevels(const QImage &image)
{
    QSet<int> levels;
    for (int y = image.height() / 6; y < image.height() * 3 / 4; y += 2)
        for (int x = image.width() / 6; x < image.width() * 5 / 6; x += 2) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - c.green()) < 3 && std::abs(c.red() - c.blue()) < 3)
                levels.insert(c.red());
        }
    return levels.size();
}

} // namespace

// The particle-count field view of a doped volume: bright at the doped surface,
// fading into the bulk. The picture is kept as randomwalkfield.png for a look by eye.
TEST(RandomWalkFieldView, ShowsTheDopingProfile)
{
    Ui::MainWindow window;
    window.resize(800, 600);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // Silicon 40 x 40 x 30 with 20 layers under an open top.
    std::vector<uint32_t> m(40 * 40 * 30);
    for (size_t i = 0; i < m.size(); ++i)
        m[i] = i % 30 < 20 ? 1u : 0u;
    const boost::shared_ptr<TotalVolume> volume(new TotalVolume(40, 40, 30, 1, 1, 1, Util::Vector3D(-20, -20, -10), m));
    window.presenter().workspace().document().addObject(volume);

    VisualizationOptions options = volume->getPainter().getOptions();
    options.viewIndex = VisualizationOptions::ParticleCountField;
    options.distributionToRender = FieldPainter::NType;
    options.colorScale = FieldPainter::GrayScale;
    volume->getPainter().setOptions(options);
    window.view()->updateGL();
    const int flat = greyLevels(window.view()->grabImage());

    const double L = 1e-7, D = 1e-15, dt = 0.5 * L * L / (6 * D);
    RandomWalkDoping doping(*volume, 14, D, dt, L, 5000 / (L * L * L), 1e30, 5489u);
    ASSERT_TRUE(doping.dope(40.5 * dt));
    // Cut the front half away so the profile inside shows, and look closely.
    Model::Geometry::DrawRange half;
    half.x1 = 40;
    half.y0 = 20;
    half.y1 = 40;
    half.z1 = 30;
    volume->getPainter().setDrawRange(half);
    volume->getPainter().setOptions(options);
    window.view()->setZoom(6.0f);
    window.view()->updateGL();
    const QImage image = window.view()->grabImage();
    image.save(QDir::current().absoluteFilePath(QStringLiteral("randomwalkfield.png")));
    const QString keep = qEnvironmentVariable("TORVANE_SCREENSHOT_DIR");
    if (!keep.isEmpty())
        image.save(QDir(keep).absoluteFilePath(QStringLiteral("randomwalkfield.png")));

    // The legend spans the real counts; the faces show a gradient, not the one flat grey of no data.
    EXPECT_GE(window.view()->legend().maximum(), 1000.0);
    EXPECT_GT(greyLevels(image), flat + 8);
}
