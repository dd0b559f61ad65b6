#pragma once

#include <boost/shared_ptr.hpp>

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QPoint;
class QWidget;

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Ui {

class GLWidget;
class MainWindowPresenter;

namespace Analysis {

class MeasureColumnDialog;

// The program's front end of the analysis functions: File > Export >
// "Cross-Section…", "Geometry (VTK)…", "Surfaces (STL)…", "Smooth Surfaces
// (STL)…" and Rendering >
// "Measure Column". Each works on the selected cell volume, or the only one
// in the scene; failures reach the person through the workspace's error
// report, results the console.
class AnalysisActions : public QObject
{
    Q_OBJECT
public:
    // Asks for a file to write: title, proposed name, filter; empty to cancel.
    typedef std::function<QString(const QString &, const QString &, const QString &)> FileQuestion;

    AnalysisActions(MainWindowPresenter &presenter, GLWidget *view, QWidget *parent);
    ~AnalysisActions() override;

    // Tests answer the file questions themselves.
    void setFileQuestion(const FileQuestion &question) { m_askFile = question; }
    MeasureColumnDialog *measureDialog() const;

public Q_SLOTS:
    void exportCrossSection();
    void exportVti();
    void exportStl();
    void exportSmoothStl();
    void measureColumn();
    // Measures the column at (x, y) of the current volume and prints it.
    void measureAt(unsigned x, unsigned y);
    // A click in the view while the measure dialog is open picks the column there.
    void viewClicked(const QPoint &position);

private:
    boost::shared_ptr<Model::Automaton::TotalVolume> chooseVolume(const QString &title);
    void say(const QString &title, const QString &text);
    void writeStl(const QString &title, int surface);

    MainWindowPresenter &m_presenter;
    GLWidget *m_view;
    QWidget *m_parent;
    FileQuestion m_askFile;
    QPointer<MeasureColumnDialog> m_measure;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_measured;
    QString m_lastFolder;
};

} // namespace Analysis
} // namespace Ui
