#include "selectionmodeobserver.h"

#include "Core/Operations/selection.h"

#include <QAction>
#include <QSignalBlocker>

namespace Ui {
namespace Observers {

SelectionModeObserver::SelectionModeObserver(QAction *action, Core::Operations::Selection *selection)
    : m_action(action), m_selection(selection)
{
}

void SelectionModeObserver::notify()
{
    // Setting the check state must not loop back into the selection.
    const QSignalBlocker block(m_action);
    m_action->setChecked(m_selection->isSelectionMode());
}

} // namespace Observers
} // namespace Ui
