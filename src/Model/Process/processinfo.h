#pragma once

#include "Model/Materials/material.h"

#include <QList>
#include <QString>

namespace Model {
namespace Process {

// One process of the catalogue: a name, an id and the ids of the materials the
// step may use, in insertion order. A plain value; id 0 is the empty process.
class ProcessInfo
{
public:
    ProcessInfo() : m_id(0) {}
    ProcessInfo(unsigned id, const QString &name, const QList<unsigned> &compatibleMaterials = QList<unsigned>())
        : m_name(name), m_id(id), m_compatibleMaterials(compatibleMaterials)
    {
    }

    QString getName() const { return m_name; }
    unsigned getId() const { return m_id; }
    void setName(const QString &name) { m_name = name; }
    void setId(unsigned id) { m_id = id; }
    bool isEmpty() const { return m_id == 0; }

    QList<unsigned> getCompatibleMaterialIds() const { return m_compatibleMaterials; }
    void setCompatibleMaterialIds(const QList<unsigned> &ids) { m_compatibleMaterials = ids; }
    // The catalogue materials of the listed ids, in list order; ids the
    // materials catalogue does not know are left out (but stay in the list).
    QList<Materials::Material> getCompatibleMaterials() const;
    void addCompatibleMaterial(unsigned id) { m_compatibleMaterials.append(id); }
    // Removes every occurrence of id.
    void removeCompatibleMaterial(unsigned id) { m_compatibleMaterials.removeAll(id); }

    bool operator==(const ProcessInfo &o) const
    {
        return m_id == o.m_id && m_name == o.m_name && m_compatibleMaterials == o.m_compatibleMaterials;
    }
    bool operator!=(const ProcessInfo &o) const { return !(*this == o); }

private:
    QString m_name;
    unsigned m_id;
    QList<unsigned> m_compatibleMaterials;
};

} // namespace Process
} // namespace Model
