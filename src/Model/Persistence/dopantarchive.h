#pragma once

#include <QString>

#include <cstdint>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace Model {
namespace Automaton {
class DopantFields;
class TotalVolume;
} // namespace Automaton

namespace Persistence {

// A volume's dopant concentrations in a document: one "Dopant" element per
// species that has a field, written only when there is one:
//   <Dopant species="B" cells="N">base64 of N little-endian float32 (cm^-3, cell order)</Dopant>
// Takes the volume's cell lock.
void writeDopants(QXmlStreamWriter &writer, Automaton::TotalVolume &volume);

// Reads the "Dopant" element the reader stands on, up to its end, into
// fields for a volume of cellCount cells. The field grows only with the text
// really read, so a document claiming more cells than it holds allocates no
// more than its own text. False with a sentence for an unknown or repeated
// species, a cell count that is not the volume's, text that is not base64,
// or a value that is negative or not finite; the field is then left out.
bool readDopant(QXmlStreamReader &reader, uint64_t cellCount, Automaton::DopantFields &fields, QString *error);

} // namespace Persistence
} // namespace Model
