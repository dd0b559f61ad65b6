#pragma once

#include "Model/Automaton/materialruns.h"
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
// line each in the scene's undo and redo scratch files. While the step runs
// the state before it is held in memory as runs of equal materials; when it
// has run, the two lines hold only the cells it changed, as runs of their
// materials before (undo) and after (redo):
//   <key> <serial> * <cell count> <run count> <start> <length> <material> ...
// Lines of the whole volume are read as well:
//   <key> <serial> <material of cell 0> <material of cell 1> ...
class CellSnapshot
{
public:
    // key: one word naming the operation class; the serial is unique per key within the run.
    CellSnapshot(const QString &key, Workspace *workspace);

    QString key() const { return m_key; }
    int serial() const { return m_serial; }

    // Keeps the volume's materials before the step (in memory, as runs).
    bool saveBefore(Model::Automaton::TotalVolume &volume);
    // Writes the cells the step changed to the undo (as they were) and redo (as
    // they are) scratch files and drops the copy in memory. When the files
    // cannot be written the copy stays, so undo still works; redo then does not.
    bool saveAfter(Model::Automaton::TotalVolume &volume);
    bool hasBefore() const { return m_beforeOffset >= 0 || !m_before.isEmpty(); }
    bool hasAfter() const { return m_afterOffset >= 0; }

    // Put the saved materials back and rebuild the surface (unless told not to:
    // off the GUI thread the view may be drawing it). A missing, short or
    // damaged line leaves every cell as it was; false then. Before saveAfter,
    // undoRestore puts back the copy in memory.
    bool undoRestore(Model::Automaton::TotalVolume &volume, bool rebuildSurface = true);
    bool redoRestore(Model::Automaton::TotalVolume &volume, bool rebuildSurface = true);

    // The two halves, usable on any file.
    static bool append(const QString &fileName, const QString &key, int serial,
                       Model::Automaton::TotalVolume &volume, qint64 *offset = nullptr);
    // hint: byte offset where the line is expected to start, or -1 to search the whole file.
    static bool restore(const QString &fileName, const QString &key, int serial,
                        Model::Automaton::TotalVolume &volume, qint64 hint = -1, bool rebuildSurface = true);
    // Appends a line of changed runs (the form saveAfter writes).
    static bool appendRuns(const QString &fileName, const QString &key, int serial, uint64_t cellCount,
                           const std::vector<Model::Automaton::MaterialRuns::Run> &runs, qint64 *offset = nullptr);
    // Reads the materials of a whole-volume line for key and serial into out (cellCount entries).
    static bool readLine(const QString &fileName, const QString &key, int serial, uint64_t cellCount,
                         Util::LargeArray<uint32_t> &out, qint64 hint = -1);

private:
    static int nextSerial(const QString &key);

    QString m_key;
    int m_serial;
    Workspace *m_workspace;
    qint64 m_beforeOffset = -1;
    qint64 m_afterOffset = -1;
    Model::Automaton::MaterialRuns m_before; // until saveAfter has written the changes
};

} // namespace Operations
} // namespace Core
