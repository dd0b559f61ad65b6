#pragma once

#include <QDialog>

class QSpinBox;

namespace Ui {
namespace Analysis {

// Rendering > "Measure Column": a column typed as x, y, or clicked in the
// view while the dialog is open. Not modal, so the view takes clicks.
class MeasureColumnDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MeasureColumnDialog(QWidget *parent = nullptr);

    // The volume's extent: columns run from 0 to size - 1.
    void setVolumeSize(unsigned sizeX, unsigned sizeY);
    void setColumn(unsigned x, unsigned y);

Q_SIGNALS:
    void measureRequested(unsigned x, unsigned y);

private:
    QSpinBox *m_x;
    QSpinBox *m_y;
};

} // namespace Analysis
} // namespace Ui
