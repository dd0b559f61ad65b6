#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QLabel;
class QSpinBox;

namespace Core {
namespace Operations {
class MooreNeighborhoodDepositionOperation;
class MooreNeighborhoodEtchingOperation;
} // namespace Operations
} // namespace Core

namespace Ui {
namespace Operations {

// Film material and a whole number of cells, for Moore deposition and etching.
class MooreOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MooreOptionsDialog(QWidget *parent = nullptr);

    // "Film Thickness" or "Etch Depth".
    void setValueLabel(const QString &text);
    // valueName: "Thickness" or "Depth".
    void fillFrom(const QVariantMap &parameters, const QString &valueName);
    unsigned materialId() const;
    unsigned cells() const;
    void applyTo(Core::Operations::MooreNeighborhoodDepositionOperation &operation) const;
    void applyTo(Core::Operations::MooreNeighborhoodEtchingOperation &operation) const;

private:
    QComboBox *m_material;
    QLabel *m_valueLabel;
    QSpinBox *m_cells;
};

} // namespace Operations
} // namespace Ui
