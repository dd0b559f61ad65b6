#pragma once

#include <QDialog>
#include <QVariantMap>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace Core {
namespace Operations {
class SimpleReactiveIonEtchingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Depth, material and directions of a reactive-ion etch.
class SimpleRIEDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SimpleRIEDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    unsigned depth() const;
    unsigned materialId() const;
    bool etchFromBelow() const;
    bool etchFromTop() const;
    void applyTo(Core::Operations::SimpleReactiveIonEtchingOperation &operation) const;

private:
    QSpinBox *m_depth;
    QComboBox *m_material;
    QCheckBox *m_fromBelow;
    QCheckBox *m_fromTop;
};

} // namespace Operations
} // namespace Ui
