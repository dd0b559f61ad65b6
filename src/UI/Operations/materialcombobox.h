#pragma once

#include "Model/Materials/material.h"

#include <QIcon>
#include <QRect>
#include <QSize>
#include <QList>
#include <QString>

class QComboBox;
class QPainter;

namespace Ui {
namespace Operations {

// The one way option dialogs fill and read their material choices: each item
// shows a swatch of the material's colour, at the list's own icon size and
// framed so that a white one shows on white, and its name, and carries the
// material id as item data.
class MaterialComboBox
{
public:
    // The compatible materials of a process (materials unknown to the
    // catalogue are left out). Returns the number of items.
    static int fillFromProcess(QComboBox *box, unsigned processId);
    // Every material of the catalogue, in id order.
    static int fillFromCatalogue(QComboBox *box);
    static int fill(QComboBox *box, const QList<Model::Materials::Material> &materials);

    // Selects the item with the material id; when id is 0 or not offered,
    // the item whose text equals name. Returns false (selection unchanged)
    // when neither matches.
    static bool select(QComboBox *box, unsigned id, const QString &name = QString());

    // Fill (from the process, or the whole catalogue when processId is 0)
    // then select, the common case in option dialogs.
    static bool setUp(QComboBox *box, unsigned processId, unsigned selectedId,
                      const QString &selectedName = QString());

    // 0 and an empty name when nothing is selected.
    static unsigned selectedId(const QComboBox *box);
    static QString selectedName(const QComboBox *box);
    static Model::Materials::Material selectedMaterial(const QComboBox *box);

    // A swatch of size pixels (the style's small icon size when not given).
    static QIcon materialIcon(const Model::Materials::Material &material, const QSize &size = QSize());
    static QColor materialColor(const Model::Materials::Material &material);
    // Fills rect with color inside a thin outline that shows on any background.
    static void drawSwatch(QPainter *painter, const QRect &rect, const QColor &color);
};

} // namespace Operations
} // namespace Ui
