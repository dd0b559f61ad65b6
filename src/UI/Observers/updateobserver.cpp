#include "updateobserver.h"

namespace Ui {
namespace Observers {

void UpdateObserver::notify() { Q_EMIT updateGL(); }

} // namespace Observers
} // namespace Ui
