#include "layoutmaskpanel.h"

#include "dialogfields.h"
#include "maskfilerow.h"

#include "Core/Steps/executor.h"
#include "Core/Steps/masksettings.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Ui {
namespace Operations {

using Core::Operations::MaskImage;
using Model::Layout::LayerKey;
using Model::Layout::MaskGrid;
using Model::Layout::MaskPlacement;

namespace {
const int PreviewSize = 120;
}

LayoutMaskPanel::LayoutMaskPanel(const QString &prefix, QWidget *parent) : QWidget(parent)
{
    QGridLayout *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    QHBoxLayout *fileRow = new QHBoxLayout;
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("lie") + prefix + QStringLiteral("Layout"));
    QToolButton *browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("tbt") + prefix + QStringLiteral("Layout"));
    browse->setText(QStringLiteral("..."));
    QPushButton *loadButton = new QPushButton(QStringLiteral("Load"), this);
    loadButton->setObjectName(QStringLiteral("btnLoad") + prefix + QStringLiteral("Layout"));
    loadButton->setAutoDefault(false);
    fileRow->addWidget(m_file);
    fileRow->addWidget(browse);
    fileRow->addWidget(loadButton);
    QWidget *fileBox = new QWidget(this);
    fileBox->setLayout(fileRow);
    fileRow->setContentsMargins(0, 0, 0, 0);

    m_structure = new QComboBox(this);
    m_structure->setObjectName(QStringLiteral("cbx") + prefix + QStringLiteral("Structure"));
    m_layer = new QComboBox(this);
    m_layer->setObjectName(QStringLiteral("cbx") + prefix + QStringLiteral("Layer"));
    m_originX = DialogFields::doubleSpinBox(this, QStringLiteral("dbl") + prefix + QStringLiteral("OriginX"), 3, -1e9,
                                            1e9, 0.0, QStringLiteral(" µm"));
    m_originY = DialogFields::doubleSpinBox(this, QStringLiteral("dbl") + prefix + QStringLiteral("OriginY"), 3, -1e9,
                                            1e9, 0.0, QStringLiteral(" µm"));
    m_scale = DialogFields::doubleSpinBox(this, QStringLiteral("dbl") + prefix + QStringLiteral("Scale"), 4, 0.0001,
                                          1e6, 1.0, QStringLiteral(" µm per unit"), 0.1);
    QHBoxLayout *originRow = new QHBoxLayout;
    originRow->setContentsMargins(0, 0, 0, 0);
    originRow->addWidget(m_originX);
    originRow->addWidget(m_originY);
    QWidget *originBox = new QWidget(this);
    originBox->setLayout(originRow);

    QPushButton *applyButton = new QPushButton(QStringLiteral("Apply"), this);
    applyButton->setObjectName(QStringLiteral("btnApply") + prefix + QStringLiteral("Layout"));
    applyButton->setAutoDefault(false);
    QPushButton *removeButton = new QPushButton(QStringLiteral("Remove"), this);
    removeButton->setObjectName(QStringLiteral("btnRemove") + prefix + QStringLiteral("Layout"));
    removeButton->setAutoDefault(false);
    QVBoxLayout *buttons = new QVBoxLayout;
    buttons->addWidget(applyButton);
    buttons->addWidget(removeButton);
    buttons->addStretch();
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("lbl") + prefix + QStringLiteral("Preview"));
    m_preview->setFixedSize(PreviewSize, PreviewSize);
    m_preview->setAlignment(Qt::AlignCenter);

    int row = 0;
    const auto label = [this](const QString &text) { return new QLabel(text, this); };
    grid->addWidget(label(QStringLiteral("File")), row, 0);
    grid->addWidget(fileBox, row++, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("Structure")), row, 0);
    grid->addWidget(m_structure, row++, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("Layer/Datatype")), row, 0);
    grid->addWidget(m_layer, row++, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("Origin")), row, 0);
    grid->addWidget(originBox, row++, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("Scale")), row, 0);
    grid->addWidget(m_scale, row++, 1, 1, 2);
    grid->addLayout(buttons, row, 0);
    grid->addWidget(m_preview, row, 1, 1, 2, Qt::AlignLeft);

    warn = [this](const QString &text) { QMessageBox::warning(this, window()->windowTitle(), text); };
    connect(browse, &QToolButton::clicked, this, [this]() { choose(); });
    connect(loadButton, &QPushButton::clicked, this, [this]() { load(); });
    connect(applyButton, &QPushButton::clicked, this, [this]() { apply(); });
    connect(removeButton, &QPushButton::clicked, this, [this]() { remove(); });
    connect(m_structure, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this]() { fillLayers(); });
    showPreview();
}

