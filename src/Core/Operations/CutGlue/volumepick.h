#pragma once

#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

#include <boost/shared_ptr.hpp>

namespace Core {
namespace Operations {

// The first cell volume among the picked objects other than except, or empty.
inline boost::shared_ptr<Model::Automaton::TotalVolume>
firstPickedVolume(Workspace &workspace, const Model::Automaton::TotalVolume *except = nullptr)
{
    for (const boost::shared_ptr<Model::Object> &object : workspace.viewPicks().getSelected()) {
        const boost::shared_ptr<Model::Automaton::TotalVolume> volume =
            boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
        if (volume && volume.get() != except)
            return volume;
    }
    return boost::shared_ptr<Model::Automaton::TotalVolume>();
}

// The only object of the document when it is a cell volume, else empty.
inline boost::shared_ptr<Model::Automaton::TotalVolume> onlyVolume(Workspace &workspace)
{
    const QList<boost::shared_ptr<Model::Object>> objects = workspace.document().getObjects();
    if (objects.size() != 1)
        return boost::shared_ptr<Model::Automaton::TotalVolume>();
    return boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(objects.first());
}

} // namespace Operations
} // namespace Core
