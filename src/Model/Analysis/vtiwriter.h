#pragma once

#include <QString>

namespace Model {
namespace Automaton {
class TotalVolume;
}

namespace Analysis {

enum class VtiCompression
{
    None, // raw bytes: written as fast as the disk takes them
    Zlib  // VTK's zlib blocks: smaller, a little slower to write
};

// Writes the volume as VTK XML image data (".vti", what ParaView and VTK's
// own reader open): the volume's origin and cell sizes as Origin and
// Spacing, one cell per image cell, cell data "material" (UInt32) and, when
// random-walk particle counts are on the volume, "particles" (N plus P),
// "particles_n" and "particles_p" (Int32), and for each dopant species the
// volume holds its concentration in cm^-3, "dopant_B", "dopant_P", "dopant_As",
// "dopant_Sb" (Float32). The arrays follow the XML as raw
// appended data (no base64). Takes the cell lock. False with a sentence
// when the file cannot be written; a previous file of that name is then
// left as it was.
bool writeVti(Automaton::TotalVolume &volume, const QString &fileName, QString *error,
              VtiCompression compression = VtiCompression::None);

} // namespace Analysis
} // namespace Model
