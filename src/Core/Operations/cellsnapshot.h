#pragma once

#include "Util/largebuffer.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Workspace;

// Keeps one process step's cell materials, before and after it ran, as one
// line each in the scene's undo and redo scratch files:
//   <key> <serial> <material of cell 0> <material of cell 1> ...
class CellSnapshot
{
public:
    // key: one word naming the operation class; the serial is unique per key within the run.
    CellSnapshot(const QString &key, Workspace *workspace);

    QString key() const { return m_key; }
    int serial() const { return m_serial; }

    // Append the volume's materials to the undo (before) or redo (after) scratch file.
    bool saveBefore(Model::Automaton::TotalVolume &volume);
    bool saveAfter(Model::Automaton::TotalVolume &volume);
    bool hasBefore() const { return m_beforeOffset >= 0; }
    bool hasAfter() const { return m_afterOffset >= 0; }

    // Put the saved materials back and rebuild the surface (unless told not to:
    // off the GUI thread the view may be drawing it). A missing, short or
    // damaged line leaves every cell as it was; false then.
    bool undoRestore(Model::Automaton::TotalVolume &volume, bool rebuildSurface = true);
    bool redoRestore(Model::Automaton::TotalVolume &volume, bool rebuildSurface = true);

    // The two halves, usable on any file.
    static bool append(const QString &fileName, const QString &key, int serial,
                       Model::Automaton::TotalVolume &volume, qint64 *offset = nullptr);
    // hint: byte offset where the line is expected to start, or -1 to search the whole file.
    static bool restore(const QString &fileName, const QString &key, int serial,
                        Model::Automaton::TotalVolume &volume, qint64 hint = -1, bool rebuildSurface = true);
    // Reads the materials of the line for key and serial into out (cellCount entries).
    static bool readLine(const QString &fileName, const QString &key, int serial, uint64_t cellCount,
                         Util::LargeArray<uint32_t> &out, qint64 hint = -1);

private:
    static int nextSerial(const QString &key);

    QString m_key;
    int m_serial;
    Workspace *m_workspace;
    qint64 m_beforeOffset = -1;
    qint64 m_afterOffset = -1;
};

} // namespace Operations
} // namespace Core
