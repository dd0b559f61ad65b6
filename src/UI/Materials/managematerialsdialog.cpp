#include "managematerialsdialog.h"

#include "Core/Operations/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "coloritemdelegate.h"
#include "materialtableviewitem.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace Ui {

using Model::Materials::Material;
using Model::Materials::MaterialFactory;

ManageMaterialsDialog::ManageMaterialsDialog(Core::Operations::Workspace *workspace, QWidget *parent)
    : QDialog(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("ManageMaterialsDialog"));
    setWindowTitle(tr("Manage Materials"));
    setModal(true);

    m_model = new MaterialTableViewItem(MaterialFactory::instance()->getMaterials(), this);
    m_colorDelegate = new ColorItemDelegate(this);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tvwMaterials"));
    m_table->setModel(m_model);
    m_table->setItemDelegateForColumn(MaterialTableViewItem::ColorColumn, m_colorDelegate);
    m_table->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // The id column names each row; a row number beside it only confuses the two.
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(MaterialTableViewItem::NameColumn, QHeaderView::Stretch);

    m_addButton = new QPushButton(tr("Add Material"), this);
    m_addButton->setObjectName(QStringLiteral("btnAddMaterial"));
    m_addButton->setAutoDefault(false);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));

    QHBoxLayout *bottom = new QHBoxLayout;
    bottom->addWidget(m_addButton);
    bottom->addStretch();
    bottom->addWidget(buttons);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(bottom);
    resize(520, 480);

    connect(m_addButton, &QPushButton::clicked, this, &ManageMaterialsDialog::addMaterial);
    connect(buttons, &QDialogButtonBox::accepted, this, &ManageMaterialsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ManageMaterialsDialog::reject);
}

bool ManageMaterialsDialog::manageMaterials(Core::Operations::Workspace *workspace, QWidget *parent)
{
    ManageMaterialsDialog dialog(workspace, parent);
    return dialog.exec() == QDialog::Accepted;
}

void ManageMaterialsDialog::addMaterial()
{
    // The catalogue only knows its own ids; rows added in this session must
    // not share one either, or the later row would replace the earlier on OK.
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    unsigned id = 0;
    for (int attempt = 0; attempt < 1000 && (id == 0 || m_model->containsId(id)); ++attempt)
        id = catalogue->newMaterialId();
    if (id == 0 || m_model->containsId(id))
        return;
    m_model->appendMaterial(
        Material(id, tr("New Material"), 1.0f, 1.0f, 1.0f, Util::Vector4D(0.5, 0.5, 0.5, 1.0)));
    const QModelIndex name = m_model->index(m_model->rowCount() - 1, MaterialTableViewItem::NameColumn);
    m_table->scrollTo(name);
    m_table->setCurrentIndex(name);
}

void ManageMaterialsDialog::accept()
{
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    for (const Material &material : m_model->materials())
        catalogue->setMaterial(material);
    const bool saved = catalogue->saveMaterials();
    if (m_workspace) {
        m_workspace->selection().clear();
        // Volumes already drawn keep the colours they were built with until told.
        m_workspace->recolorVolumes();
        m_workspace->requestRedraw();
    }
    if (!saved)
        QMessageBox::warning(this, windowTitle(),
                             tr("The materials could not be written to \"materials.xml\". The changes apply to "
                                "this session only."));
    QDialog::accept();
}

} // namespace Ui
