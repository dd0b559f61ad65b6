#include "materialcombobox.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

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
        box->addItem(materialIcon(material, box->iconSize()), material.getName(), QVariant(material.getId()));
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

QIcon MaterialComboBox::materialIcon(const Model::Materials::Material &material, const QSize &size)
{
    QSize side = size;
    if (!side.isValid() || side.isEmpty()) {
        const int small = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
        side = QSize(small, small);
    }
    QPixmap swatch(side);
    swatch.fill(Qt::transparent);
    QPainter painter(&swatch);
    drawSwatch(&painter, swatch.rect(), materialColor(material));
    return QIcon(swatch);
}

void MaterialComboBox::drawSwatch(QPainter *painter, const QRect &rect, const QColor &color)
{
    if (rect.width() < 3 || rect.height() < 3) {
        painter->fillRect(rect, color);
        return;
    }
    // A mid grey outline: seen on white and on black, and apart from either swatch.
    painter->fillRect(rect, QColor(96, 96, 96));
    painter->fillRect(rect.adjusted(1, 1, -1, -1), color);
}

} // namespace Operations
} // namespace Ui
