#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace Core {
namespace Operations {
class ExtractFilm;
}
} // namespace Core

namespace Ui {
namespace Operations {

// The material of the film to extract and whether to turn it over.
class ExtractFilmDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ExtractFilmDialog(QWidget *parent = nullptr);
    void applyTo(Core::Operations::ExtractFilm &operation) const;

private:
    QComboBox *m_material;
    QCheckBox *m_invert;
};

} // namespace Operations
} // namespace Ui
