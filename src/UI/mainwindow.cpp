#include "mainwindow.h"

#include "UI/Analysis/analysisactions.h"
#include "UI/Console/commandconsole.h"
#include "UI/Observers/selectionmodeobserver.h"
#include "UI/Observers/updateobserver.h"
#include "UI/aboutdialog.h"
#include "UI/View/changedefaultcolorsdialog.h"
#include "UI/View/gridspacingdialog.h"
#include "UI/View/viewproperties.h"
#include "UI/glwidget.h"
#include "UI/operationmapper.h"
#include "Util/filenames.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QImage>
#include <QImageWriter>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMetaType>
#include <QProgressBar>
#include <QShortcut>
#include <QSignalMapper>
#include <QStatusBar>
#include <QtDebug>

#include <cmath>

Q_DECLARE_METATYPE(std::vector<float>)

namespace Ui {

namespace {
QString &lastImageLocation()
{
    static QString location = QDir::homePath();
    return location;
}

// The name the save dialog offers: the last picture's, else "screen.png" in the home folder.
QString suggestedImageName()
{
    const QFileInfo last(lastImageLocation());
    if (last.isDir())
        return QDir(last.filePath()).filePath(QStringLiteral("screen.png"));
    return last.filePath();
}
} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), m_presenter(this)
{
    qRegisterMetaType<std::vector<float>>("std::vector<float>");
    m_operationMapper = new OperationMapper(this);
    m_viewMapper = new QSignalMapper(this);
    m_enterShortcut = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    m_returnShortcut = new QShortcut(QKeySequence(Qt::Key_Return), this);
    m_escapeShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);

    m_form.setupUi(this);
    auto act = [this](const char *name) { return m_form.action(QLatin1String(name)); };
    connect(act("actionExit"), SIGNAL(triggered()), this, SLOT(close()));
    connect(act("actionUndo"), SIGNAL(triggered()), this, SLOT(undoOperation()));
    connect(act("actionRedo"), SIGNAL(triggered()), this, SLOT(redoOperation()));
    connect(act("actionSelect"), SIGNAL(toggled(bool)), this, SLOT(selectionToggled(bool)));
    connect(act("actionGrid"), SIGNAL(toggled(bool)), this, SLOT(renderGridToggled(bool)));
    connect(act("actionSnap_to_Grid"), SIGNAL(toggled(bool)), this, SLOT(snapToGridToggled(bool)));
    connect(act("actionGrid_Spacing"), SIGNAL(triggered()), this, SLOT(changeGridSpacing()));
    connect(act("actionSave_Image"), SIGNAL(triggered()), this, SLOT(saveImage()));
    connect(act("actionRender_Objects"), SIGNAL(toggled(bool)), this, SLOT(renderObjectsToggled(bool)));
    connect(act("actionLighting"), SIGNAL(toggled(bool)), this, SLOT(lightingToggled(bool)));
    connect(act("actionRender_Object_Edges"), SIGNAL(toggled(bool)), this, SLOT(renderObjectEdgesToggled(bool)));
    connect(act("actionConfigure_Window_Colors"), SIGNAL(triggered()), this, SLOT(changeWindowColors()));
    connect(act("actionConsole"), SIGNAL(toggled(bool)), this, SLOT(showConsole(bool)));
    // However the console is closed, the menu entry must show it with the next click.
    QAction *consoleAction = act("actionConsole");
    connect(&m_presenter.console(), &Console::CommandConsole::closed, consoleAction,
            [consoleAction]() { consoleAction->setChecked(false); });
    connect(act("actionAbout_Torvane"), SIGNAL(triggered()), this, SLOT(showAboutInfo()));
    connect(act("actionShow_Lights"), SIGNAL(toggled(bool)), this, SLOT(on_actionShow_Lights_toggled(bool)));
    connect(act("actionShow_Axis"), SIGNAL(toggled(bool)), this, SLOT(on_actionShow_Axis_toggled(bool)));
    connect(act("actionManage_Materials"), SIGNAL(triggered()), this, SLOT(on_actionManage_Materials_triggered()));
    connect(act("actionManage_Compatible_Materials"), SIGNAL(triggered()), this,
            SLOT(on_actionManage_Compatible_Materials_triggered()));
    connect(act("actionNew"), SIGNAL(triggered()), this, SLOT(on_actionNew_triggered()));
    connect(act("actionSet_View"), SIGNAL(triggered()), this, SLOT(on_actionSet_View_triggered()));
    connect(act("actionSet_Lighting"), SIGNAL(triggered()), this, SLOT(on_actionSet_Lighting_triggered()));
    connect(act("actionOpen_Process_List"), SIGNAL(triggered()), this, SLOT(on_actionOpen_Process_List_triggered()));
    connect(act("actionNew_Process_List"), SIGNAL(triggered()), this, SLOT(on_actionNew_Process_List_triggered()));
    connect(act("actionFit_to_Volume"), SIGNAL(triggered()), this, SLOT(fitToVolume()));

    // Permanent, on the right: the running step, then the cell under the pointer.
    // The left stays for the camera's messages and the menus' tips.
    m_stepProgress = new QProgressBar(statusBar());
    m_stepProgress->setObjectName(QStringLiteral("prgStepStatus"));
    m_stepProgress->setMaximumWidth(120);
    m_stepProgress->setTextVisible(false);
    m_stepProgress->hide();
    m_stepLabel = new QLabel(statusBar());
    m_stepLabel->setObjectName(QStringLiteral("lblStepStatus"));
    m_cursorLabel = new QLabel(statusBar());
    m_cursorLabel->setObjectName(QStringLiteral("lblCursorCell"));
    statusBar()->addPermanentWidget(m_stepProgress);
    statusBar()->addPermanentWidget(m_stepLabel);
    statusBar()->addPermanentWidget(m_cursorLabel);

    m_view = new GLWidget(this, m_presenter);
    setCentralWidget(m_view);
    m_view->setRotation(-60.0f, 0.0f, 30.0f);

    m_analysis = new Analysis::AnalysisActions(m_presenter, m_view, this);
    connect(act("actionExport_Cross_Section"), SIGNAL(triggered()), m_analysis, SLOT(exportCrossSection()));
    connect(act("actionExport_Geometry_VTK"), SIGNAL(triggered()), m_analysis, SLOT(exportVti()));
    connect(act("actionExport_Surfaces_STL"), SIGNAL(triggered()), m_analysis, SLOT(exportStl()));
    connect(act("actionExport_Smooth_Surfaces_STL"), SIGNAL(triggered()), m_analysis, SLOT(exportSmoothStl()));
    connect(act("actionMeasure_Column"), SIGNAL(triggered()), m_analysis, SLOT(measureColumn()));

    m_updateObserver.reset(new Observers::UpdateObserver);
    m_presenter.workspace().addUpdateObserver(m_updateObserver);
    connect(m_updateObserver.get(), SIGNAL(updateGL()), m_view, SLOT(updateGL()));
    // A volume new to the scene (a created substrate, a glued or extracted one) is framed.
    connect(m_updateObserver.get(), &Observers::UpdateObserver::updateGL, m_view, [this]() { m_view->frameNewVolumes(); });
    connect(m_view, &GLWidget::cellUnderCursor, this, &MainWindow::showCellUnderCursor);

    for (const MainWindowForm::ActionRow &entry : MainWindowForm::actionTable()) {
        if (!entry.text)
            continue;
        QAction *a = m_form.action(QLatin1String(entry.objectName));
        if (entry.operation >= 0)
            m_operationMapper->addAction(a, unsigned(entry.operation));
        if (entry.viewPreset) {
            connect(a, SIGNAL(triggered()), m_viewMapper, SLOT(map()));
            m_viewMapper->setMapping(a, QLatin1String(entry.viewPreset));
        }
    }
    connect(m_operationMapper, SIGNAL(activated(QString)), &m_presenter, SLOT(operationActivated(QString)));
    connect(m_viewMapper, SIGNAL(mappedString(QString)), m_view, SLOT(setView(QString)));

    connect(m_enterShortcut, SIGNAL(activated()), &m_presenter, SLOT(enterPressed()));
    connect(m_returnShortcut, SIGNAL(activated()), &m_presenter, SLOT(enterPressed()));
    connect(m_escapeShortcut, SIGNAL(activated()), &m_presenter, SLOT(cancelPressed()));

    m_selectionModeObserver.reset(
        new Observers::SelectionModeObserver(act("actionSelect"), &m_presenter.workspace().selection()));
    m_presenter.workspace().selection().addModeObserver(m_selectionModeObserver);

    setAttribute(Qt::WA_DeleteOnClose);
    connect(m_view, SIGNAL(rotationChanged(std::vector<float>)), this,
            SLOT(changeRotationValue_statusBar(std::vector<float>)));
    connect(m_view, SIGNAL(axisPositionChanged(std::vector<float>)), this,
            SLOT(changeAxisPositionValue_staturBar(std::vector<float>)));
    connect(m_view, SIGNAL(viewPositionChanged(std::vector<float>)), this,
            SLOT(changeViewPostionValue_statusBar(std::vector<float>)));
    connect(m_view, SIGNAL(zoomChanged(float)), this, SLOT(changeZoomValue_statusBar(float)));
    connect(m_view, SIGNAL(lampPositionChanged(std::vector<float>)), this,
            SLOT(changeLampPosition_statusBar(std::vector<float>)));
}

