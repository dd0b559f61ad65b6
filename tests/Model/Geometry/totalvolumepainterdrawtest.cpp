#include "geometrytestsupport.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/totalvolumepainter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <GL/gl.h>

#include <memory>

using namespace GeometryTest;
using Model::Automaton::TotalVolume;
using Model::Geometry::TotalVolumePainter;
using Model::Geometry::VisualizationOptions;

namespace {

// A current GL 1.x context with a 64 x 64 RGBA target looking down the z axis
// at a volume of 4 x 4 x 4 unit cells, the view filling the target.
class PainterDrawing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSurfaceFormat format;
        format.setVersion(2, 1);
        format.setDepthBufferSize(24);
        format.setAlphaBufferSize(8);
        m_context.reset(new QOpenGLContext);
        m_context->setFormat(format);
        m_surface.reset(new QOffscreenSurface);
        m_surface->setFormat(format);
        m_surface->create();
        if (!m_context->create() || !m_context->makeCurrent(m_surface.get()))
            GTEST_SKIP() << "no OpenGL context here";
        m_target.reset(new QOpenGLFramebufferObject(64, 64, QOpenGLFramebufferObject::Depth));
        m_target->bind();
        glViewport(0, 0, 64, 64);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 4, 0, 4, -100, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

        // Opaque red floor two cells high, a translucent blue layer on top, one empty column.
        std::vector<uint32_t> m(64);
        for (unsigned x = 0; x < 4; ++x)
            for (unsigned y = 0; y < 4; ++y)
                for (unsigned z = 0; z < 4; ++z)
                    m[(x * 4 + y) * 4 + z] = (x == 3 && y == 3) ? 0u : z < 2 ? uint32_t(OpaqueA) : z < 3 ? uint32_t(GlassA) : 0u;
        m_volume.reset(new TotalVolume(4, 4, 4, 1, 1, 1, Util::Vector3D(), m));
        m_volume->getPainter().setColorOverride(testColors());
    }
    void TearDown() override
    {
        m_volume.reset();
        m_target.reset();
        if (m_context)
            m_context->doneCurrent();
    }
    QRgb pixel(int x, int y) { return m_target->toImage().pixel(x, 63 - y); }

    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLFramebufferObject> m_target;
    boost::shared_ptr<TotalVolume> m_volume;
};

TEST_F(PainterDrawing, EveryViewDrawsWithoutGLErrors)
{
    TotalVolumePainter &painter = m_volume->getPainter();
    for (int view = 0; view < 4; ++view) {
        VisualizationOptions o;
        o.viewIndex = view;
        o.renderEmptyVoxelOutlines = true;
        painter.setOptions(o);
        for (bool selected : {false, true}) {
            m_volume->setSelected(selected);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            painter.draw(true, true, Util::Vector3D(0, 0, 1));
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "view " << view;
        }
    }
}

TEST_F(PainterDrawing, OpaqueFacesReachTheFramebuffer)
{
    TotalVolumePainter &painter = m_volume->getPainter();
    painter.regenerate();
    painter.draw(true, false, Util::Vector3D(0, 0, 1));
    // Over a filled column: red under a translucent blue film; the empty column stays black.
    const QRgb filled = pixel(8, 8);
    EXPECT_GT(qRed(filled), 60);
    EXPECT_GT(qBlue(filled), 60);
    EXPECT_EQ(qRgb(qRed(pixel(56, 56)), qGreen(pixel(56, 56)), qBlue(pixel(56, 56))), qRgb(0, 0, 0));

    // Hidden volumes are not drawn at all.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    painter.setHidden(true);
    painter.draw(true, true, Util::Vector3D(0, 0, 1));
    EXPECT_EQ(qRed(pixel(8, 8)), 0);
}

TEST_F(PainterDrawing, PickingHitsTheSurface)
{
    TotalVolumePainter &painter = m_volume->getPainter();
    painter.regenerate();
    GLuint buffer[64];
    glSelectBuffer(64, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(GLuint(m_volume->getId()));
    painter.drawForPicking();
    glPopName();
    const GLint hits = glRenderMode(GL_RENDER);
    ASSERT_EQ(hits, 1);
    EXPECT_EQ(buffer[3], GLuint(m_volume->getId()));
}

} // namespace