void LayoutMaskPanel::setGrid(const MaskGrid &grid)
{
    m_grid = grid;
    showPreview();
}

QString LayoutMaskPanel::fileName() const { return m_file->text().trimmed(); }

void LayoutMaskPanel::setFileName(const QString &name) { m_file->setText(name); }

void LayoutMaskPanel::choose()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Choose Layout File"),
                                                      MaskFileRow::lastDirectory(),
                                                      QStringLiteral("GDSII Files (*.gds *.gdsii *.gds2);;All Files (*)"));
    if (file.isEmpty())
        return;
    m_file->setText(file);
    if (load())
        apply();
}

bool LayoutMaskPanel::load()
{
    QString error;
    Model::Layout::GdsiiLibrary library;
    if (!Model::Layout::GdsiiLibrary::readFile(fileName(), library, error)) {
        m_loaded = false;
        m_structure->clear();
        m_layer->clear();
        if (warn)
            warn(error);
        return false;
    }
    m_library = std::move(library);
    m_loaded = true;
    const QSignalBlocker block(m_structure);
    m_structure->clear();
    // Top structures first, the default one on top; then the rest.
    std::vector<int> order = m_library.topStructures();
    for (size_t i = 0; i < m_library.structures().size(); ++i)
        if (std::find(order.begin(), order.end(), int(i)) == order.end())
            order.push_back(int(i));
    for (int s : order)
        m_structure->addItem(QString::fromStdString(m_library.structures()[size_t(s)].name));
    m_structure->setCurrentIndex(0);
    fillLayers();
    return true;
}

void LayoutMaskPanel::fillLayers()
{
    const QString previous = m_layer->currentText();
    m_layer->clear();
    if (!m_loaded || m_structure->currentIndex() < 0)
        return;
    const std::vector<LayerKey> keys = m_library.layers(m_library.structureIndex(m_structure->currentText().toStdString()));
    for (size_t i = 0; i < keys.size(); ++i) {
        // A layer drawn with several datatypes is offered whole as well.
        const bool several = (i + 1 < keys.size() && keys[i + 1].layer == keys[i].layer);
        if (several && (i == 0 || keys[i - 1].layer != keys[i].layer))
            m_layer->addItem(QStringLiteral("%1 (any datatype)").arg(keys[i].layer), QVariantList{keys[i].layer, -1});
        m_layer->addItem(Model::Layout::layerName(keys[i].layer, keys[i].datatype),
                         QVariantList{keys[i].layer, keys[i].datatype});
    }
    const int again = m_layer->findText(previous);
    if (again >= 0)
        m_layer->setCurrentIndex(again);
}

MaskPlacement LayoutMaskPanel::placement() const
{
    MaskPlacement p;
    p.structure = m_structure->currentText().toStdString();
    const QVariantList key = m_layer->currentData().toList();
    p.layer = key.value(0).toInt();
    p.datatype = key.size() == 2 ? key.value(1).toInt() : -1;
    p.originX = m_originX->value();
    p.originY = m_originY->value();
    p.scale = m_scale->value();
    return p;
}

