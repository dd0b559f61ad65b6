#include "Model/ModelExtraction/cantilevermodelrule.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <unordered_map>

namespace Model {
namespace ModelExtraction {

namespace {

const unsigned SiliconId = 1;

// A stretch of a beam along an axis: the boxes of one material that span the
// same interval on that axis and are linked across it. A beam patterned by a
// process is seldom one box: a rounded or stepped cross-section, or edges of
// the bodies it touches, cut it lengthwise into several.
struct Section
{
    std::vector<int> boxes; // indices, in box order
    unsigned material = 0;
    int lo[3], hi[3];       // the envelope
    std::set<int> neighbours[2]; // sections beyond its lower and its upper end along the axis
    bool linkedAcross = false;   // linked to something not in it across the axis
};

int findRoot(std::vector<int> &parent, int i)
{
    while (parent[i] != i)
        i = parent[i] = parent[parent[i]];
    return i;
}

// The sections of every box along axis a, numbered in the order of their first box.
std::vector<Section> sectionsAlong(const BoxList &boxes,
                                   const std::unordered_map<const RectangularCuboidEnvelope *, int> &index, int a,
                                   std::vector<int> &sectionOf)
{
    const int n = int(boxes.size());
    std::vector<int> parent(n);
    std::iota(parent.begin(), parent.end(), 0);
    for (int i = 0; i < n; ++i) {
        const RectangularCuboidEnvelope &box = *boxes[i];
        for (int f = 0; f < 6; ++f) {
            const RectangularCuboidEnvelope *other = box.getLink(f);
            if (!other || f / 2 == a || other->getMaterial() != box.getMaterial() ||
                other->origin(a) != box.origin(a) || other->extent(a) != box.extent(a))
                continue;
            const int j = index.at(other);
            parent[findRoot(parent, i)] = findRoot(parent, j);
        }
    }
    std::vector<Section> sections;
    std::unordered_map<int, int> numberOfRoot;
    sectionOf.assign(n, -1);
    for (int i = 0; i < n; ++i) {
        const int root = findRoot(parent, i);
        auto it = numberOfRoot.find(root);
        if (it == numberOfRoot.end()) {
            it = numberOfRoot.emplace(root, int(sections.size())).first;
            sections.emplace_back();
            Section &s = sections.back();
            s.material = boxes[i]->getMaterial();
            for (int b = 0; b < 3; ++b) {
                s.lo[b] = boxes[i]->origin(b);
                s.hi[b] = boxes[i]->origin(b) + boxes[i]->extent(b);
            }
        }
        Section &s = sections[it->second];
        sectionOf[i] = it->second;
        s.boxes.push_back(i);
        for (int b = 0; b < 3; ++b) {
            s.lo[b] = std::min(s.lo[b], boxes[i]->origin(b));
            s.hi[b] = std::max(s.hi[b], boxes[i]->origin(b) + boxes[i]->extent(b));
        }
    }
    for (int i = 0; i < n; ++i) {
        Section &s = sections[sectionOf[i]];
        for (int f = 0; f < 6; ++f) {
            const RectangularCuboidEnvelope *other = boxes[i]->getLink(f);
            if (!other)
                continue;
            const int t = sectionOf[index.at(other)];
            if (t == sectionOf[i])
                continue;
            if (f / 2 == a)
                s.neighbours[f % 2].insert(t);
            else
                s.linkedAcross = true;
        }
    }
    return sections;
}

bool holds(const Section &outer, const Section &inner, int a)
{
    for (int b = 0; b < 3; ++b)
        if (b != a && (inner.lo[b] < outer.lo[b] || inner.hi[b] > outer.hi[b]))
            return false;
    return true;
}

} // namespace

// A free end is a section of a material other than silicon that meets exactly
// one other section, at one of its ends along the axis, and that section holds
// its whole cross-section; a box alone is such a section when its one link is
// a side link. The walk goes on towards the anchor through sections of the
// same material that meet just the one before and one beyond, and stops where
// the body widens by more than a cell on each side (the anchor). The beam's
// length is the walk's extent along the axis; its width and thickness are
// those of its longest section, so fillets at the anchor do not widen it. A
// beam is longer than it is wide.
boost::shared_ptr<IStructure> CantileverModelRule::apply(const BoxList &boxes)
{
    m_candidates.clear();
    m_cantilevers.clear();
    m_cantileverBoxes.clear();

    std::unordered_map<const RectangularCuboidEnvelope *, int> index;
    index.reserve(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i)
        index.emplace(boxes[i].get(), int(i));

    std::vector<int> sectionOf[2];
    std::vector<Section> sections[2];
    for (int a = 0; a < 2; ++a)
        sections[a] = sectionsAlong(boxes, index, a, sectionOf[a]);
    std::vector<char> seen[2] = {std::vector<char>(sections[0].size(), 0), std::vector<char>(sections[1].size(), 0)};

    for (size_t i = 0; i < boxes.size(); ++i) {
        for (int a = 0; a < 2; ++a) {
            const int first = sectionOf[a][i];
            if (seen[a][first])
                continue;
            seen[a][first] = 1;
            const std::vector<Section> &all = sections[a];
            const Section &end = all[first];
            const size_t links = end.neighbours[0].size() + end.neighbours[1].size();
            if (end.material == SiliconId || end.linkedAcross || links != 1)
                continue;
            const int e = end.neighbours[0].empty() ? 1 : 0; // towards the anchor
            if (!holds(all[*end.neighbours[e].begin()], end, a))
                continue;

            const int across = 1 - a;
            std::vector<int> walked{first};
            int widest = end.hi[across] - end.lo[across];
            int current = first;
            for (;;) {
                if (all[current].neighbours[e].size() != 1)
                    break;
                const int next = *all[current].neighbours[e].begin();
                const Section &s = all[next];
                if (s.material != end.material || s.linkedAcross || s.neighbours[e].size() != 1 ||
                    s.neighbours[1 - e].size() != 1 || s.hi[across] - s.lo[across] > widest + 2)
                    break;
                widest = std::max(widest, s.hi[across] - s.lo[across]);
                walked.push_back(next);
                current = next;
            }

            int lo = end.lo[a], hi = end.hi[a];
            const Section *longest = &end;
            for (int w : walked) {
                const Section &s = all[w];
                lo = std::min(lo, s.lo[a]);
                hi = std::max(hi, s.hi[a]);
                if (s.hi[a] - s.lo[a] > longest->hi[a] - longest->lo[a])
                    longest = &s;
            }
            int origin[3], extent[3];
            for (int b = 0; b < 3; ++b) {
                origin[b] = b == a ? lo : longest->lo[b];
                extent[b] = b == a ? hi - lo : longest->hi[b] - longest->lo[b];
            }
            if (extent[a] < extent[across])
                continue;
            m_candidates.push_back(boxes[i].get());
            for (int w : walked)
                for (int b : all[w].boxes)
                    m_cantileverBoxes.push_back(boxes[b]);
            m_cantilevers.push_back({origin[0], origin[1], origin[2], extent[0], extent[1], extent[2], end.material, a});
        }
    }

    if (m_candidates.empty())
        return boost::shared_ptr<IStructure>();
    return boost::shared_ptr<IStructure>(new CantileverStructure(m_cantilevers, m_edges));
}

} // namespace ModelExtraction
} // namespace Model
