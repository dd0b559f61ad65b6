#pragma once

#include "UI/mainwindowform.h"
#include "UI/mainwindowpresenter.h"

#include <boost/shared_ptr.hpp>

#include <QMainWindow>
#include <QString>

#include <vector>

class QLabel;
class QProgressBar;
class QShortcut;
class QSignalMapper;

namespace Ui {

class GLWidget;
class OperationMapper;

namespace Analysis {
class AnalysisActions;
}

namespace Observers {
class SelectionModeObserver;
class UpdateObserver;
} // namespace Observers

// The program's one main window: menus, the 3-D view, the status bar.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    MainWindowPresenter &presenter() { return m_presenter; }
    GLWidget *view() const { return m_view; }
    QAction *action(const QString &objectName) const { return m_form.action(objectName); }
    const MainWindowForm &form() const { return m_form; }
    Analysis::AnalysisActions *analysisActions() const { return m_analysis; }

    // Called by the presenter when a stack's top changes.
    void setUndoName(const QString &name);
    void setRedoName(const QString &name);

public Q_SLOTS:
    void showConsole(bool show);
    void undoOperation();
    void redoOperation();
    void selectionToggled(bool checked);
    void lightingToggled(bool on);
    void renderObjectsToggled(bool on);
    void renderObjectEdgesToggled(bool on);
    void setView(QString viewAngle);
    void renderGridToggled(bool on);
    void snapToGridToggled(bool on);
    void changeGridSpacing();
    void changeWindowColors();
    void saveImage(QString filename);
    void saveImage();
    void showAboutInfo();
    void on_actionShow_Lights_toggled(bool on);
    void on_actionManage_Materials_triggered();
    void on_actionManage_Compatible_Materials_triggered();
    void on_actionNew_triggered();
    void on_actionSet_View_triggered();
    void on_actionOpen_Process_List_triggered();
    void on_actionNew_Process_List_triggered();
    void on_actionSet_Lighting_triggered();
    void on_actionShow_Axis_toggled(bool on);
    void changeRotationValue_statusBar(std::vector<float> vector3d);
    void changeAxisPositionValue_staturBar(std::vector<float> vector3d);
    void changeViewPostionValue_statusBar(std::vector<float> vector2d);
    void changeZoomValue_statusBar(float value);
    void changeLampPosition_statusBar(std::vector<float> vector4d);
    void repaintCentralWidget();
    // View > Fit to Volume.
    void fitToVolume();
    // The status bar's note of what lies under the mouse pointer.
    void showCellUnderCursor(const QString &text);

protected:
    void changeEvent(QEvent *event) override;

private:
    static QString number(float value);
    // A failed save in the console and in a message box.
    void reportImageNotSaved(const QString &fileName, const QString &reason);

    MainWindowForm m_form;
    MainWindowPresenter m_presenter;
    OperationMapper *m_operationMapper;
    QSignalMapper *m_viewMapper;
    QShortcut *m_enterShortcut;
    QShortcut *m_returnShortcut;
    QShortcut *m_escapeShortcut;
    GLWidget *m_view;
    Analysis::AnalysisActions *m_analysis;
    boost::shared_ptr<Observers::UpdateObserver> m_updateObserver;
    boost::shared_ptr<Observers::SelectionModeObserver> m_selectionModeObserver;
    QString m_undoName;
    QString m_redoName;
    QLabel *m_cursorLabel;      // the cell under the mouse pointer
    QLabel *m_stepLabel;        // the running step, then how it ended
    QProgressBar *m_stepProgress;
};

} // namespace Ui
