#include "runprocessesdialog.h"

#include "Core/Steps/stepregistry.h"

#include "batchrunprompts.h"
#include "listconflictresolver.h"
#include "movetodialog.h"
#include "processstepeditor.h"

#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/glwidget.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <QtDebug>

#include <algorithm>

namespace Ui {

using Core::Operations::ProcessListFile;
using Model::Automaton::TotalVolume;

namespace {

const char *const Location = "UI/BatchRun/runprocessesdialog";


const char *const MissingVolumeTitle = "Missing Cell Volume";
const char *const MissingVolumeText = "No cell volume was selected and a cell volume was not created. The cell "
                                      "volume must be created before any other process.";

QPushButton *button(QWidget *parent, const char *name, const char *text)
{
    QPushButton *b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

RunProcessesDialog::RunProcessesDialog(Core::Operations::Workspace *workspace, GLWidget *view,
                                       const boost::shared_ptr<TotalVolume> &volume, QWidget *parent,
                                       BatchRunPrompts *prompts)
    : QDialog(parent), m_workspace(workspace), m_view(view), m_prompts(prompts), m_volume(volume),
      m_baseTitle(QStringLiteral("Batch Run"))
{
    if (!m_prompts) {
        m_ownPrompts.reset(new BatchRunPrompts);
        m_prompts = m_ownPrompts.get();
    }
    setObjectName(QStringLiteral("RunProcessesDialog"));
    setWindowTitle(m_baseTitle);
    setModal(true);
    m_workerPool.setMaxThreadCount(1);
    m_progressTimer.setInterval(500);
    connect(&m_progressTimer, &QTimer::timeout, this, &RunProcessesDialog::updateProgress);
    buildWidgets();
    rebuildTree();
}

RunProcessesDialog::~RunProcessesDialog()
{
    m_closing.storeRelease(1);
    m_progressTimer.stop();
    // The worker may be waiting on a blocking call into this dialog; answer
    // such calls here (they do nothing once closing) so the wait cannot deadlock.
    while (!m_workerPool.waitForDone(20))
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void RunProcessesDialog::buildWidgets()
{
    QHBoxLayout *top = new QHBoxLayout;

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("treeWidget"));
    m_tree->setColumnCount(2);
    // A step's row holds its number and its process, a parameter's row its name and value.
    m_tree->setHeaderLabels(QStringList() << QStringLiteral("Step / Parameter") << QStringLiteral("Process / Value"));
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A double click opens the step's options; it must not also fold the row.
    m_tree->setExpandsOnDoubleClick(false);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    top->addWidget(m_tree, 1);

    QVBoxLayout *side = new QVBoxLayout;
    QLabel *label = new QLabel(QStringLiteral("Process"), this);
    label->setObjectName(QStringLiteral("lblProcess"));
    m_process = new QComboBox(this);
    m_process->setObjectName(QStringLiteral("cbxProcess"));
    // Every step a list can hold, by the names and in the order the registry gives.
    for (const Core::Steps::StepDefinition *step : Core::Steps::StepRegistry::instance().comboSteps())
        m_process->addItem(step->shownInCombo(), step->type);
    label->setBuddy(m_process);
    side->addWidget(label);
    side->addWidget(m_process);

    QPushButton *add = button(this, "btnAddProcess", "Add Process");
    QPushButton *remove = button(this, "btnRemoveProcess", "Remove Process");
    QPushButton *modify = button(this, "btnModify", "Modify");
    QPushButton *up = button(this, "btnMoveUp", "Move Up");
    QPushButton *down = button(this, "btnMoveDown", "Move Down");
    QPushButton *moveTo = button(this, "btnMoveTo", "Move To");
    QPushButton *newList = button(this, "btnNewList", "New List");
    QPushButton *load = button(this, "btnLoadList", "Load List");
    QPushButton *save = button(this, "btnSaveList", "Save List");
    QPushButton *saveAs = button(this, "btnSaveListAs", "Save List As ...");
    QPushButton *run = button(this, "btnRun", "Run");
    QPushButton *stop = button(this, "btnStop", "Stop");
    stop->setEnabled(false);
    QPushButton *close = button(this, "btnClose", "Close");
    m_run = run;
    m_stop = stop;
    m_close = close;
    for (QPushButton *b : {add, remove, modify, up, down, moveTo})
        side->addWidget(b);
    side->addSpacing(12);
    for (QPushButton *b : {newList, load, save, saveAs})
        side->addWidget(b);
    side->addStretch(1);
    side->addWidget(run);
    side->addWidget(stop);
    side->addWidget(close);
    top->addLayout(side);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setValue(0);
    m_progress->setEnabled(false);
    // "k of n" and the running step's name.
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblRunStatus"));
    QHBoxLayout *bottom = new QHBoxLayout;
    bottom->addWidget(m_progress, 1);
    bottom->addWidget(m_status);

    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    resize(640, 480);

    connect(add, &QPushButton::clicked, this, &RunProcessesDialog::on_btnAddProcess_clicked);
    connect(remove, &QPushButton::clicked, this, &RunProcessesDialog::on_btnRemoveProcess_clicked);
    connect(modify, &QPushButton::clicked, this, &RunProcessesDialog::on_btnModify_clicked);
    connect(up, &QPushButton::clicked, this, &RunProcessesDialog::on_btnMoveUp_clicked);
    connect(down, &QPushButton::clicked, this, &RunProcessesDialog::on_btnMoveDown_clicked);
    connect(moveTo, &QPushButton::clicked, this, &RunProcessesDialog::on_btnMoveTo_clicked);
    connect(newList, &QPushButton::clicked, this, &RunProcessesDialog::on_btnNewList_clicked);
    connect(load, &QPushButton::clicked, this, &RunProcessesDialog::on_btnLoadList_clicked);
    connect(save, &QPushButton::clicked, this, &RunProcessesDialog::on_btnSaveList_clicked);
    connect(saveAs, &QPushButton::clicked, this, &RunProcessesDialog::on_btnSaveListAs_clicked);
    connect(run, &QPushButton::clicked, this, &RunProcessesDialog::on_btnRun_clicked);
    connect(stop, &QPushButton::clicked, this, &RunProcessesDialog::on_btnStop_clicked);
    connect(close, &QPushButton::clicked, this, &RunProcessesDialog::on_btnClose_clicked);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &RunProcessesDialog::on_treeWidget_itemDoubleClicked);
    connect(m_tree, &QTreeWidget::itemExpanded, this, &RunProcessesDialog::on_treeWidget_itemExpanded);
    connect(m_tree, &QTreeWidget::itemCollapsed, this, &RunProcessesDialog::on_treeWidget_itemCollapsed);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &RunProcessesDialog::selectionChanged);
}

bool RunProcessesDialog::onGuiThread() const { return QThread::currentThread() == thread(); }

boost::shared_ptr<TotalVolume> RunProcessesDialog::currentVolume() const
{
    QMutexLocker lock(&m_volumeMutex);
    return m_volume;
}

bool RunProcessesDialog::isRunning() const { return m_runGuard.available() == 0; }

void RunProcessesDialog::setProcessList(const ProcessList &list)
{
    m_list = list;
    // A list handed over in code is in no file yet.
    m_modified = !list.isEmpty();
    rebuildTree();
}

// ---- tree ------------------------------------------------------------------

void RunProcessesDialog::rebuildTree()
{
    m_rebuilding = true;
    m_tree->clear();
    for (int i = 0; i < m_list.size(); ++i) {
        const ProcessData &step = m_list.at(i);
        QTreeWidgetItem *row = new QTreeWidgetItem(m_tree);
        row->setText(0, QString::number(i + 1));
        row->setText(1, step.displayName());
        row->setData(0, Qt::UserRole, step.getSerial());
        const ProcessData::Parameters &parameters = step.getParameters();
        const ProcessData::Visibilities &visibility = step.getVisibilities();
        for (auto it = parameters.constBegin(); it != parameters.constEnd(); ++it) {
            if (!visibility.value(it.key(), false))
                continue;
            QTreeWidgetItem *child = new QTreeWidgetItem(row);
            child->setText(0, it.key());
            child->setText(1, ProcessListFile::valueText(it.value()));
            if (it.value().userType() == QMetaType::QColor) {
                QPixmap swatch(25, 25);
                swatch.fill(it.value().value<QColor>());
                child->setIcon(1, QIcon(swatch));
            }
        }
        row->setExpanded(step.isExpanded());
        if (step.getSerial() == m_failedSerial) {
            row->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxCritical));
            for (int column = 0; column < 2; ++column) {
                row->setForeground(column, QBrush(Qt::red));
                row->setToolTip(column, m_failure.detail);
            }
        }
    }
    m_rebuilding = false;
}

