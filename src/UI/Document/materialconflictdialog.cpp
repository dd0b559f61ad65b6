#include "materialconflictdialog.h"

#include "Model/Materials/materialfactory.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtGlobal>

namespace Ui {

using Core::Operations::ConflictChoice;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {

// The colour as the catalogue file writes it: each channel truncated to 0..255.
QColor toColor(const Util::Vector4D &c)
{
    auto channel = [](double v) { return qBound(0, int(float(v) * 255.0f), 255); };
    return QColor(channel(c.x), channel(c.y), channel(c.z), channel(c.w));
}

QPixmap swatch(const Util::Vector4D &color, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(toColor(color));
    return pixmap;
}

QLabel *label(const QString &objectName, const QString &text, QWidget *parent)
{
    QLabel *l = new QLabel(text, parent);
    l->setObjectName(objectName);
    return l;
}

// One material's group: heading, name, colour text and a 20 x 20 swatch.
QWidget *materialGroup(const QString &prefix, const QString &heading, const Material &material, QWidget *parent)
{
    QWidget *group = new QWidget(parent);
    QGridLayout *layout = new QGridLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    QLabel *title = label(QStringLiteral("lbl") + prefix, heading, group);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title, 0, 0, 1, 3);
    layout->addWidget(label(QStringLiteral("lbl") + prefix + QStringLiteral("Name"), material.getName(), group), 1, 0);
    layout->addWidget(label(QStringLiteral("lbl") + prefix + QStringLiteral("Color"),
                            MaterialFactory::colorToString(material.getColor()), group),
                      1, 1);
    QLabel *sample = label(QStringLiteral("lbl") + prefix + QStringLiteral("Swatch"), QString(), group);
    sample->setPixmap(swatch(material.getColor(), 20));
    sample->setFixedSize(20, 20);
    layout->addWidget(sample, 1, 2);
    layout->setColumnStretch(0, 1);
    return group;
}

QRadioButton *radio(const QString &objectName, const QString &text, QWidget *parent)
{
    QRadioButton *button = new QRadioButton(text, parent);
    button->setObjectName(objectName);
    return button;
}

} // namespace

MaterialConflictDialog::MaterialConflictDialog(const Material &existing, const Material &loaded, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("MaterialConflictDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    setModal(true);

    QVBoxLayout *layout = new QVBoxLayout(this);
    QLabel *message = label(QStringLiteral("lblMessage"),
                            QStringLiteral("While loading the document, a material with the same identifier as an "
                                           "existing material was found, but the names are not the same. What would "
                                           "you like to do?"),
                            this);
    message->setWordWrap(true);
    layout->addWidget(message);
    layout->addWidget(materialGroup(QStringLiteral("LoadedMaterial"), QStringLiteral("Loaded Material"), loaded, this));
    layout->addWidget(
        materialGroup(QStringLiteral("ExistingMaterial"), QStringLiteral("Existing Material"), existing, this));

    m_replaceLoadedByExisting = radio(QStringLiteral("radReplaceLoadedByExisting"),
                                      QStringLiteral("Replace loaded material by existing material."), this);
    m_replaceExistingByLoaded = radio(QStringLiteral("radReplaceExistingByLoaded"),
                                      QStringLiteral("Replace existing material by loaded material"), this);
    m_replaceLoadedByAnother = radio(QStringLiteral("radReplaceLoadedByAnother"),
                                     QStringLiteral("Replace loaded material by another existing material"), this);
    m_addLoadedAsNew =
        radio(QStringLiteral("radAddLoadedAsNew"), QStringLiteral("Add loaded material as a new material"), this);
    layout->addWidget(m_replaceLoadedByExisting);
    layout->addWidget(m_replaceExistingByLoaded);
    layout->addWidget(m_replaceLoadedByAnother);

    QHBoxLayout *replacement = new QHBoxLayout;
    replacement->addSpacing(20);
    replacement->addWidget(label(QStringLiteral("lblReplacementMaterial"), QStringLiteral("Replacement Material"), this));
    m_alternate = new QComboBox(this);
    m_alternate->setObjectName(QStringLiteral("cbxAlternateMaterial"));
    m_alternate->setIconSize(QSize(16, 16));
    for (const Material &m : MaterialFactory::instance()->getMaterials())
        m_alternate->addItem(QIcon(swatch(m.getColor(), 100)), m.getName(), m.getId());
    replacement->addWidget(m_alternate, 1);
    layout->addLayout(replacement);
    layout->addWidget(m_addLoadedAsNew);

    m_replaceLoadedByExisting->setChecked(true);
    m_alternate->setEnabled(false);
    connect(m_replaceLoadedByAnother, &QRadioButton::toggled, m_alternate, &QComboBox::setEnabled);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

MaterialConflictDialog::~MaterialConflictDialog() = default;

ConflictChoice MaterialConflictDialog::choice() const
{
    if (m_replaceExistingByLoaded->isChecked())
        return ConflictChoice::ReplaceExistingByLoaded;
    if (m_replaceLoadedByAnother->isChecked())
        return ConflictChoice::ReplaceLoadedByAnother;
    if (m_addLoadedAsNew->isChecked())
        return ConflictChoice::AddLoadedAsNew;
    return ConflictChoice::ReplaceLoadedByExisting;
}

unsigned MaterialConflictDialog::alternateMaterialId() const
{
    return m_alternate->currentIndex() < 0 ? 0u : m_alternate->currentData().toUInt();
}

} // namespace Ui
