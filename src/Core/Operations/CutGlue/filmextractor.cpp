#include "filmextractor.h"

#include "Model/Automaton/totalvolume.h"

#include <algorithm>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::DopantFields;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

boost::shared_ptr<TotalVolume> FilmExtractor::extract(TotalVolume &source, uint32_t material, bool invert,
                                                      QString *error)
{
    const unsigned sx = source.getSizeX(), sy = source.getSizeY(), sz = source.getSizeZ();
    const size_t total = size_t(source.getCellCount());
    std::vector<uint32_t> out;
    DopantFields dopants;
    try {
        out.assign(total, 0u);
        CellLock lock(source);
        const Voxel *cells = lock.cells();
        // The film takes its dopant along (a doped polysilicon film stays doped).
        std::vector<std::pair<float *, const float *>> carried;
        for (int s : lock.dopants().present())
            carried.emplace_back(dopants.make(s, total).data(), lock.dopants().field(s).data());

        size_t seed = 0;
        while (seed < total && cells[seed].material != material)
            ++seed;
        if (seed < total && material != 0) {
            std::vector<bool> visited(total, false);
            std::vector<size_t> queue;
            queue.push_back(seed);
            visited[seed] = true;
            unsigned lowZ = sz, highZ = 0;
            const size_t strideX = size_t(sy) * sz;
            for (size_t head = 0; head < queue.size(); ++head) {
                const size_t i = queue[head];
                const unsigned x = unsigned(i / strideX), y = unsigned(i / sz % sy), z = unsigned(i % sz);
                const unsigned oy = invert ? sy - 1 - y : y, oz = invert ? sz - 1 - z : z;
                const size_t to = source.cellIndex(x, oy, oz);
                out[to] = material;
                for (const auto &c : carried)
                    c.first[to] = c.second[i];
                lowZ = std::min(lowZ, oz);
                highZ = std::max(highZ, oz);
                const auto visit = [&](size_t n) {
                    if (!visited[n] && cells[n].material == material) {
                        visited[n] = true;
                        queue.push_back(n);
                    }
                };
                if (x > 0)
                    visit(i - strideX);
                if (x + 1 < sx)
                    visit(i + strideX);
                if (y > 0)
                    visit(i - sz);
                if (y + 1 < sy)
                    visit(i + sz);
                if (z > 0)
                    visit(i - 1);
                if (z + 1 < sz)
                    visit(i + 1);
            }
            // Let the film rest on z = 0.
            const auto lower = [&](auto *cellsOut) {
                using Value = std::remove_pointer_t<decltype(cellsOut)>;
                for (size_t c = 0; c < size_t(sx) * sy; ++c) {
                    Value *column = cellsOut + c * sz;
                    std::copy(column + lowZ, column + highZ + 1, column);
                    std::fill(column + (highZ + 1 - lowZ), column + highZ + 1, Value(0));
                }
            };
            if (lowZ > 0) {
                lower(out.data());
                for (const auto &c : carried)
                    lower(c.first);
            }
        }
    } catch (const std::bad_alloc &) {
        if (error)
            *error = QStringLiteral("There is not enough memory to extract the film.");
        return boost::shared_ptr<TotalVolume>();
    }

    boost::shared_ptr<TotalVolume> film;
    try {
        film.reset(new TotalVolume(sx, sy, sz, source.getCellSizeX(), source.getCellSizeY(), source.getCellSizeZ(),
                                   source.getPosition(), out));
    } catch (const std::bad_alloc &) {
        if (error)
            *error = QStringLiteral("There is not enough memory to extract the film.");
        return film;
    }
    film->setUnitLength(source.getUnitLength());
    film->adoptDopants(std::move(dopants));
    const double step = double(sx + 10) *
                        std::max(source.getCellSizeX(), std::max(source.getCellSizeY(), source.getCellSizeZ()));
    film->translate(Util::Vector3D(step, 0.0, 0.0));
    return film;
}

} // namespace Operations
} // namespace Core