int RunProcessesDialog::indexOfSerial(int serial) const
{
    for (int i = 0; i < m_list.size(); ++i)
        if (m_list.at(i).getSerial() == serial)
            return i;
    return -1;
}

QList<int> RunProcessesDialog::selectedSteps() const
{
    QList<int> steps;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = m_tree->topLevelItem(i);
        if (!row->isSelected())
            continue;
        const int index = indexOfSerial(row->data(0, Qt::UserRole).toInt());
        if (index >= 0)
            steps << index;
    }
    return steps;
}

void RunProcessesDialog::selectStep(int serial)
{
    const int index = indexOfSerial(serial);
    if (index < 0 || index >= m_tree->topLevelItemCount())
        return;
    QTreeWidgetItem *row = m_tree->topLevelItem(index);
    m_tree->setCurrentItem(row);
    row->setSelected(true);
}

void RunProcessesDialog::on_treeWidget_itemExpanded(QTreeWidgetItem *item)
{
    if (m_rebuilding || !item || item->parent())
        return;
    const int index = indexOfSerial(item->data(0, Qt::UserRole).toInt());
    if (index >= 0)
        m_list[index].setExpanded(true);
}

void RunProcessesDialog::on_treeWidget_itemCollapsed(QTreeWidgetItem *item)
{
    if (m_rebuilding || !item || item->parent())
        return;
    const int index = indexOfSerial(item->data(0, Qt::UserRole).toInt());
    if (index >= 0)
        m_list[index].setExpanded(false);
}

