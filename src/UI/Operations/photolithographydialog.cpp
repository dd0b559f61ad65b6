#include "Core/Steps/declare.h"
#include "photolithographydialog.h"

#include "dialogfields.h"
#include "layoutmaskpanel.h"
#include "maskfilerow.h"
#include "materialcombobox.h"

#include "Core/Operations/stepoperations.h"
#include "Core/Steps/masksettings.h"
#include "Model/Automaton/totalvolume.h"

#include <QDialogButtonBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

using Core::Operations::MaskImage;

namespace {
const unsigned NegativeResist = 12; // "Photoresist -"
}

const char *const PhotolithographyDialog::TopMaskNotFound =
    "Top Mask file not found!<br/>Please verify the filename is correct and you have the correct permissions.";
const char *const PhotolithographyDialog::BottomMaskNotFound =
    "Bottom mask not found error!<br/>Please verify if the filename is correct and you have the correct permissions.";

PhotolithographyDialog::PhotolithographyDialog(Core::Operations::PhotolithographyOperation *preview, QWidget *parent)
    : QDialog(parent), m_preview(preview)
{
    setObjectName(QStringLiteral("PhotolithographyDialog"));
    setWindowTitle(QStringLiteral("Photolithography Options"));
    // The layout page is taller than the image row: the dialog follows its contents.
    setMinimumWidth(370);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_top = new MaskSourceBox(QStringLiteral("TopMask"), QString::fromLatin1(TopMaskNotFound), this);
    m_bottom = new MaskSourceBox(QStringLiteral("BottomMask"), QString::fromLatin1(BottomMaskNotFound), this);
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxFilm"), 0);
    DialogFields::addRow(grid, this, QStringLiteral("lblTopMask"), QLatin1String(Core::Steps::MaskNames::Top), m_top);
    DialogFields::addRow(grid, this, QStringLiteral("lblBottomMask"), QLatin1String(Core::Steps::MaskNames::Bottom),
                         m_bottom);
    DialogFields::addRow(grid, this, QStringLiteral("lblFilm"), QStringLiteral("Select Film"), m_material);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (m_preview)
        if (const boost::shared_ptr<Model::Automaton::TotalVolume> volume = m_preview->getVolume())
            setGrid(Model::Layout::MaskGrid{volume->getSizeX(), volume->getSizeY(), volume->getCellSizeX(),
                                            volume->getCellSizeY()});

    m_top->onChanged = [this](const MaskImage &mask) {
        if (m_preview)
            m_preview->showTopMask(mask.bits, mask.width, mask.height);
    };
    m_bottom->onChanged = [this](const MaskImage &mask) {
        if (m_preview)
            m_preview->showBottomMask(mask.bits, mask.width, mask.height);
    };
}

PhotolithographyDialog::PhotolithographyDialog(QWidget *parent) : PhotolithographyDialog(nullptr, parent) {}

void PhotolithographyDialog::fillFrom(const QVariantMap &parameters)
{
    struct Row
    {
        MaskSourceBox *source;
        MaskFileRow *row;
        Core::Steps::MaskNames names;
    };
    const Row rows[] = {
        {m_top, m_top->imageRow(), Core::Steps::MaskNames(QLatin1String(Core::Steps::MaskNames::Top))},
        {m_bottom, m_bottom->imageRow(), Core::Steps::MaskNames(QLatin1String(Core::Steps::MaskNames::Bottom))}};
    for (const Row &r : rows)
        if (r.source->fillFromLayout(parameters, r.names.bits)) {
            continue;
        } else if (parameters.contains(r.names.file) && parameters.value(r.names.width).toUInt() != 0) {
            r.row->setFileName(parameters.value(r.names.file).toString());
            // A list written elsewhere may name a file this machine lacks: no
            // warning here, the step keeps the bits it carries unless another
            // file is chosen.
            const std::function<void(const QString &)> warn = r.row->warn;
            r.row->warn = nullptr;
            r.row->apply();
            r.row->warn = warn;
        }
    DialogFields::selectMaterial(m_material, parameters, QLatin1String(Core::Steps::Declare::MaterialBase));
}

MaskFileRow *PhotolithographyDialog::topRow() const { return m_top->imageRow(); }

MaskFileRow *PhotolithographyDialog::bottomRow() const { return m_bottom->imageRow(); }

void PhotolithographyDialog::setGrid(const Model::Layout::MaskGrid &grid)
{
    m_top->setGrid(grid);
    m_bottom->setGrid(grid);
}

unsigned PhotolithographyDialog::materialId() const { return MaterialComboBox::selectedId(m_material); }

const MaskImage &PhotolithographyDialog::topMask() const { return m_top->mask(); }

const MaskImage &PhotolithographyDialog::bottomMask() const { return m_bottom->mask(); }

QVariantMap PhotolithographyDialog::values() const
{
    QVariantMap values;
    if (m_material->currentIndex() >= 0)
        values.insert(QLatin1String(Core::Steps::Declare::MaterialBase), materialId());
    const struct
    {
        const char *prefix;
        const MaskImage &mask;
    } masks[] = {{Core::Steps::MaskNames::Top, topMask()}, {Core::Steps::MaskNames::Bottom, bottomMask()}};
    for (const auto &m : masks) {
        const Core::Steps::MaskNames names{QLatin1String(m.prefix)};
        values.insert(names.bits, QVariant::fromValue(m.mask.bits));
        values.insert(names.width, m.mask.width);
        values.insert(names.height, m.mask.height);
    }
    return values;
}

void PhotolithographyDialog::applyTo(Core::Operations::ProcessOperation &operation) const
{
    operation.setValues(values());
}

bool PhotolithographyDialog::hasMask() const
{
    const auto loaded = [](const MaskImage &mask) { return mask.width != 0 && mask.height != 0 && !mask.bits.empty(); };
    return loaded(topMask()) || loaded(bottomMask());
}

QString PhotolithographyDialog::noMaskText() const
{
    const QString film = MaterialComboBox::selectedName(m_material);
    // The negative resist is developed where the mask is opaque; with none, nowhere.
    if (materialId() == NegativeResist)
        return QStringLiteral("No mask is loaded. %1 is a negative resist: without a mask none of it is "
                              "developed, and the step changes nothing.")
            .arg(film);
    return QStringLiteral("No mask is loaded. Without a mask every run of %1 that meets empty space directly "
                          "above or below it is developed away through its whole height: a %1 film open to the "
                          "top disappears entirely.")
        .arg(film);
}

void PhotolithographyDialog::accept()
{
    if (!hasMask()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Photolithography Without a Mask"), noMaskText(),
                        QMessageBox::NoButton, this);
        box.setObjectName(QStringLiteral("noMaskMessageBox"));
        box.setInformativeText(QStringLiteral("Apply a top or a bottom mask first, or go on without one."));
        QPushButton *goOn = box.addButton(QStringLiteral("Continue Without a Mask"), QMessageBox::AcceptRole);
        goOn->setObjectName(QStringLiteral("btnContinueWithoutMask"));
        QPushButton *back = box.addButton(QStringLiteral("Back to the Masks"), QMessageBox::RejectRole);
        back->setObjectName(QStringLiteral("btnBackToMasks"));
        box.setDefaultButton(back);
        box.exec();
        if (box.clickedButton() != goOn)
            return;
    }
    QDialog::accept();
}

} // namespace Operations
} // namespace Ui
