#include "materialcombobox.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QColor>
#include <QComboBox>
#include <QPixmap>

namespace Ui {
namespace Operations {

int MaterialComboBox::fillFromProcess(QComboBox *box, unsigned processId)
{
    return fill(box, Model::Process::ProcessFactory::instance()->getProcess(processId).getCompatibleMaterials());
}

int MaterialComboBox::fillFromCatalogue(QComboBox *box)
{
    return fill(box, Model::Materials::MaterialFactory::instance()->getMaterials());
}

int MaterialComboBox::fill(QComboBox *box, const QList<Model::Materials::Material> &materials)
{
    box->clear();
    for (const Model::Materials::Material &material : materials)
        box->addItem(materialIcon(material), material.getName(), QVariant(material.getId()));
    return box->count();
}

bool MaterialComboBox::select(QComboBox *box, unsigned id, const QString &name)
{
    int index = id != 0 ? box->findData(QVariant(id)) : -1;
    if (index < 0 && !name.isEmpty())
        index = box->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return false;
    box->setCurrentIndex(index);
    return true;
}

bool MaterialComboBox::setUp(QComboBox *box, unsigned processId, unsigned selectedId, const QString &selectedName)
{
    if (processId != 0)
        fillFromProcess(box, processId);
    else
        fillFromCatalogue(box);
    return select(box, selectedId, selectedName);
}

unsigned MaterialComboBox::selectedId(const QComboBox *box)
{
    return box->currentIndex() < 0 ? 0u : box->currentData().toUInt();
}

QString MaterialComboBox::selectedName(const QComboBox *box)
{
    return box->currentIndex() < 0 ? QString() : box->currentText();
}

Model::Materials::Material MaterialComboBox::selectedMaterial(const QComboBox *box)
{
    return Model::Materials::MaterialFactory::instance()->getMaterial(selectedId(box));
}

QColor MaterialComboBox::materialColor(const Model::Materials::Material &material)
{
    const Util::Vector4D c = material.getColor();
    auto channel = [](double v) { return qBound(0, static_cast<int>(static_cast<float>(v) * 255.0f), 255); };
    return QColor(channel(c.x), channel(c.y), channel(c.z), channel(c.w));
}

QIcon MaterialComboBox::materialIcon(const Model::Materials::Material &material)
{
    QPixmap swatch(100, 100);
    swatch.fill(materialColor(material));
    return QIcon(swatch);
}

} // namespace Operations
} // namespace Ui