void RunProcessesDialog::selectionChanged()
{
    // Only step rows are meaningful to the editing buttons.
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    if (!selected.isEmpty() && selected.first()->parent())
        m_tree->clearSelection();
}

// ---- list editing ------------------------------------------------------------

void RunProcessesDialog::on_btnAddProcess_clicked()
{
    bool ok = false;
    const int type = m_process->currentData().toInt(&ok);
    if (!ok)
        return;
    ProcessData step(type);
    ProcessStepEditor editor(*m_prompts, this);
    const boost::shared_ptr<TotalVolume> volume = currentVolume();
    if (volume)
        editor.setVolume(*volume);
    if (!editor.edit(step, true))
        return;
    m_list.append(step);
    setModified();
    rebuildTree();
    selectStep(step.getSerial());
}

void RunProcessesDialog::editStep(int index)
{
    if (index < 0 || index >= m_list.size())
        return;
    ProcessData step = m_list.at(index);
    ProcessStepEditor editor(*m_prompts, this);
    const boost::shared_ptr<TotalVolume> volume = currentVolume();
    if (volume)
        editor.setVolume(*volume);
    if (!editor.edit(step, false))
        return;
    // The list may not have changed while the dialog was open, but look the step up again anyway.
    const int now = indexOfSerial(step.getSerial());
    if (now < 0)
        return;
    m_list[now] = step;
    setModified();
    rebuildTree();
    selectStep(step.getSerial());
}

void RunProcessesDialog::on_btnModify_clicked()
{
    const QList<int> selected = selectedSteps();
    if (!selected.isEmpty())
        editStep(selected.first());
}

void RunProcessesDialog::on_treeWidget_itemDoubleClicked(QTreeWidgetItem *item, int)
{
    if (!item)
        return;
    QTreeWidgetItem *row = item->parent() ? item->parent() : item;
    editStep(indexOfSerial(row->data(0, Qt::UserRole).toInt()));
}

void RunProcessesDialog::on_btnRemoveProcess_clicked()
{
    const QList<int> selected = selectedSteps();
    if (selected.isEmpty())
        return;
    for (int i = selected.size() - 1; i >= 0; --i)
        m_list.removeAt(selected.at(i));
    setModified();
    rebuildTree();
}

void RunProcessesDialog::on_btnMoveUp_clicked()
{
    const QList<int> selected = selectedSteps();
    if (selected.isEmpty() || selected.first() == 0)
        return;
    const int index = selected.first();
    const int serial = m_list.at(index).getSerial();
    m_list.move(index, index - 1);
    setModified();
    rebuildTree();
    selectStep(serial);
}

