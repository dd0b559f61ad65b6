#pragma once

#include "Model/Automaton/totalvolume.h"
#include "Model/ModelExtraction/preprocessing.h"

#include <cstdint>
#include <vector>

// A material array built from filled blocks, turned into boxes through a real
// cell volume.
struct CellBlocks
{
    unsigned sx, sy, sz;
    std::vector<uint32_t> materials;

    CellBlocks(unsigned x, unsigned y, unsigned z) : sx(x), sy(y), sz(z), materials(size_t(x) * y * z, 0) {}

    CellBlocks &fill(unsigned x0, unsigned y0, unsigned z0, unsigned dx, unsigned dy, unsigned dz,
                     uint32_t material)
    {
        for (unsigned x = x0; x < x0 + dx; ++x)
            for (unsigned y = y0; y < y0 + dy; ++y)
                for (unsigned z = z0; z < z0 + dz; ++z)
                    materials[(size_t(x) * sy + y) * sz + z] = material;
        return *this;
    }

    Model::ModelExtraction::BoxList boxes() const
    {
        Model::Automaton::TotalVolume volume(sx, sy, sz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), materials);
        return Model::ModelExtraction::Preprocessing::run(volume);
    }
};