MainWindow::~MainWindow() = default;

void MainWindow::setUndoName(const QString &name)
{
    m_undoName = name;
    QAction *a = m_form.action(QStringLiteral("actionUndo"));
    a->setText(QStringLiteral("Undo ") + name);
    a->setEnabled(!name.isEmpty());
}

void MainWindow::setRedoName(const QString &name)
{
    m_redoName = name;
    QAction *a = m_form.action(QStringLiteral("actionRedo"));
    a->setText(QStringLiteral("Redo ") + name);
    a->setEnabled(!name.isEmpty());
}

void MainWindow::showConsole(bool show) { m_presenter.showConsole(show); }

void MainWindow::undoOperation()
{
    m_presenter.workspace().history().undo();
    m_view->update();
}

void MainWindow::redoOperation()
{
    m_presenter.workspace().history().redo();
    m_view->update();
}

void MainWindow::selectionToggled(bool checked) { m_presenter.setSelectionMode(checked); }

void MainWindow::lightingToggled(bool on) { m_view->lightingToggled(on); }

void MainWindow::renderObjectsToggled(bool on) { m_view->renderObjectsToggled(on); }

void MainWindow::renderObjectEdgesToggled(bool on) { m_view->renderObjectEdgesToggled(on); }

void MainWindow::setView(QString viewAngle) { m_view->setView(viewAngle); }

