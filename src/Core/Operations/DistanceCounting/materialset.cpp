#include "materialset.h"

#include "Model/Process/processfactory.h"

#include <algorithm>

namespace Core {
namespace Operations {

MaterialSet::MaterialSet(std::initializer_list<uint32_t> ids)
{
    for (uint32_t id : ids)
        insert(id);
}

MaterialSet::MaterialSet(const std::vector<uint32_t> &ids)
{
    for (uint32_t id : ids)
        insert(id);
}

MaterialSet MaterialSet::fromProcess(unsigned processId)
{
    MaterialSet set;
    const Model::Process::ProcessInfo process = Model::Process::ProcessFactory::instance()->getProcess(processId);
    for (unsigned id : process.getCompatibleMaterialIds())
        set.insert(id);
    return set;
}

void MaterialSet::insert(uint32_t id)
{
    const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), id);
    if (at != m_ids.end() && *at == id)
        return;
    m_ids.insert(at, id);
    if (id < TableLimit) {
        if (id >= m_table.size())
            m_table.resize(size_t(id) + 1, 0);
        m_table[id] = 1;
    }
}

bool MaterialSet::containsLarge(uint32_t id) const
{
    return id >= TableLimit && std::binary_search(m_ids.begin(), m_ids.end(), id);
}

} // namespace Operations
} // namespace Core
