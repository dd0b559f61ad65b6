#pragma once

#include "Util/iobserver.h"

class QAction;

namespace Core {
namespace Operations {
class Selection;
}
} // namespace Core

namespace Ui {
namespace Observers {

// Keeps the "Select" entry checked exactly while selection mode is on, also
// when an operation switches the mode.
class SelectionModeObserver : public Util::IObserver
{
public:
    SelectionModeObserver(QAction *action, Core::Operations::Selection *selection);
    void notify() override;

private:
    QAction *m_action;
    Core::Operations::Selection *m_selection;
};

} // namespace Observers
} // namespace Ui