void MainWindow::renderGridToggled(bool on) { m_view->renderGridToggled(on); }

void MainWindow::snapToGridToggled(bool on) { m_view->snapToGridToggled(on); }

void MainWindow::changeGridSpacing()
{
    GridSpacingDialog dialog(m_view->gridSpacing(), this);
    if (dialog.exec() == QDialog::Accepted)
        m_view->setGridSpacing(dialog.spacing());
}

void MainWindow::changeWindowColors()
{
    ChangeDefaultColorsDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.apply();
    m_view->update();
}

void MainWindow::saveImage(QString filename)
{
    if (filename.isEmpty()) {
        saveImage();
        return;
    }
    // A name without an extension would give the writer no format: it becomes a PNG.
    filename = Util::withExtension(filename, QStringLiteral("png"));
    const QImage image = m_view->grabImage();
    QImageWriter writer(filename);
    if (image.isNull()) {
        reportImageNotSaved(filename, QStringLiteral("the view gave no picture"));
        return;
    }
    if (!writer.write(image)) {
        reportImageNotSaved(filename, writer.errorString());
        return;
    }
    lastImageLocation() = filename;
    m_presenter.workspace().console().write(
        QStringLiteral("Save Image: %1 written.").arg(QDir::toNativeSeparators(QFileInfo(filename).absoluteFilePath())));
}

void MainWindow::saveImage()
{
    const QString filename = QFileDialog::getSaveFileName(this, QStringLiteral("Save Screen Image"), suggestedImageName(),
                                                          QStringLiteral("Images (*.png *.xpm *.jpg)"));
    if (!filename.isEmpty())
        saveImage(filename);
}

void MainWindow::reportImageNotSaved(const QString &fileName, const QString &reason)
{
    const QString text = QStringLiteral("The image could not be saved to %1: %2.")
                             .arg(QDir::toNativeSeparators(fileName), reason);
    m_presenter.workspace().console().write(QStringLiteral("Save Image: ") + text);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Save Image"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("imageNotSavedMessageBox"));
    box.exec();
}

