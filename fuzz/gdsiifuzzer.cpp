// GDSII layouts: stream reading, then rasterising every layer of the default
// structure onto a small grid, with limits small enough for a fuzzer's pace.
#include "Model/Layout/gdsiilibrary.h"
#include "Model/Layout/layoutmask.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Model::Layout::GdsiiLibrary library;
    QString error;
    if (!Model::Layout::GdsiiLibrary::parse(reinterpret_cast<const char *>(data), size, library, error))
        return 0;
    const std::vector<int> tops = library.topStructures();
    if (tops.empty())
        return 0;
    Model::Layout::MaskGrid grid;
    grid.sizeX = 48;
    grid.sizeY = 40;
    Model::Layout::LayoutLimits limits;
    limits.maxVertices = 100000;
    limits.maxPlacements = 200000;
    for (const Model::Layout::LayerKey &key : library.layers(tops.front())) {
        Model::Layout::MaskPlacement placement;
        placement.layer = key.layer;
        placement.datatype = key.datatype;
        std::vector<bool> bits;
        Model::Layout::rasterizeLayout(library, placement, grid, bits, error, limits);
    }
    return 0;
}
