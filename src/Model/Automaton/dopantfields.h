#pragma once

#include "voxel.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <vector>

namespace Model {
namespace Automaton {

// The dopant concentrations of a volume: one float per cell (cm^-3, cell
// order) for each species that has been put in. A species without a field
// holds none anywhere. Reached through CellLock::dopants() while the cells are held.
class DopantFields
{
public:
    // The electrically active species a field is kept for (BF2 implants as boron).
    enum Species { Boron = 0, Phosphorus = 1, Arsenic = 2, Antimony = 3, SpeciesCount = 4 };

    static QString speciesName(int species); // "B", "P", "As", "Sb"
    // The species named (any case); -1 for a name that is none.
    static int speciesNamed(const QString &name);
    static QStringList speciesNames();

    bool isEmpty() const;
    bool has(int species) const { return !m_fields[species].empty(); }
    // Every species that has a field, in species order.
    std::vector<int> present() const;
    // Empty for a species without a field.
    const std::vector<float> &field(int species) const { return m_fields[species]; }
    // The species' field, made (all zero, cellCount floats) when it has none. Throws std::bad_alloc.
    std::vector<float> &make(int species, size_t cellCount);
    void drop(int species) { std::vector<float>().swap(m_fields[species]); }
    // Drops every field that holds nothing but zeros.
    void dropEmpty();
    // Zeroes every species in the cells that hold no material: dopant leaves
    // with the silicon an etch removes. cells holds the volume's cellCount cells.
    void clearEmptyCells(const Voxel *cells, size_t cellCount);
    void clear();
    bool operator==(const DopantFields &other) const { return m_fields == other.m_fields; }

private:
    std::array<std::vector<float>, SpeciesCount> m_fields;
};

} // namespace Automaton
} // namespace Model