void MainWindow::fitToVolume()
{
    if (!m_view->frameVolumes())
        statusBar()->showMessage(QStringLiteral("Fit to Volume: there is no cell volume to fit."), 5000);
}

void MainWindow::showCellUnderCursor(const QString &text) { m_cursorLabel->setText(text); }

void MainWindow::showAboutInfo()
{
    AboutDialog dialog(this);
    dialog.exec();
}

void MainWindow::on_actionShow_Lights_toggled(bool on) { m_view->on_actionShow_Lights_toggled(on); }

void MainWindow::on_actionManage_Materials_triggered() { m_presenter.manageMaterials(); }

void MainWindow::on_actionManage_Compatible_Materials_triggered() { m_presenter.manageCompatibleMaterials(); }

void MainWindow::on_actionNew_triggered() { m_presenter.newDocument(); }

void MainWindow::on_actionSet_View_triggered()
{
    ViewProperties dialog(this);
    dialog.loadFrom(*m_view);
    dialog.setCurrentTab(0);
    if (dialog.exec() == QDialog::Accepted)
        dialog.writeBack(*m_view);
}

void MainWindow::on_actionOpen_Process_List_triggered()
{
    const QString fileName = QFileDialog::getOpenFileName(this, QStringLiteral("Process List File"), QDir::homePath(),
                                                          QStringLiteral("Process List (*.plst)"));
    m_presenter.openBatchRun(fileName);
}

void MainWindow::on_actionNew_Process_List_triggered() { m_presenter.openBatchRun(QString()); }

void MainWindow::on_actionSet_Lighting_triggered()
{
    ViewProperties dialog(this);
    dialog.loadFrom(*m_view);
    dialog.setCurrentTab(1);
    if (dialog.exec() == QDialog::Accepted)
        dialog.writeBack(*m_view);
}

void MainWindow::on_actionShow_Axis_toggled(bool on) { m_view->on_actionShow_Axis_toggled(on); }

QString MainWindow::number(float value) { return QString::number(double(value), 'g', 6); }

void MainWindow::changeRotationValue_statusBar(std::vector<float> v)
{
    if (v.size() < 3)
        return;
    statusBar()->showMessage(QStringLiteral("Rotation angles: X Axis = ") + number(v[0]) + QStringLiteral(" Y Axis = ") +
                                 number(v[1]) + QStringLiteral(" Z axis = ") + number(v[2]),
                             5000);
}

void MainWindow::changeAxisPositionValue_staturBar(std::vector<float> v)
{
    if (v.size() < 3)
        return;
    statusBar()->showMessage(QStringLiteral("Volume position in relation to the axes: X = ") + number(v[0]) +
                                 QStringLiteral(" Y = ") + number(v[1]) + QStringLiteral(" Z = ") + number(v[2]),
                             5000);
}

void MainWindow::changeViewPostionValue_statusBar(std::vector<float> v)
{
    if (v.size() < 2)
        return;
    statusBar()->showMessage(QStringLiteral("Volume position in relation to the screen: X = ") + number(v[0]) +
                                 QStringLiteral(" Y = ") + number(v[1]),
                             5000);
}

void MainWindow::changeZoomValue_statusBar(float value)
{
    statusBar()->showMessage(QStringLiteral("Zoom = ") + number(value) + QStringLiteral("%"), 5000);
}

void MainWindow::changeLampPosition_statusBar(std::vector<float> v)
{
    if (v.size() < 4)
        return;
    statusBar()->showMessage(QStringLiteral("Lamp ") + QString::number(int(v[0])) +
                                 QStringLiteral(" Position : Radius = ") + number(v[1]) +
                                 QString::fromUtf8(" Angle θ = ") + number(v[2]) + QString::fromUtf8(" Angle φ = ") +
                                 number(v[3]),
                             5000);
}

void MainWindow::repaintCentralWidget() { m_view->repaint(); }

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_form.retranslateUi(this);
        setUndoName(m_undoName);
        setRedoName(m_redoName);
    }
    QMainWindow::changeEvent(event);
}

} // namespace Ui
