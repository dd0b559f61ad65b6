#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include "Model/Geometry/fieldpainter.h"

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}

namespace Analysis {

// The random-walk counters a volume property holds (FieldPainter's N or P
// property name), or empty when it holds none for every cell of the volume.
Geometry::ParticleCounterArray particleCounts(const Automaton::TotalVolume &volume, const QString &property);

// The catalogue's name of a material, "empty" for id 0 and "Material N" for
// an id the catalogue does not know (a volume may outlive a catalogue edit).
QString materialName(uint32_t id);

// A cell size or position as written in files: the float the volume holds,
// at the seven digits it carries (0.35f is 0.35, not 0.3499999940395355).
double unitLength(float value);

// Files and reports give lengths in micrometres: a length of the volume's
// frame (its cell sizes, its position) times the volume's unit length.
double micrometres(const Automaton::TotalVolume &volume, double units);
// A cell's edge along axis 0 (x), 1 (y) or 2 (z) in micrometres.
double cellMicrometres(const Automaton::TotalVolume &volume, int axis);

// False with a sentence when fileName cannot be written: no name, a folder
// of that name, or a folder that is missing or not writable. Lets a long run
// refuse an output before it starts instead of failing at its end.
bool checkWritable(const QString &fileName, QString *error);

// Writes every file or none: each goes to a temporary file first and all are
// put in place only when every one was written whole. A previous file of the
// same name survives a failure.
bool saveFiles(const QList<QPair<QString, QByteArray>> &files, QString *error);

} // namespace Analysis
} // namespace Model
