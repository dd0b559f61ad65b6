#pragma once

#include <QString>
#include <QStringList>

namespace Core {
namespace Steps {

// The names one mask of a photolithography step is stored under: its bits and
// size, the image file they came from, and a GDSII layout's settings.
struct MaskNames
{
    static constexpr const char *Top = "Top Mask";
    static constexpr const char *Bottom = "Bottom Mask";

    explicit MaskNames(const QString &prefix)
        : bits(prefix), file(prefix + QStringLiteral(" File")), width(prefix + QStringLiteral(" Width")),
          height(prefix + QStringLiteral(" Height")), source(prefix + QStringLiteral(" Source")),
          structure(prefix + QStringLiteral(" Structure")), layer(prefix + QStringLiteral(" Layer")),
          datatype(prefix + QStringLiteral(" Datatype")), originX(prefix + QStringLiteral(" Origin X")),
          originY(prefix + QStringLiteral(" Origin Y")), scale(prefix + QStringLiteral(" Scale"))
    {
    }

    QString bits, file, width, height;
    // A layout mask's settings; a mask without source "GDSII" is an image's bits.
    QString source, structure, layer, datatype, originX, originY, scale;

    QStringList layoutSettings() const { return {source, structure, layer, datatype, originX, originY, scale}; }
};

} // namespace Steps
} // namespace Core
