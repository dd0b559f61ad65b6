#pragma once

#include "Model/Analysis/crosssection.h"

#include <boost/shared_ptr.hpp>

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace Ui {
namespace Analysis {

// File > Export > "Cross-Section…": the axis, the cell index, the particle
// view when the volume carries counts, the PNG file, and a live preview of
// the slice. OK writes the file; a failure keeps the dialog open with the reason.
class CrossSectionDialog : public QDialog
{
    Q_OBJECT
public:
    CrossSectionDialog(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume, QWidget *parent = nullptr);

    Model::Analysis::SectionAxis axis() const;
    unsigned index() const;
    Model::Analysis::CrossSectionOptions options() const;
    QString fileName() const;
    // The preview as drawn last (full size, before scaling into the label).
    const QImage &preview() const { return m_preview; }

    static QString rememberedFolder();

public Q_SLOTS:
    void accept() override;
    void updatePreview();

private Q_SLOTS:
    void axisChanged();
    void chooseFile();

private:
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    QComboBox *m_axis;
    QSpinBox *m_index;
    QComboBox *m_particles;
    QLabel *m_previewLabel;
    QLineEdit *m_file;
    QPushButton *m_browse;
    QImage m_preview;
};

} // namespace Analysis
} // namespace Ui
