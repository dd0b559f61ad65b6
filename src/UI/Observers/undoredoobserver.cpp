#include "undoredoobserver.h"

namespace Ui {
namespace Observers {

void UndoRedoObserver::notify() { Q_EMIT stackChanged(); }

} // namespace Observers
} // namespace Ui
