#pragma once

#include "Util/iobserver.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace Core {
namespace Operations {
class Workspace;
}
} // namespace Core

namespace Ui {
namespace Observers {

// After a save: names the main window after its scene's document file.
class DocumentSavedObserver : public QObject, public Util::IObserver
{
    Q_OBJECT
public:
    DocumentSavedObserver(QWidget *window, Core::Operations::Workspace *workspace);
    void notify() override;

private:
    QPointer<QWidget> m_window;
    Core::Operations::Workspace *m_workspace;
};

} // namespace Observers
} // namespace Ui
