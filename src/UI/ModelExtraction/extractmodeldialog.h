#pragma once

#include <QDialog>

class QPushButton;

namespace Core {
namespace Operations {
class RunModelExtraction;
}
} // namespace Core

namespace Ui {
namespace ModelExtraction {

// The three extraction steps, each with its own button, run in order: each
// of the first two buttons gives way to the next; the last stays enabled so
// the netlist can be saved again.
class ExtractModelDialog : public QDialog
{
    Q_OBJECT
public:
    ExtractModelDialog(Core::Operations::RunModelExtraction &operation, QWidget *parent = nullptr);

    QPushButton *stepButton(int step) const { return m_buttons[step - 1]; }

public Q_SLOTS:
    void runStepOneClicked();
    void runStepTwoClicked();
    void runStepThreeClicked();

private:
    void advance(int step, bool succeeded);

    Core::Operations::RunModelExtraction &m_operation;
    QPushButton *m_buttons[3];
};

} // namespace ModelExtraction
} // namespace Ui
