#pragma once

#include <boost/shared_ptr.hpp>

#include <QString>

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Copies the connected piece of one material that holds the first cell of
// that material (in cell-index order) into a new volume of the source's size,
// resting on z = 0 and standing beside the source, with the dopant
// concentrations of the cells it takes and the source's unit length.
class FilmExtractor
{
public:
    // Empty with error set when the new volume cannot be built. Takes the source's cell lock.
    static boost::shared_ptr<Model::Automaton::TotalVolume> extract(Model::Automaton::TotalVolume &source,
                                                                    uint32_t material, bool invert,
                                                                    QString *error = nullptr);
};

} // namespace Operations
} // namespace Core