void RunProcessesDialog::on_btnMoveDown_clicked()
{
    const QList<int> selected = selectedSteps();
    if (selected.isEmpty() || selected.first() >= m_list.size() - 1)
        return;
    const int index = selected.first();
    const int serial = m_list.at(index).getSerial();
    m_list.move(index, index + 1);
    setModified();
    rebuildTree();
    selectStep(serial);
}

void RunProcessesDialog::on_btnMoveTo_clicked()
{
    const QList<int> selected = selectedSteps();
    if (selected.isEmpty())
        return;
    const int serial = m_list.at(selected.first()).getSerial();
    UtilDialog::MoveTo dialog(m_list, serial, this);
    if (dialog.stepCount() == 0 || m_prompts->exec(&dialog) != QDialog::Accepted)
        return;
    const int target = dialog.targetSerial();
    const int from = indexOfSerial(serial);
    if (target < 0 || target == serial || from < 0 || indexOfSerial(target) < 0)
        return;
    const ProcessData moving = m_list.takeAt(from);
    const int at = indexOfSerial(target);
    m_list.insert(dialog.after() ? at + 1 : at, moving);
    setModified();
    rebuildTree();
    selectStep(serial);
}

// ---- files ---------------------------------------------------------------------

void RunProcessesDialog::setModified() { m_modified = true; }

void RunProcessesDialog::setFileName(const QString &fileName)
{
    m_fileName = fileName;
    setWindowTitle(fileName.isEmpty() ? m_baseTitle : m_baseTitle + QLatin1Char(' ') + fileName);
}

void RunProcessesDialog::on_btnNewList_clicked()
{
    if (m_list.isEmpty())
        return;
    switch (m_prompts->askNewList(this)) {
    case QMessageBox::Save:
        // Emptying after a save that did not happen would lose the list.
        if (!saveList())
            return;
        break;
    case QMessageBox::Discard:
        break;
    case QMessageBox::Cancel:
        return;
    default:
        qDebug().noquote() << Location << "Ui::RunProcessesDialog::on_btnNewList_clicked"
                           << "Run process create new list message box returned unexpected value.";
        return;
    }
    m_list.clear();
    m_modified = false;
    setFileName(QString());
    rebuildTree();
}

bool RunProcessesDialog::loadList(const QString &fileName)
{
    ListConflictResolver resolver(*m_prompts, this);
    ProcessListFile::LoadResult result;
    if (!ProcessListFile::load(fileName, result, &resolver)) {
        m_prompts->showWarning(this, ProcessListFile::dialogTitle(),
                               QStringLiteral("The process list %1 could not be loaded: %2")
                                   .arg(QDir::toNativeSeparators(fileName), result.error));
        return false;
    }
    m_list = result.list;
    m_modified = false;
    setFileName(fileName);
    rebuildTree();
    if (result.upgraded)
        m_prompts->showWarning(this, ProcessListFile::upgradeTitle(), ProcessListFile::upgradeText());
    return true;
}

void RunProcessesDialog::on_btnLoadList_clicked()
{
    const QString fileName = m_prompts->chooseOpenFile(this, ProcessListFile::dialogTitle(), QDir::homePath(),
                                                       ProcessListFile::filter());
    if (!fileName.isEmpty())
        loadList(fileName);
}

bool RunProcessesDialog::saveTo(const QString &fileName)
{
    QString error;
    if (ProcessListFile::save(m_list, fileName, &error)) {
        m_modified = false;
        return true;
    }
    m_prompts->showWarning(this, ProcessListFile::dialogTitle(),
                           QStringLiteral("The process list could not be saved to %1: %2")
                               .arg(QDir::toNativeSeparators(fileName), error));
    return false;
}

bool RunProcessesDialog::saveList()
{
    if (m_fileName.isEmpty())
        return saveListAs();
    return saveTo(m_fileName);
}

bool RunProcessesDialog::saveListAs()
{
    const QString start = m_fileName.isEmpty() ? QDir::homePath() : m_fileName;
    const QString chosen =
        m_prompts->chooseSaveFile(this, ProcessListFile::dialogTitle(), start, ProcessListFile::filter());
    // Without ".plst" the list would not show under the filter of Load List.
    const QString fileName = ProcessListFile::withExtension(chosen);
    // The file dialog asked about replacing the name it returned, not about the completed one.
    if (fileName != chosen && QFileInfo::exists(fileName) && !m_prompts->confirmReplace(this, fileName))
        return false;
    if (fileName.isEmpty() || !saveTo(fileName))
        return false;
    setFileName(fileName);
    return true;
}

