#include "randomwalkdopingoperation.h"

#include "randomwalkdoping.h"

#include "Model/Automaton/totalvolume.h"

#include <stdexcept>

namespace Core {
namespace Operations {

RandomWalkDopingOperation::RandomWalkDopingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Random Walk Doping"), FactoryNumber,
                       QStringLiteral("RandomWalkDoping"))
{
}

bool RandomWalkDopingOperation::parametersComplete() const
{
    return m_surface.isGiven() && m_time.isGiven() && m_material.isGiven() && m_timeStep.isGiven() &&
           m_cellSize.isGiven() && m_diffusion.isGiven();
}

void RandomWalkDopingOperation::finish()
{
    // A step the walk cannot take (too long a time step above all) is refused
    // with its reason before any cell is touched or snapshot written.
    if (isReady() && getVolume() && parametersComplete()) {
        const QString error = RandomWalkDoping::checkParameters(m_diffusion.value(), m_timeStep.value(),
                                                                m_cellSize.value(), m_surface.value(), m_threshold);
        if (!error.isEmpty()) {
            say(QStringLiteral(": ") + error);
            cancel();
            return;
        }
    }
    ProcessOperation::finish();
}

void RandomWalkDopingOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    const uint32_t seed = m_seed.isGiven() ? m_seed.value() : RandomWalkDoping::timeSeed();
    RandomWalkDoping doping(volume, m_material.value(), m_diffusion.value(), m_timeStep.value(), m_cellSize.value(),
                            m_surface.value(), m_threshold, seed);
    if (!doping.dope(m_time.value()))
        throw std::runtime_error(doping.error().toStdString());
}

} // namespace Operations
} // namespace Core
