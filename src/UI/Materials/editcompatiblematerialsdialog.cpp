#include "editcompatiblematerialsdialog.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {

using Model::Materials::Material;
using Model::Process::ProcessFactory;
using Model::Process::ProcessInfo;

namespace {

QListWidget *materialList(const QString &objectName, QWidget *parent)
{
    QListWidget *list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

void addMaterialItem(QListWidget *list, const Material &material)
{
    QListWidgetItem *item = new QListWidgetItem(material.getName(), list);
    item->setData(Qt::UserRole, material.getId());
}

QList<unsigned> selectedIds(const QListWidget *list)
{
    QList<unsigned> ids;
    // Row order, not click order, so the appended ids follow the list.
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->isSelected())
            ids.append(list->item(row)->data(Qt::UserRole).toUInt());
    return ids;
}

} // namespace

EditCompatibleMaterialsDialog::EditCompatibleMaterialsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EditCompatibleMaterialsDialog"));
    setWindowTitle(tr("Edit Compatible Materials"));
    setModal(true);

    QLabel *processLabel = new QLabel(tr("Process"), this);
    processLabel->setObjectName(QStringLiteral("lblProcess"));
    m_processBox = new QComboBox(this);
    m_processBox->setObjectName(QStringLiteral("cbxProcess"));
    processLabel->setBuddy(m_processBox);

    QLabel *availableLabel = new QLabel(tr("Available Materials"), this);
    availableLabel->setObjectName(QStringLiteral("lblAvailableMaterials"));
    QLabel *compatibleLabel = new QLabel(tr("Compatible Materials"), this);
    compatibleLabel->setObjectName(QStringLiteral("lblCompatibleMaterials"));
    m_available = materialList(QStringLiteral("listAvailableMaterials"), this);
    m_compatible = materialList(QStringLiteral("listCompatibleMaterials"), this);

    QPushButton *insert = new QPushButton(QStringLiteral(">>"), this);
    insert->setObjectName(QStringLiteral("btnInsert"));
    insert->setAutoDefault(false);
    QPushButton *remove = new QPushButton(QStringLiteral("<<"), this);
    remove->setObjectName(QStringLiteral("btnRemove"));
    remove->setAutoDefault(false);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));

    QHBoxLayout *processRow = new QHBoxLayout;
    processRow->addWidget(processLabel);
    processRow->addWidget(m_processBox, 1);

    QVBoxLayout *middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(insert);
    middle->addWidget(remove);
    middle->addStretch();

    QGridLayout *lists = new QGridLayout;
    lists->addWidget(availableLabel, 0, 0);
    lists->addWidget(compatibleLabel, 0, 2);
    lists->addWidget(m_available, 1, 0);
    lists->addLayout(middle, 1, 1);
    lists->addWidget(m_compatible, 1, 2);

    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addLayout(processRow);
    layout->addLayout(lists);
    layout->addWidget(buttons);

    for (const ProcessInfo &process : ProcessFactory::instance()->getProcesses()) {
        m_processes.insert(process.getId(), process);
        m_processBox->addItem(process.getName(), QVariant(process.getId()));
    }

    connect(m_processBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &EditCompatibleMaterialsDialog::processChosen);
    connect(insert, &QPushButton::clicked, this, &EditCompatibleMaterialsDialog::insertSelected);
    connect(remove, &QPushButton::clicked, this, &EditCompatibleMaterialsDialog::removeSelected);
    connect(buttons, &QDialogButtonBox::accepted, this, &EditCompatibleMaterialsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EditCompatibleMaterialsDialog::reject);

    processChosen(m_processBox->currentIndex());
}

bool EditCompatibleMaterialsDialog::manageCompatibleMaterials(QWidget *parent)
{
    EditCompatibleMaterialsDialog dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}

void EditCompatibleMaterialsDialog::processChosen(int index)
{
    m_current = index < 0 ? 0u : m_processBox->itemData(index).toUInt();
    refresh();
}

void EditCompatibleMaterialsDialog::refresh()
{
    m_available->clear();
    m_compatible->clear();
    if (m_current == 0)
        return;
    const ProcessInfo process = m_processes.value(m_current);
    for (const Material &material : process.getCompatibleMaterials())
        addMaterialItem(m_compatible, material);
    const QList<unsigned> listed = process.getCompatibleMaterialIds();
    for (const Material &material : Model::Materials::MaterialFactory::instance()->getMaterials())
        if (!listed.contains(material.getId()))
            addMaterialItem(m_available, material);
}

void EditCompatibleMaterialsDialog::insertSelected()
{
    if (m_current == 0)
        return;
    ProcessInfo &process = m_processes[m_current];
    for (unsigned id : selectedIds(m_available))
        process.addCompatibleMaterial(id);
    m_available->clearSelection();
    m_compatible->clearSelection();
    refresh();
}

void EditCompatibleMaterialsDialog::removeSelected()
{
    if (m_current == 0)
        return;
    ProcessInfo &process = m_processes[m_current];
    for (unsigned id : selectedIds(m_compatible))
        process.removeCompatibleMaterial(id);
    m_available->clearSelection();
    m_compatible->clearSelection();
    refresh();
}

void EditCompatibleMaterialsDialog::accept()
{
    const boost::shared_ptr<ProcessFactory> catalogue = ProcessFactory::instance();
    for (const ProcessInfo &process : m_processes)
        catalogue->setProcess(process);
    if (!catalogue->saveProcesses())
        QMessageBox::warning(this, windowTitle(),
                             tr("The processes could not be written to \"processes.xml\". The changes apply to "
                                "this session only."));
    QDialog::accept();
}

} // namespace Ui
