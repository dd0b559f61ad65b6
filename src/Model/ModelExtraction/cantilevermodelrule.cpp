#include "Model/ModelExtraction/cantilevermodelrule.h"

#include <algorithm>
#include <unordered_map>

namespace Model {
namespace ModelExtraction {

namespace {
const unsigned SiliconId = 1;
}

boost::shared_ptr<IStructure> CantileverModelRule::apply(const BoxList &boxes)
{
    m_candidates.clear();
    m_cantilevers.clear();
    m_cantileverBoxes.clear();

    std::unordered_map<const RectangularCuboidEnvelope *, BoxPtr> owners;
    owners.reserve(boxes.size());
    for (const BoxPtr &box : boxes) {
        owners.emplace(box.get(), box);
        if (box->getMaterial() != SiliconId && box->getLinkCount() == 1 &&
            !box->getLink(RectangularCuboidEnvelope::MinusZ) &&
            !box->getLink(RectangularCuboidEnvelope::PlusZ))
            m_candidates.push_back(box.get());
    }

    for (RectangularCuboidEnvelope *candidate : m_candidates) {
        int e = RectangularCuboidEnvelope::PlusY;
        for (int slot = 0; slot < 3; ++slot) {
            if (candidate->getLink(slot)) {
                e = slot;
                break;
            }
        }
        // The beam is the bounding box of the boxes walked, which holds for
        // walks towards either end of an axis.
        int lo[3], hi[3];
        for (int a = 0; a < 3; ++a) {
            lo[a] = candidate->origin(a);
            hi[a] = candidate->origin(a) + candidate->extent(a);
        }
        m_cantileverBoxes.push_back(owners[candidate]);
        const RectangularCuboidEnvelope *current = candidate;
        for (;;) {
            const RectangularCuboidEnvelope *next = current->getLink(e);
            if (!next || next->getMaterial() != candidate->getMaterial() || next->getLinkCount() != 2 ||
                !next->getLink(e))
                break;
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::min(lo[a], next->origin(a));
                hi[a] = std::max(hi[a], next->origin(a) + next->extent(a));
            }
            m_cantileverBoxes.push_back(owners[next]);
            current = next;
        }
        m_cantilevers.push_back({lo[0], lo[1], lo[2], hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2],
                                 candidate->getMaterial()});
    }

    if (m_candidates.empty())
        return boost::shared_ptr<IStructure>();
    return boost::shared_ptr<IStructure>(new CantileverStructure(m_cantilevers));
}

} // namespace ModelExtraction
} // namespace Model
