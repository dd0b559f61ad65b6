#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Reactive-ion etching along z: removes one material layer by layer from the
// faces exposed to empty space above (etch from top) and/or below (etch from
// below). Other materials stop the etch.
class SimpleReactiveIonEtching
{
public:
    enum Direction { FromTop = 1, FromBelow = 2 };

    // directions: FromTop | FromBelow bits. The volume must outlive the object.
    SimpleReactiveIonEtching(Model::Automaton::TotalVolume &volume, uint32_t material, unsigned layers,
                             unsigned directions);

    // Locks the volume for the whole run.
    void run();

    unsigned slabCount() const;

private:
    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_material;
    unsigned m_layers;
    unsigned m_directions;
};

} // namespace Operations
} // namespace Core
