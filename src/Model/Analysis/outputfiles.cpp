#include "outputfiles.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>
#include <vector>

namespace Model {
namespace Analysis {

QString materialName(uint32_t id)
{
    if (id == 0)
        return QStringLiteral("empty");
    const boost::shared_ptr<Materials::MaterialFactory> catalogue = Materials::MaterialFactory::instance();
    const Materials::Material material = catalogue ? catalogue->getMaterial(id) : Materials::Material();
    const QString name = material.isEmpty() ? QString() : material.getName();
    return name.isEmpty() ? QStringLiteral("Material %1").arg(id) : name;
}

Geometry::ParticleCounterArray particleCounts(const Automaton::TotalVolume &volume, const QString &property)
{
    const Geometry::ParticleCounterArray counts = Geometry::FieldPainter::countersOf(volume.getProperty(property));
    return counts && counts->size() == volume.getCellCount() ? counts : Geometry::ParticleCounterArray();
}

double unitLength(float value) { return QString::number(double(value), 'g', 7).toDouble(); }

double micrometres(const Automaton::TotalVolume &volume, double units) { return units * volume.getUnitLength(); }

double cellMicrometres(const Automaton::TotalVolume &volume, int axis)
{
    const float size = axis == 0 ? volume.getCellSizeX() : axis == 1 ? volume.getCellSizeY() : volume.getCellSizeZ();
    return unitLength(size) * volume.getUnitLength();
}

bool checkWritable(const QString &fileName, QString *error)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (fileName.isEmpty())
        return fail(QStringLiteral("no file name given"));
    const QFileInfo info(fileName);
    if (info.isDir())
        return fail(QStringLiteral("\"%1\" is a folder").arg(fileName));
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return fail(QStringLiteral("the folder \"%1\" does not exist").arg(QDir::toNativeSeparators(folder.filePath())));
    if (!folder.isWritable())
        return fail(QStringLiteral("the folder \"%1\" is not writable").arg(QDir::toNativeSeparators(folder.filePath())));
    if (info.exists() && !info.isWritable())
        return fail(QStringLiteral("\"%1\" is not writable").arg(fileName));
    return true;
}

bool saveFiles(const QList<QPair<QString, QByteArray>> &files, QString *error)
{
    std::vector<std::unique_ptr<QSaveFile>> pending;
    for (const auto &file : files) {
        if (!checkWritable(file.first, error))
            return false;
        std::unique_ptr<QSaveFile> out(new QSaveFile(file.first));
        if (!out->open(QIODevice::WriteOnly) || out->write(file.second) != file.second.size()) {
            if (error)
                *error = QStringLiteral("\"%1\" could not be written: %2").arg(file.first, out->errorString());
            return false; // the pending temporary files are dropped with their objects
        }
        pending.push_back(std::move(out));
    }
    for (size_t i = 0; i < pending.size(); ++i) {
        if (!pending[i]->commit()) {
            if (error)
                *error = QStringLiteral("\"%1\" could not be written: %2")
                             .arg(pending[i]->fileName(), pending[i]->errorString());
            return false;
        }
    }
    return true;
}

} // namespace Analysis
} // namespace Model
