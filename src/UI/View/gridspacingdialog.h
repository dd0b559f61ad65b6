#pragma once

#include <QDialog>

class QDoubleSpinBox;

namespace Ui {

// "Set Grid Spacing": the distance between grid lines.
class GridSpacingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit GridSpacingDialog(double spacing, QWidget *parent = nullptr);
    double spacing() const;

private:
    QDoubleSpinBox *m_spacing;
};

} // namespace Ui
