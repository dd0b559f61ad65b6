#include "maskfilerow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

namespace Ui {
namespace Operations {

namespace {
QString &rememberedDirectory()
{
    static QString directory;
    return directory;
}
} // namespace

QString MaskFileRow::lastDirectory() { return rememberedDirectory(); }

MaskFileRow::MaskFileRow(const QString &prefix, const QString &notFound, QWidget *parent)
    : QWidget(parent), m_notFound(notFound)
{
    QHBoxLayout *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("lie") + prefix);
    QToolButton *browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("tbt") + prefix);
    browse->setText(QStringLiteral("..."));
    QPushButton *applyButton = new QPushButton(QStringLiteral("Apply"), this);
    applyButton->setObjectName(QStringLiteral("btnApply") + prefix);
    applyButton->setAutoDefault(false);
    QPushButton *removeButton = new QPushButton(QStringLiteral("Remove"), this);
    removeButton->setObjectName(QStringLiteral("btnRemove") + prefix);
    removeButton->setAutoDefault(false);
    layout->addWidget(m_file);
    layout->addWidget(browse);
    layout->addWidget(applyButton);
    layout->addWidget(removeButton);

    warn = [this](const QString &text) { QMessageBox::warning(this, windowTitle(), text); };
    connect(browse, &QToolButton::clicked, this, [this]() { choose(); });
    connect(applyButton, &QPushButton::clicked, this, [this]() { apply(); });
    connect(removeButton, &QPushButton::clicked, this, [this]() { remove(); });
}

QString MaskFileRow::fileName() const { return m_file->text(); }

void MaskFileRow::setFileName(const QString &name) { m_file->setText(name); }

void MaskFileRow::choose()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Choose Mask File"), rememberedDirectory(),
                                                      QStringLiteral("Image Files (*.png *.jpg *.bmp)"));
    if (file.isEmpty())
        return;
    m_file->setText(file);
    rememberedDirectory() = QFileInfo(file).absolutePath();
}

bool MaskFileRow::apply()
{
    Core::Operations::MaskImage mask;
    if (!Core::Operations::MaskImage::load(m_file->text(), mask)) {
        if (warn)
            warn(m_notFound);
        return false;
    }
    m_mask = mask;
    if (onChanged)
        onChanged(m_mask);
    return true;
}

void MaskFileRow::remove()
{
    m_mask = Core::Operations::MaskImage();
    if (onChanged)
        onChanged(m_mask);
}

} // namespace Operations
} // namespace Ui
