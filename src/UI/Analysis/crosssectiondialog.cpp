#include "crosssectiondialog.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/fieldpainter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace Ui {
namespace Analysis {

using namespace Model::Analysis;
using Model::Geometry::FieldPainter;

namespace {
QString &folder()
{
    static QString f;
    return f;
}
const QSize PreviewSize(560, 420);
} // namespace

QString CrossSectionDialog::rememberedFolder() { return folder().isEmpty() ? QDir::homePath() : folder(); }

CrossSectionDialog::CrossSectionDialog(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume,
                                       QWidget *parent)
    : QDialog(parent), m_volume(volume)
{
    setObjectName(QStringLiteral("CrossSectionForm"));
    setWindowTitle(QStringLiteral("Cross-Section"));
    m_axis = new QComboBox(this);
    m_axis->setObjectName(QStringLiteral("cbxAxis"));
    m_axis->addItems({QStringLiteral("x (y-z plane)"), QStringLiteral("y (x-z plane)"), QStringLiteral("z (x-y plane)")});
    m_axis->setCurrentIndex(1);
    m_index = new QSpinBox(this);
    m_index->setObjectName(QStringLiteral("sbxIndex"));
    m_particles = new QComboBox(this);
    m_particles->setObjectName(QStringLiteral("cbxParticles"));
    m_particles->addItems({QStringLiteral("Materials only"), QStringLiteral("N particles"),
                           QStringLiteral("P particles"), QStringLiteral("N + P particles")});
    const bool counts = FieldPainter::countersOf(volume->getProperty(FieldPainter::nTypeProperty())) ||
                        FieldPainter::countersOf(volume->getProperty(FieldPainter::pTypeProperty()));
    // The dopants the volume holds follow, as "B concentration" and so on (item data: the species).
    {
        Model::Automaton::CellLock lock(*volume);
        for (int species : lock.dopants().present())
            m_particles->addItem(QStringLiteral("%1 concentration").arg(Model::Automaton::DopantFields::speciesName(species)),
                                 Model::Automaton::DopantFields::speciesName(species));
    }
    m_particles->setEnabled(counts || m_particles->count() > 4);
    m_previewLabel = new QLabel(this);
    m_previewLabel->setObjectName(QStringLiteral("lblPreview"));
    m_previewLabel->setFixedSize(PreviewSize);
    m_previewLabel->setAlignment(Qt::AlignCenter);
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("lieFile"));
    m_file->setText(QDir(rememberedFolder()).filePath(QStringLiteral("cross-section.png")));
    m_browse = new QPushButton(QStringLiteral("Browse..."), this);
    m_browse->setObjectName(QStringLiteral("btnBrowse"));

    QFormLayout *form = new QFormLayout;
    form->addRow(QStringLiteral("Axis"), m_axis);
    form->addRow(QStringLiteral("Cell index"), m_index);
    form->addRow(QStringLiteral("Show"), m_particles);
    QHBoxLayout *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file);
    fileRow->addWidget(m_browse);
    form->addRow(QStringLiteral("File"), fileRow);
    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(m_previewLabel);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CrossSectionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &CrossSectionDialog::chooseFile);
    connect(m_axis, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CrossSectionDialog::axisChanged);
    connect(m_index, QOverload<int>::of(&QSpinBox::valueChanged), this, &CrossSectionDialog::updatePreview);
    connect(m_particles, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CrossSectionDialog::updatePreview);
    axisChanged();
}

SectionAxis CrossSectionDialog::axis() const { return SectionAxis(m_axis->currentIndex()); }

unsigned CrossSectionDialog::index() const { return unsigned(m_index->value()); }

CrossSectionOptions CrossSectionDialog::options() const
{
    CrossSectionOptions o;
    const int shown = m_particles->isEnabled() ? m_particles->currentIndex() : 0;
    if (shown >= 4)
        o.dopant = m_particles->currentData().toString();
    else
        o.particles = ParticleView(shown);
    return o;
}

QString CrossSectionDialog::fileName() const { return m_file->text(); }

void CrossSectionDialog::axisChanged()
{
    const unsigned size[3] = {m_volume->getSizeX(), m_volume->getSizeY(), m_volume->getSizeZ()};
    const unsigned along = size[m_axis->currentIndex()];
    const QSignalBlocker block(m_index);
    m_index->setRange(0, int(along) - 1);
    m_index->setValue(int(along / 2));
    updatePreview();
}

void CrossSectionDialog::updatePreview()
{
    CrossSection section;
    QString error;
    if (!drawCrossSection(*m_volume, axis(), index(), options(), &section, &error)) {
        m_preview = QImage();
        m_previewLabel->setPixmap(QPixmap());
        m_previewLabel->setText(error);
        return;
    }
    m_preview = section.image;
    m_previewLabel->setPixmap(QPixmap::fromImage(
        m_preview.scaled(PreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void CrossSectionDialog::chooseFile()
{
    const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Cross-Section"), m_file->text(),
                                                      QStringLiteral("PNG image (*.png)"));
    if (!name.isEmpty())
        m_file->setText(name);
}

void CrossSectionDialog::accept()
{
    QString name = m_file->text().trimmed();
    if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".png");
    QString error;
    if (!writeCrossSection(*m_volume, axis(), index(), name, options(), &error)) {
        QMessageBox::warning(this, QStringLiteral("Cross-Section"),
                             QStringLiteral("The cross-section was not written: %1.").arg(error));
        return;
    }
    m_file->setText(name);
    folder() = QFileInfo(name).absolutePath();
    QDialog::accept();
}

} // namespace Analysis
} // namespace Ui
