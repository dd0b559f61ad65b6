#pragma once

#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/ModelExtraction/imodelrule.h"

namespace Model {
namespace ModelExtraction {

// Finds beams with one free end: a stretch of a non-silicon material whose
// only link is at its end along the beam, walked back towards its anchor
// along stretches of the same material (see apply()).
class CantileverModelRule : public IModelRule
{
public:
    // Beams are measured with cells of these edges (metres).
    explicit CantileverModelRule(const CantileverStructure::CellEdges &edges = CantileverStructure::CellEdges())
        : m_edges(edges)
    {
    }

    boost::shared_ptr<IStructure> apply(const BoxList &boxes) override;

    // The first box of each free end that gave a beam.
    const std::vector<RectangularCuboidEnvelope *> &getCandidates() const { return m_candidates; }
    const std::vector<CantileverStructure::Cantilever> &getCantilevers() const { return m_cantilevers; }
    // The boxes of every beam found, free end first.
    const BoxList &getCantileverBoxes() const { return m_cantileverBoxes; }

private:
    CantileverStructure::CellEdges m_edges;
    std::vector<RectangularCuboidEnvelope *> m_candidates;
    std::vector<CantileverStructure::Cantilever> m_cantilevers;
    BoxList m_cantileverBoxes;
};

} // namespace ModelExtraction
} // namespace Model