void LayoutMaskPanel::select(const MaskPlacement &placement)
{
    m_originX->setValue(placement.originX);
    m_originY->setValue(placement.originY);
    m_scale->setValue(placement.scale);
    // A stored choice the file no longer offers (or a file not here) stays
    // shown and chosen, so OK keeps it.
    const QString structure = QString::fromStdString(placement.structure);
    int s = m_structure->findText(structure);
    if (s < 0 && !structure.isEmpty()) {
        const QSignalBlocker block(m_structure);
        m_structure->addItem(structure);
        s = m_structure->count() - 1;
    }
    if (s >= 0) {
        const QSignalBlocker block(m_structure);
        m_structure->setCurrentIndex(s);
    }
    fillLayers();
    for (int i = 0; i < m_layer->count(); ++i) {
        const QVariantList key = m_layer->itemData(i).toList();
        if (key.value(0).toInt() == placement.layer && key.value(1).toInt() == placement.datatype) {
            m_layer->setCurrentIndex(i);
            return;
        }
    }
    m_layer->addItem(Model::Layout::layerName(placement.layer, placement.datatype),
                     QVariantList{placement.layer, placement.datatype});
    m_layer->setCurrentIndex(m_layer->count() - 1);
}

bool LayoutMaskPanel::apply()
{
    QString error;
    if (rasterize(error))
        return true;
    if (warn)
        warn(error);
    return false;
}

bool LayoutMaskPanel::rasterize(QString &error)
{
    error.clear();
    if (!m_loaded) {
        // A file that cannot be read leaves the combos as they are: they may
        // hold a stored choice the step keeps.
        Model::Layout::GdsiiLibrary library;
        if (!Model::Layout::GdsiiLibrary::readFile(fileName(), library, error))
            return false;
        const MaskPlacement kept = placement();
        const bool chosen = m_structure->count() > 0;
        const std::function<void(const QString &)> quiet = warn;
        warn = nullptr;
        load();
        warn = quiet;
        if (chosen)
            select(kept);
    }
    if (!hasGrid())
        error = QStringLiteral("There is no cell volume to draw the layout on.");
    else if (m_layer->currentIndex() < 0)
        error = QStringLiteral("The structure has no layer to draw.");
    std::vector<bool> bits;
    if (error.isEmpty() && Model::Layout::rasterizeLayout(m_library, placement(), m_grid, bits, error)) {
        m_mask.bits = std::move(bits);
        m_mask.width = m_grid.sizeX;
        m_mask.height = m_grid.sizeY;
        showPreview();
        if (onChanged)
            onChanged(m_mask);
        return true;
    }
    return false;
}

void LayoutMaskPanel::remove()
{
    m_mask = MaskImage();
    showPreview();
    if (onChanged)
        onChanged(m_mask);
}

void LayoutMaskPanel::setMask(const MaskImage &mask)
{
    m_mask = mask;
    showPreview();
}

void LayoutMaskPanel::showPreview()
{
    // The volume's outline, its longer side across the preview, opaque cells dark.
    QImage image(PreviewSize, PreviewSize, QImage::Format_ARGB32);
    image.fill(palette().color(QPalette::Window));
    const unsigned sx = hasGrid() ? m_grid.sizeX : m_mask.width, sy = hasGrid() ? m_grid.sizeY : m_mask.height;
    if (sx != 0 && sy != 0) {
        const double lx = sx * (hasGrid() ? m_grid.cellSizeX : 1.0), ly = sy * (hasGrid() ? m_grid.cellSizeY : 1.0);
        const double f = (PreviewSize - 4) / std::max(lx, ly);
        const int w = std::max(1, int(lx * f)), h = std::max(1, int(ly * f));
        const int left = (PreviewSize - w) / 2, top = (PreviewSize - h) / 2;
        QImage cells(int(std::min(sx, 4096u)), int(std::min(sy, 4096u)), QImage::Format_ARGB32);
        cells.fill(Qt::white);
        if (!m_mask.isEmpty() && m_mask.bits.size() == size_t(m_mask.width) * m_mask.height)
            for (int i = 0; i < cells.width(); ++i)
                for (int j = 0; j < cells.height(); ++j) {
                    const unsigned x = unsigned(uint64_t(i) * sx / unsigned(cells.width()));
                    const unsigned y = unsigned(uint64_t(j) * sy / unsigned(cells.height()));
                    if (x < m_mask.width && y < m_mask.height && m_mask.bits[size_t(x) * m_mask.height + y])
                        cells.setPixel(i, cells.height() - 1 - j, qRgb(150, 20, 20));
                }
        QPainter painter(&image);
        painter.drawImage(QRect(left, top, w, h), cells);
        painter.setPen(Qt::black);
        painter.drawRect(left - 1, top - 1, w + 1, h + 1);
    }
    m_preview->setPixmap(QPixmap::fromImage(image));
}

