#pragma once

#include "Core/Steps/processdata.h"
#include "Core/Steps/executor.h"

#include <boost/shared_ptr.hpp>

#include <QAtomicInt>
#include <QDialog>
#include <QFuture>
#include <QMutex>
#include <QPointer>
#include <QSemaphore>
#include <QThreadPool>
#include <QTimer>

#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace Core {
namespace Operations {
class Workspace;
}
} // namespace Core

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Ui {

using Core::Steps::ProcessData;
using Core::Steps::ProcessList;

class BatchRunPrompts;
class GLWidget;

// "Batch Run": composes a process list, saves and loads it, and runs it step
// after step on one cell volume on a worker thread while a 500 ms timer shows
// the progress.
class RunProcessesDialog : public QDialog, public Core::Steps::IProcessRunHost
{
    Q_OBJECT
public:
    // view may be null (no redraw, no pictures); volume is the volume to run
    // on, already in the scene, or empty. prompts, when given, answers every
    // question instead of the real dialogs and must outlive the dialog.
    RunProcessesDialog(Core::Operations::Workspace *workspace, GLWidget *view,
                       const boost::shared_ptr<Model::Automaton::TotalVolume> &volume, QWidget *parent = nullptr,
                       BatchRunPrompts *prompts = nullptr);
    // Waits for a running worker.
    ~RunProcessesDialog() override;

    const ProcessList &processList() const { return m_list; }
    void setProcessList(const ProcessList &list);
    QString fileName() const { return m_fileName; }
    QString baseTitle() const { return m_baseTitle; }
    boost::shared_ptr<Model::Automaton::TotalVolume> currentVolume() const;
    int completedSteps() const { return m_completed.loadAcquire(); }
    bool isRunning() const;
    // The list has changes that are in no file.
    bool isModified() const { return m_modified; }

    // Replaces the list by the one in fileName; false (list kept, the person
    // told why) when it cannot be read.
    bool loadList(const QString &fileName);

    // IProcessRunHost, both safe to call from the worker.
    void setCurrentVolume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume) override;

Q_SIGNALS:
    // Emitted on the user-interface thread when the finished run has been shown.
    void runFinished();

public Q_SLOTS:
    void on_btnAddProcess_clicked();
    void on_btnClose_clicked();
    void on_btnRun_clicked();
    // Ends a run before its next step; the steps done stay applied.
    void on_btnStop_clicked();
    void on_btnRemoveProcess_clicked();
    void on_btnMoveUp_clicked();
    void on_btnMoveDown_clicked();
    void on_btnSaveList_clicked();
    void on_btnSaveListAs_clicked();
    void on_btnLoadList_clicked();
    void on_btnNewList_clicked();
    void on_btnModify_clicked();
    void on_btnMoveTo_clicked();
    void on_treeWidget_itemDoubleClicked(QTreeWidgetItem *item, int column);
    void on_treeWidget_itemExpanded(QTreeWidgetItem *item);
    void on_treeWidget_itemCollapsed(QTreeWidgetItem *item);
    void selectionChanged();
    void updateProgress();
    // Regenerates the current volume's surface, redraws and, for a non-empty
    // fileName, saves the view's picture there. From the worker it runs on
    // the user-interface thread and returns when done.
    void updateGeometry(const QString &fileName) override;

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The worker routine: runs the copy of the list taken by Run, then releases the run guard.
    void runProcessList();
    void addVolumeToScene(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume);
    void buildWidgets();
    void rebuildTree();
    // Positions of the selected steps in list order.
    QList<int> selectedSteps() const;
    int indexOfSerial(int serial) const;
    void selectStep(int serial);
    void editStep(int index);
    bool saveTo(const QString &fileName);
    bool saveList();
    bool saveListAs();
    void setFileName(const QString &fileName);
    bool onGuiThread() const;
    void setModified();
    // False when a run is in progress or the person keeps an unsaved list open.
    bool mayClose();
    // Buttons a run refuses are disabled while it lasts; Stop only then enabled.
    void setRunControls(bool running);
    void showRunStatus();
    // The finished run: a box for a failed step, its row marked, the status line.
    void reportRunEnd();

    Core::Operations::Workspace *m_workspace;
    QPointer<GLWidget> m_view;
    std::unique_ptr<BatchRunPrompts> m_ownPrompts;
    BatchRunPrompts *m_prompts;

    ProcessList m_list;
    ProcessList m_runList; // the copy the worker runs; untouched by the dialog while a run holds the guard

    mutable QMutex m_volumeMutex;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;

    QString m_fileName;
    QString m_baseTitle;

    // Held from Run until the worker ends; released by the worker, hence a semaphore.
    QSemaphore m_runGuard{1};
    QAtomicInt m_completed{0};
    QAtomicInt m_closing{0};
    QAtomicInt m_stopRequested{0};
    // Written by the worker before it releases the run guard, read after.
    struct Failure
    {
        int index = -1; // in m_runList; -1: no step failed
        int code = 0;
        QString detail;
    } m_failure;
    int m_failedSerial = -1; // the step whose row shows the last run's failure
    bool m_modified = false;
    QTimer m_progressTimer;
    // The worker's own pool: the engines wait on the global pool, which the
    // worker must not occupy.
    QThreadPool m_workerPool;
    QFuture<void> m_worker;
    bool m_rebuilding = false;

    QTreeWidget *m_tree;
    QComboBox *m_process;
    QProgressBar *m_progress;
    QLabel *m_status;
    QPushButton *m_run;
    QPushButton *m_close;
    QPushButton *m_stop;
};

} // namespace Ui
