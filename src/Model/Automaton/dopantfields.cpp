#include "dopantfields.h"

#include <algorithm>

namespace Model {
namespace Automaton {

namespace {
const char *const Names[DopantFields::SpeciesCount] = {"B", "P", "As", "Sb"};
}

QString DopantFields::speciesName(int species)
{
    return species >= 0 && species < SpeciesCount ? QLatin1String(Names[species]) : QString();
}

int DopantFields::speciesNamed(const QString &name)
{
    const QString wanted = name.trimmed();
    for (int s = 0; s < SpeciesCount; ++s)
        if (wanted.compare(QLatin1String(Names[s]), Qt::CaseInsensitive) == 0)
            return s;
    return -1;
}

QStringList DopantFields::speciesNames()
{
    QStringList names;
    for (int s = 0; s < SpeciesCount; ++s)
        names << QLatin1String(Names[s]);
    return names;
}

bool DopantFields::isEmpty() const
{
    return std::all_of(m_fields.begin(), m_fields.end(), [](const std::vector<float> &f) { return f.empty(); });
}

std::vector<int> DopantFields::present() const
{
    std::vector<int> species;
    for (int s = 0; s < SpeciesCount; ++s)
        if (has(s))
            species.push_back(s);
    return species;
}

std::vector<float> &DopantFields::make(int species, size_t cellCount)
{
    std::vector<float> &f = m_fields[species];
    if (f.size() != cellCount)
        std::vector<float>(cellCount, 0.0f).swap(f);
    return f;
}

void DopantFields::dropEmpty()
{
    for (int s = 0; s < SpeciesCount; ++s)
        if (std::all_of(m_fields[s].begin(), m_fields[s].end(), [](float c) { return c == 0.0f; }))
            drop(s);
}

void DopantFields::clearEmptyCells(const Voxel *cells, size_t cellCount)
{
    for (auto &field : m_fields) {
        if (field.size() != cellCount)
            continue;
        for (size_t i = 0; i < cellCount; ++i)
            if (cells[i].material == 0)
                field[i] = 0.0f;
    }
    dropEmpty();
}

void DopantFields::clear()
{
    for (int s = 0; s < SpeciesCount; ++s)
        drop(s);
}

} // namespace Automaton
} // namespace Model
