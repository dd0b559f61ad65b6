#include "mainwindowpresenter.h"

#include "Core/Operations/iusermessages.h"
#include "Core/Operations/operation.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Materials/editcompatiblematerialsdialog.h"
#include "UI/Materials/managematerialsdialog.h"
#include "UI/Observers/undoredoobserver.h"
#include "mainwindow.h"
#include "operationfactory.h"
#include "stepprogressdialog.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

namespace Ui {

namespace {

class MessageBoxes : public Core::Operations::IUserMessages
{
public:
    explicit MessageBoxes(QWidget *parent) : m_parent(parent) {}
    void showError(const QString &title, const QString &text) override
    {
        QMessageBox::warning(m_parent, title, text);
    }

private:
    QWidget *m_parent;
};

} // namespace

MainWindowPresenter::MainWindowPresenter(MainWindow *mainWindow)
    : QObject(nullptr), m_mainWindow(mainWindow), m_workspace(),
      m_console(mainWindow, Qt::Tool, &m_workspace.console())
{
    // Bottom right of the screen the main window is on, clear of the edges.
    QScreen *screen = mainWindow && mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        m_console.move(available.x() + int(0.9 * (available.width() - m_console.width())),
                       available.y() + int(0.9 * (available.height() - m_console.height())));
    }
    m_console.show();

    m_undoObserver.reset(new Observers::UndoRedoObserver);
    m_workspace.history().addUndoObserver(m_undoObserver);
    connect(m_undoObserver.get(), SIGNAL(stackChanged()), this, SLOT(undoStackChanged()));

    m_redoObserver.reset(new Observers::UndoRedoObserver);
    m_workspace.history().addRedoObserver(m_redoObserver);
    connect(m_redoObserver.get(), SIGNAL(stackChanged()), this, SLOT(redoStackChanged()));

    m_workspace.setFactory(boost::shared_ptr<Core::Operations::IOperationFactory>(new OperationFactory(this)));
    m_workspace.setUserMessages(boost::shared_ptr<Core::Operations::IUserMessages>(new MessageBoxes(mainWindow)));
    m_workspace.setStepProgress(boost::shared_ptr<Core::Operations::IStepProgress>(new StepProgressDialog(mainWindow)));
}

MainWindowPresenter::~MainWindowPresenter()
{
    // Operations may still refer to dialogs' parent; end them while the window exists.
    const boost::shared_ptr<Core::Operations::Operation> current = m_workspace.currentOperation();
    if (current)
        current->cancel();
}

void MainWindowPresenter::undoStackChanged()
{
    if (m_mainWindow)
        m_mainWindow->setUndoName(m_workspace.history().undoName());
}

void MainWindowPresenter::redoStackChanged()
{
    if (m_mainWindow)
        m_mainWindow->setRedoName(m_workspace.history().redoName());
}

void MainWindowPresenter::operationActivated(const QString &operationId)
{
    bool ok = false;
    const uint number = operationId.toUInt(&ok, 10);
    // A text that is no number names no operation: the current one is still cancelled.
    m_workspace.activateOperation(ok ? int(number) : -1);
}

void MainWindowPresenter::enterPressed() { m_console.enterPressed(); }

void MainWindowPresenter::cancelPressed()
{
    const boost::shared_ptr<Core::Operations::Operation> current = m_workspace.currentOperation();
    if (current)
        current->cancel();
    m_workspace.selection().clear();
    m_workspace.requestRedraw();
}

void MainWindowPresenter::showConsole(bool show)
{
    m_console.setVisible(show);
    // Shown from the menu it comes to the front, not behind the main window.
    if (show) {
        m_console.raise();
        m_console.activateWindow();
    }
}

bool MainWindowPresenter::hasWorkToLose()
{
    return !m_workspace.document().getObjects().isEmpty() || m_workspace.history().undoCount() > 0 ||
           m_workspace.history().redoCount() > 0;
}

void MainWindowPresenter::setSelectionMode(bool mode)
{
    if (m_workspace.selection().isSelectionMode() != mode)
        m_workspace.selection().setSelectionMode(mode);
}

void MainWindowPresenter::newDocument()
{
    // An empty scene with nothing to undo or redo has nothing to erase: no question.
    if (hasWorkToLose()) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Create new document"),
                        QStringLiteral("This will erase all data. Continue?"), QMessageBox::Ok | QMessageBox::Cancel,
                        m_mainWindow);
        box.setObjectName(QStringLiteral("newDocumentMessageBox"));
        if (box.exec() != QMessageBox::Ok)
            return;
    }
    const boost::shared_ptr<Core::Operations::Operation> current = m_workspace.currentOperation();
    if (current)
        current->cancel();
    m_workspace.selection().clear();
    m_workspace.history().clear();
    m_workspace.console().reset();
    m_workspace.document().clear();
    m_workspace.latticeStaleByVolume().clear();
    m_workspace.requestRedraw();
}

void MainWindowPresenter::openBatchRun(const QString &fileName)
{
    // A list opened from the menu starts without a volume: it must create its own.
    RunProcessesDialog dialog(&m_workspace, m_mainWindow ? m_mainWindow->view() : nullptr,
                              boost::shared_ptr<Model::Automaton::TotalVolume>(), m_mainWindow);
    if (!fileName.isEmpty())
        dialog.loadList(fileName);
    dialog.exec();
}

void MainWindowPresenter::manageMaterials() { ManageMaterialsDialog::manageMaterials(&m_workspace, m_mainWindow); }

void MainWindowPresenter::manageCompatibleMaterials()
{
    EditCompatibleMaterialsDialog::manageCompatibleMaterials(m_mainWindow);
}

} // namespace Ui
