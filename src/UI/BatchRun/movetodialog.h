#pragma once

#include "Core/Steps/processdata.h"

#include <QDialog>

class QComboBox;
class QRadioButton;

namespace UtilDialog {

// Chooses where a step of a process list goes: after or before another step.
class MoveTo : public QDialog
{
    Q_OBJECT
public:
    // Lists every step of list except the one with movingSerial, as its
    // position from 1 and its display name, with the serial as item data.
    MoveTo(const Core::Steps::ProcessList &list, int movingSerial, QWidget *parent = nullptr);

    int stepCount() const;
    // The serial of the chosen step, -1 when there is none.
    int targetSerial() const;
    // Only a checked "After" moves behind the chosen step.
    bool after() const;

    QComboBox *comboBox() const { return m_comboBox; }
    QRadioButton *afterButton() const { return m_after; }
    QRadioButton *beforeButton() const { return m_before; }

private:
    QComboBox *m_comboBox;
    QRadioButton *m_after;
    QRadioButton *m_before;
};

} // namespace UtilDialog
