#include "Model/Automaton/silattice.h"
#include "Model/Geometry/silatticepainter.h"
#include "wetetchtestsupport.h"

#include <gtest/gtest.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <GL/gl.h>

using Model::Geometry::DrawRange;
using Model::Geometry::SiLatticePainter;

// With a GL context current the atom and link options stay on, and drawing
// every part of the lattice leaves no GL error behind.
TEST(SiLatticeDrawing, WithAContextEverythingIsBuiltAndDrawsCleanly)
{
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!context.create() || !context.makeCurrent(&surface))
        GTEST_SKIP() << "no OpenGL context on this display";

    const auto volume = WetEtchTest::makeVolume(8, 8, 6, WetEtchTest::maskedTop(4, 2, 6));
    ASSERT_TRUE(volume->createLattice());
    SiLatticePainter painter;
    SiLatticePainter::Options options;
    options.atoms = options.links = options.unitCells = options.unitCellOutlines = true;
    const SiLatticePainter::Options used = painter.regenerate(volume->getLattice().get(), DrawRange{0, 0, 0, 8, 8, 6},
                                                              options);
    EXPECT_TRUE(used == options);
    EXPECT_FALSE(painter.atoms().empty());
    EXPECT_FALSE(painter.linkVertices().empty());
    EXPECT_FALSE(painter.cellPositions().empty());

    while (glGetError() != GL_NO_ERROR) {
    }
    painter.drawOpaque();
    glEnable(GL_BLEND);
    painter.drawTranslucent();
    glFinish();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    context.doneCurrent();
}
