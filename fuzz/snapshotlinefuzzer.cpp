// Undo and redo lines ("key serial m0 m1 ..."), restored onto a small volume.
#include "Core/Operations/cellsnapshot.h"
#include "Model/Automaton/totalvolume.h"
#include "fuzzsupport.h"

namespace {
QString inputPath;
boost::shared_ptr<Model::Automaton::TotalVolume> volume;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    inputPath = QDir(Fuzz::useTemporaryHome()).filePath(QStringLiteral("undo.txt"));
    volume = Model::Automaton::TotalVolume::create(2, 3, 4, 1, 1, 1, Util::Vector3D(), 1u);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::writeInput(inputPath, data, size);
    Util::LargeArray<uint32_t> materials;
    Core::Operations::CellSnapshot::readLine(path, QStringLiteral("Fuzz"), 1, 24, materials);
    Core::Operations::CellSnapshot::restore(path, QStringLiteral("Fuzz"), 2, *volume, qint64(size % 7));
    return 0;
}