void RunProcessesDialog::on_btnSaveList_clicked() { saveList(); }

void RunProcessesDialog::on_btnSaveListAs_clicked() { saveListAs(); }

// ---- running ---------------------------------------------------------------------

void RunProcessesDialog::on_btnRun_clicked()
{
    m_progress->setValue(0);
    m_progress->setEnabled(true);
    m_progress->setRange(0, m_list.size());
    if (!m_runGuard.tryAcquire())
        return;
    // The worker runs a copy, so the list stays editable during the run.
    m_runList = m_list;
    m_completed.storeRelease(0);
    m_stopRequested.storeRelease(0);
    m_failure = Failure();
    if (m_failedSerial >= 0) {
        m_failedSerial = -1;
        rebuildTree();
    }
    setRunControls(true);
    showRunStatus();
    m_progressTimer.start();
    m_worker = QtConcurrent::run(&m_workerPool, [this]() { runProcessList(); });
}

void RunProcessesDialog::runProcessList()
{
    m_completed.storeRelease(0);
    Core::Steps::ProcessRunContext context;
    context.volume = currentVolume();
    context.latticeStale = m_workspace ? &m_workspace->latticeStaleByVolume() : nullptr;
    context.host = this;
    // Layout masks named relative to a saved list are found beside it.
    if (!m_fileName.isEmpty())
        context.listFolder = QFileInfo(m_fileName).absolutePath();
    Core::Steps::runProcessSteps(
        m_runList, context,
        [this, &context](int index, int code, qint64) {
            if (code == Core::Steps::StepSucceeded) {
                m_completed.fetchAndAddOrdered(1);
                // Show the step at once rather than at the next tick; the timer stays the fallback.
                QMetaObject::invokeMethod(this, "updateProgress", Qt::QueuedConnection);
                return;
            }
            // No volume: the finished run says so in a message box.
            if (code == Core::Steps::StepNoVolume)
                return;
            m_failure.index = index;
            m_failure.code = code;
            m_failure.detail = context.detail;
            qDebug().noquote() << Location << "Ui::RunProcessesDialog::runProcessList"
                               << QStringLiteral("Could not run process ") + m_runList.at(index).displayName() +
                                      QStringLiteral(" : ") + Core::Steps::processStepResultText(code);
            if (!context.detail.isEmpty())
                qDebug().noquote() << Location << "Ui::RunProcessesDialog::runProcessList" << context.detail;
        },
        [this]() { return m_closing.loadAcquire() != 0 || m_stopRequested.loadAcquire() != 0; });
    m_runGuard.release();
    QMetaObject::invokeMethod(this, "updateProgress", Qt::QueuedConnection);
}

void RunProcessesDialog::updateProgress()
{
    // Nothing to show outside a run; a late call must not finish a run twice.
    if (!m_progressTimer.isActive())
        return;
    m_progress->setValue(m_completed.loadAcquire());
    if (!m_runGuard.tryAcquire()) {
        showRunStatus();
        return;
    }
    m_progressTimer.stop();
    const boost::shared_ptr<TotalVolume> volume = currentVolume();
    if (volume) {
        volume->getPainter().regenerate();
        if (m_workspace)
            m_workspace->requestRedraw();
        if (m_view)
            m_view->update();
    } else {
        m_prompts->showCritical(this, QString::fromLatin1(MissingVolumeTitle), QString::fromLatin1(MissingVolumeText));
        m_completed.storeRelease(0);
    }
    m_progress->setValue(m_completed.loadAcquire());
    setRunControls(false);
    reportRunEnd();
    m_runGuard.release();
    emit runFinished();
}

void RunProcessesDialog::on_btnStop_clicked()
{
    if (!isRunning())
        return;
    m_stopRequested.storeRelease(1);
    m_stop->setEnabled(false);
    m_status->setText(QStringLiteral("Stopping after the running step ..."));
}

void RunProcessesDialog::setRunControls(bool running)
{
    m_run->setEnabled(!running);
    m_close->setEnabled(!running);
    m_stop->setEnabled(running);
}

