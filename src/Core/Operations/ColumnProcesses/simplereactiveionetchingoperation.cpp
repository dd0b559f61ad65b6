#include "simplereactiveionetchingoperation.h"

#include "simplereactiveionetching.h"

#include <climits>

namespace Core {
namespace Operations {

SimpleReactiveIonEtchingOperation::SimpleReactiveIonEtchingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Simple RIE"), FactoryNumber, QStringLiteral("SimpleRIE"))
{
}

void SimpleReactiveIonEtchingOperation::setEtchFromTop(bool on)
{
    m_directions = on ? (m_directions | SimpleReactiveIonEtching::FromTop)
                      : (m_directions & ~unsigned(SimpleReactiveIonEtching::FromTop));
}

void SimpleReactiveIonEtchingOperation::setEtchFromBelow(bool on)
{
    m_directions = on ? (m_directions | SimpleReactiveIonEtching::FromBelow)
                      : (m_directions & ~unsigned(SimpleReactiveIonEtching::FromBelow));
}

unsigned SimpleReactiveIonEtchingOperation::layers() const
{
    const double depth = m_depth.value();
    if (!(depth > 0))
        return 0;
    return depth >= double(UINT_MAX) ? UINT_MAX : unsigned(depth);
}

void SimpleReactiveIonEtchingOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    SimpleReactiveIonEtching(volume, m_material.value(), layers(), m_directions).run();
}

} // namespace Operations
} // namespace Core