MaskSourceBox::MaskSourceBox(const QString &prefix, const QString &notFound, QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_source = new QComboBox(this);
    m_source->setObjectName(QStringLiteral("cbx") + prefix + QStringLiteral("Source"));
    m_source->addItems({QStringLiteral("Image"), QStringLiteral("GDSII")});
    m_pages = new QStackedWidget(this);
    m_image = new MaskFileRow(prefix, notFound, m_pages);
    m_layout = new LayoutMaskPanel(prefix, m_pages);
    m_pages->addWidget(m_image);
    m_pages->addWidget(m_layout);
    layout->addWidget(m_source);
    layout->addWidget(m_pages);
    // The stack is as tall as its current page, not its tallest.
    const auto fit = [this]() {
        for (int i = 0; i < m_pages->count(); ++i) {
            m_pages->widget(i)->setSizePolicy(QSizePolicy::Preferred,
                                              i == m_pages->currentIndex() ? QSizePolicy::Preferred : QSizePolicy::Ignored);
            m_pages->widget(i)->updateGeometry();
        }
        // Tell the enclosing layouts, so a dialog of fixed size takes the new height.
        m_pages->updateGeometry();
        updateGeometry();
    };
    connect(m_source, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this, fit](int index) {
        m_pages->setCurrentIndex(index);
        fit();
        if (onChanged)
            onChanged(mask());
    });
    fit();
    m_image->onChanged = [this](const MaskImage &m) {
        if (onChanged && !isLayout())
            onChanged(m);
    };
    m_layout->onChanged = [this](const MaskImage &m) {
        if (onChanged && isLayout())
            onChanged(m);
    };
}

bool MaskSourceBox::isLayout() const { return m_source->currentIndex() == 1; }

void MaskSourceBox::setLayout(bool layout) { m_source->setCurrentIndex(layout ? 1 : 0); }

const MaskImage &MaskSourceBox::mask() const { return isLayout() ? m_layout->mask() : m_image->mask(); }

void MaskSourceBox::setWarn(const std::function<void(const QString &)> &warn)
{
    m_image->warn = warn;
    m_layout->warn = warn;
}

bool MaskSourceBox::fillFromLayout(const QVariantMap &parameters, const QString &prefix)
{
    if (parameters.value(Core::Steps::MaskNames(prefix).source).toString() != Core::Steps::MaskSourceLayout)
        return false;
    setLayout(true);
    m_layout->setFileName(parameters.value(Core::Steps::MaskNames(prefix).file).toString());
    MaskPlacement p;
    p.structure = parameters.value(Core::Steps::MaskNames(prefix).structure).toString().toStdString();
    p.layer = parameters.value(Core::Steps::MaskNames(prefix).layer).toInt();
    p.datatype = parameters.value(Core::Steps::MaskNames(prefix).datatype, -1).toInt();
    p.originX = parameters.value(Core::Steps::MaskNames(prefix).originX).toDouble();
    p.originY = parameters.value(Core::Steps::MaskNames(prefix).originY).toDouble();
    p.scale = parameters.value(Core::Steps::MaskNames(prefix).scale, 1.0).toDouble();
    // A list from another machine may name a layout this one lacks: keep the
    // stored bits quietly; a warning comes only when the person presses Load.
    const std::function<void(const QString &)> warn = m_layout->warn;
    m_layout->warn = nullptr;
    m_layout->load();
    m_layout->warn = warn;
    m_layout->select(p);
    MaskImage stored;
    const QVariant bits = parameters.value(prefix);
    if (bits.userType() == qMetaTypeId<std::vector<bool>>()) {
        stored.bits = bits.value<std::vector<bool>>();
        stored.width = parameters.value(Core::Steps::MaskNames(prefix).width).toUInt();
        stored.height = parameters.value(Core::Steps::MaskNames(prefix).height).toUInt();
        if (stored.bits.size() != size_t(stored.width) * stored.height)
            stored = MaskImage();
    }
    m_layout->setMask(stored);
    return true;
}

} // namespace Operations
} // namespace Ui
