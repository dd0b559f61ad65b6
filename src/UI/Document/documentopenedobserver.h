#pragma once

#include "Util/iobserver.h"

#include <QObject>

#include <functional>

class QWidget;

namespace Core {
namespace Operations {
class Workspace;
}
} // namespace Core

namespace Ui {
namespace Observers {

// Opens the last chosen document in a new main window, shown maximized and
// titled after the document; the window that asked stays as it was.
class DocumentOpenedObserver : public QObject, public Util::IObserver
{
    Q_OBJECT
public:
    // A new main window and the workspace of its scene.
    struct Window
    {
        QWidget *window = nullptr;
        Core::Operations::Workspace *workspace = nullptr;
    };
    typedef std::function<Window()> WindowCreator;

    explicit DocumentOpenedObserver(const WindowCreator &createWindow);
    void notify() override;

private:
    WindowCreator m_createWindow;
};

} // namespace Observers
} // namespace Ui