void RunProcessesDialog::showRunStatus()
{
    if (m_stopRequested.loadAcquire())
        return;
    const int n = m_runList.size();
    const int k = std::min(m_completed.loadAcquire(), n - 1);
    if (k < 0)
        return;
    m_status->setText(QStringLiteral("%1 of %2: %3").arg(k + 1).arg(n).arg(m_runList.at(k).displayName()));
}

void RunProcessesDialog::reportRunEnd()
{
    const int n = m_runList.size();
    const int done = m_completed.loadAcquire();
    if (m_failure.index >= 0 && m_failure.index < n) {
        const ProcessData &step = m_runList.at(m_failure.index);
        m_failedSerial = step.getSerial();
        rebuildTree();
        m_status->setText(
            QStringLiteral("%1 of %2 failed: %3").arg(m_failure.index + 1).arg(n).arg(step.displayName()));
        QString text = QStringLiteral("Step %1 of %2, \"%3\", could not be run: %4")
                           .arg(m_failure.index + 1)
                           .arg(n)
                           .arg(step.displayName(), Core::Steps::processStepResultText(m_failure.code));
        if (!m_failure.detail.isEmpty())
            text += QLatin1Char('\n') + m_failure.detail;
        text += QStringLiteral("\nThe steps before it stay applied.");
        m_prompts->showWarning(this, QStringLiteral("Process Failed"), text);
    } else if (m_stopRequested.loadAcquire() && done < n) {
        m_status->setText(QStringLiteral("Stopped after %1 of %2 steps.").arg(done).arg(n));
    } else {
        m_status->setText(QStringLiteral("%1 of %2 steps done.").arg(done).arg(n));
    }
}

void RunProcessesDialog::setCurrentVolume(const boost::shared_ptr<TotalVolume> &volume)
{
    if (!volume)
        return;
    {
        QMutexLocker lock(&m_volumeMutex);
        m_volume = volume;
    }
    if (onGuiThread())
        addVolumeToScene(volume);
    else
        QMetaObject::invokeMethod(
            this, [this, volume]() { addVolumeToScene(volume); }, Qt::BlockingQueuedConnection);
}

void RunProcessesDialog::addVolumeToScene(const boost::shared_ptr<TotalVolume> &volume)
{
    if (!m_workspace || m_closing.loadAcquire())
        return;
    Model::Document &document = m_workspace->document();
    for (const boost::shared_ptr<Model::Object> &object : document.getObjects())
        if (object == volume)
            return;
    document.addObject(volume);
}

void RunProcessesDialog::updateGeometry(const QString &fileName)
{
    if (!onGuiThread()) {
        QMetaObject::invokeMethod(this, "updateGeometry", Qt::BlockingQueuedConnection, Q_ARG(QString, fileName));
        return;
    }
    if (m_closing.loadAcquire())
        return;
    const boost::shared_ptr<TotalVolume> volume = currentVolume();
    if (volume)
        volume->getPainter().regenerate();
    if (m_workspace)
        m_workspace->requestRedraw();
    if (fileName.isEmpty())
        return;
    if (!m_view) {
        qDebug().noquote() << Location << "Ui::RunProcessesDialog::updateGeometry"
                           << QStringLiteral("No view to take the picture %1 from.").arg(fileName);
        return;
    }
    const QImage image = m_view->grabImage();
    if (!image.save(fileName))
        qDebug().noquote() << Location << "Ui::RunProcessesDialog::updateGeometry"
                           << QStringLiteral("Could not save the picture %1.").arg(fileName);
}

// ---- closing ---------------------------------------------------------------------

bool RunProcessesDialog::mayClose()
{
    if (!m_runGuard.tryAcquire())
        return false;
    m_runGuard.release();
    // A run that ended since the last tick still has its volume to show.
    if (m_progressTimer.isActive())
        updateProgress();
    if (m_list.isEmpty() || !m_modified)
        return true;
    switch (m_prompts->askCloseList(this)) {
    case QMessageBox::Save:
        return saveList();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void RunProcessesDialog::on_btnClose_clicked()
{
    if (mayClose())
        accept();
}

void RunProcessesDialog::reject()
{
    // Escape and the window's close button: no run left behind, no list lost unasked.
    if (mayClose())
        QDialog::reject();
}

void RunProcessesDialog::closeEvent(QCloseEvent *event)
{
    if (isRunning()) {
        event->ignore();
        return;
    }
    // QDialog turns the event into reject(), which asks about an unsaved list.
    QDialog::closeEvent(event);
}

} // namespace Ui
