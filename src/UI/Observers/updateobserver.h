#pragma once

#include "Util/iobserver.h"

#include <QObject>

namespace Ui {
namespace Observers {

// Turns a change of the scene into a redraw of the view.
class UpdateObserver : public QObject, public Util::IObserver
{
    Q_OBJECT
public:
    using QObject::QObject;
    void notify() override;
Q_SIGNALS:
    void updateGL();
};

} // namespace Observers
} // namespace Ui
