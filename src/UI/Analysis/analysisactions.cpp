#include "analysisactions.h"

#include "Core/Operations/workspace.h"
#include "Model/Analysis/measurements.h"
#include "Model/Analysis/stlwriter.h"
#include "Model/Analysis/vtiwriter.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/glwidget.h"
#include "UI/mainwindowpresenter.h"
#include "crosssectiondialog.h"
#include "measurecolumndialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace Ui {
namespace Analysis {

using Model::Automaton::TotalVolume;

namespace {
const QString VtiTitle = QStringLiteral("Geometry (VTK)");
const QString StlTitle = QStringLiteral("Surfaces (STL)");
const QString SmoothStlTitle = QStringLiteral("Smooth Surfaces (STL)");
const QString MeasureTitle = QStringLiteral("Measure Column");
} // namespace

AnalysisActions::AnalysisActions(MainWindowPresenter &presenter, GLWidget *view, QWidget *parent)
    : QObject(parent), m_presenter(presenter), m_view(view), m_parent(parent)
{
    m_askFile = [this](const QString &title, const QString &proposed, const QString &filter) {
        return QFileDialog::getSaveFileName(m_parent, title, proposed, filter);
    };
    if (m_view)
        connect(m_view, &GLWidget::clicked, this, &AnalysisActions::viewClicked);
}

AnalysisActions::~AnalysisActions() = default;

MeasureColumnDialog *AnalysisActions::measureDialog() const { return m_measure.data(); }

void AnalysisActions::say(const QString &title, const QString &text)
{
    m_presenter.workspace().console().write(title + QStringLiteral(": ") + text);
}

boost::shared_ptr<TotalVolume> AnalysisActions::chooseVolume(const QString &title)
{
    Core::Operations::Workspace &workspace = m_presenter.workspace();
    for (const boost::shared_ptr<Model::Object> &object : workspace.viewPicks().getSelected())
        if (const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(object))
            return volume;
    boost::shared_ptr<TotalVolume> only;
    int volumes = 0;
    for (const boost::shared_ptr<Model::Object> &object : workspace.document().getObjects())
        if (const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(object)) {
            only = volume;
            ++volumes;
        }
    if (volumes == 1)
        return only;
    workspace.reportError(title, volumes == 0 ? QStringLiteral("There is no cell volume to export or measure.")
                                              : QStringLiteral("Select one cell volume first (Edit > Select, then "
                                                               "click it in the view)."));
    return boost::shared_ptr<TotalVolume>();
}

void AnalysisActions::exportCrossSection()
{
    const boost::shared_ptr<TotalVolume> volume = chooseVolume(QStringLiteral("Cross-Section"));
    if (!volume)
        return;
    CrossSectionDialog dialog(volume, m_parent);
    if (dialog.exec() == QDialog::Accepted)
        say(QStringLiteral("Cross-Section"), QStringLiteral("%1 = %2 written to %3")
                                                 .arg(Model::Analysis::sectionAxisName(dialog.axis()))
                                                 .arg(dialog.index())
                                                 .arg(QDir::toNativeSeparators(dialog.fileName())));
}

void AnalysisActions::exportVti()
{
    const boost::shared_ptr<TotalVolume> volume = chooseVolume(VtiTitle);
    if (!volume)
        return;
    const QString folder = m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder;
    QString name = m_askFile(VtiTitle, QDir(folder).filePath(QStringLiteral("volume.vti")),
                             QStringLiteral("VTK image data (*.vti)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".vti");
    QString error;
    if (!Model::Analysis::writeVti(*volume, name, &error)) {
        m_presenter.workspace().reportError(VtiTitle, QStringLiteral("The file was not written: %1.").arg(error));
        return;
    }
    m_lastFolder = QFileInfo(name).absolutePath();
    say(VtiTitle, QStringLiteral("written to %1").arg(QDir::toNativeSeparators(name)));
}

void AnalysisActions::exportStl() { writeStl(StlTitle, int(Model::Analysis::StlSurface::Cells)); }

void AnalysisActions::exportSmoothStl() { writeStl(SmoothStlTitle, int(Model::Analysis::StlSurface::Smooth)); }

void AnalysisActions::writeStl(const QString &title, int surface)
{
    const boost::shared_ptr<TotalVolume> volume = chooseVolume(title);
    if (!volume)
        return;
    const QString folder = m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder;
    QString prefix = m_askFile(title, QDir(folder).filePath(QStringLiteral("surface")),
                               QStringLiteral("STL files, one per material: PREFIX-<id>.stl (*)"));
    if (prefix.isEmpty())
        return;
    if (prefix.endsWith(QLatin1String(".stl"), Qt::CaseInsensitive))
        prefix.chop(4);
    QString error;
    QStringList written;
    if (!Model::Analysis::writeStl(*volume, prefix, &error, &written, Model::Analysis::StlSurface(surface))) {
        m_presenter.workspace().reportError(title, QStringLiteral("No file was written: %1.").arg(error));
        return;
    }
    m_lastFolder = QFileInfo(prefix).absolutePath();
    for (const QString &file : written)
        say(title, QStringLiteral("written to %1").arg(QDir::toNativeSeparators(file)));
}

void AnalysisActions::measureColumn()
{
    m_measured = chooseVolume(MeasureTitle);
    if (!m_measured)
        return;
    if (!m_measure) {
        m_measure = new MeasureColumnDialog(m_parent);
        m_measure->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_measure, &MeasureColumnDialog::measureRequested, this, &AnalysisActions::measureAt);
    }
    m_measure->setVolumeSize(m_measured->getSizeX(), m_measured->getSizeY());
    m_measure->show();
    m_measure->raise();
}

void AnalysisActions::measureAt(unsigned x, unsigned y)
{
    if (!m_measured)
        return;
    Model::Analysis::ColumnStack stack;
    QString error;
    if (!Model::Analysis::measureColumn(*m_measured, x, y, &stack, &error)) {
        m_presenter.workspace().reportError(MeasureTitle, QStringLiteral("Not measured: %1.").arg(error));
        return;
    }
    const QStringList lines = Model::Analysis::columnText(stack);
    say(MeasureTitle, lines.first());
    for (int i = 1; i < lines.size(); ++i)
        m_presenter.workspace().console().write(lines.at(i));
}

void AnalysisActions::viewClicked(const QPoint &position)
{
    if (!m_measure || !m_measure->isVisible() || !m_measured || !m_view)
        return;
    Util::Vector3D point;
    if (!m_view->scenePointAt(position, &point))
        return;
    // The point lies on a cell face: step a little further along the line of
    // sight (the view is orthographic: towards the scene from the viewer's
    // side) so it falls inside the cell that face belongs to.
    const Util::Vector3D viewer = m_view->viewDirection();
    const double d[3] = {-viewer.x, -viewer.y, -viewer.z};
    const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    const double step = 1e-3 * std::min({m_measured->getCellSizeX(), m_measured->getCellSizeY(),
                                         m_measured->getCellSizeZ()});
    const double nudge = length > 0.0 ? step / length : 0.0;
    Model::Analysis::ColumnRequest column;
    if (!Model::Analysis::columnAtPoint(*m_measured, point.x + d[0] * nudge, point.y + d[1] * nudge, &column))
        return;
    m_measure->setColumn(column.x, column.y);
    measureAt(column.x, column.y);
}

} // namespace Analysis
} // namespace Ui
