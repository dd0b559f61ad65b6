#include "createsubstrateoperation.h"

#include "Core/Operations/workspace.h"
#include "Core/Steps/executor.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"
#include "Model/Automaton/totalvolume.h"

#include <QElapsedTimer>

#include <cstdio>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

namespace {

const Steps::StepDefinition &substrateStep()
{
    return *Steps::StepRegistry::instance().ofType(Steps::ProcessData::CreateSubstrate);
}

} // namespace

CreateSubstrateOperation::CreateSubstrateOperation(Workspace *workspace)
    : ObjectOperation(QStringLiteral("Create Substrate"), TypeNumber), m_workspace(workspace)
{
}

CreateSubstrateOperation::~CreateSubstrateOperation() = default;

void CreateSubstrateOperation::setValues(const QVariantMap &values)
{
    m_step = Steps::makeStep(substrateStep(), Steps::withDefaults(substrateStep(), values));
    m_ready = true;
}

void CreateSubstrateOperation::proceed()
{
    if (m_observer)
        m_observer->notify();
    finish();
}

void CreateSubstrateOperation::cancel() { m_workspace->endOperation(); }

void CreateSubstrateOperation::finish()
{
    if (!m_ready || m_volume)
        return;

    QElapsedTimer timer;
    timer.start();
    Steps::ProcessRunContext context;
    if (Steps::runProcessStep(substrateStep(), m_step, context) != Steps::StepSucceeded) {
        // The operation stays current so the user can try smaller sizes.
        m_ready = false;
        m_workspace->reportError(QStringLiteral("Create Substrate"), context.detail);
        return;
    }
    const boost::shared_ptr<TotalVolume> volume = context.volume;
    std::printf("Time to simulate %s: %lld ms\n", qPrintable(getName()), static_cast<long long>(timer.elapsed()));

    timer.restart();
    volume->getPainter().regenerate();
    std::printf("Time to update surface: %lld ms\n", static_cast<long long>(timer.elapsed()));
    std::fflush(stdout);

    m_volume = volume;
    m_workspace->document().addObject(volume);
    m_workspace->console().write(QStringLiteral("Create Substrate: substrate created successfully."));
    m_workspace->completeOperation();
}

int CreateSubstrateOperation::undo()
{
    if (!m_volume)
        return UndoDropped;
    m_workspace->document().removeObject(m_volume);
    m_workspace->requestRedraw();
    return Undone;
}

void CreateSubstrateOperation::redo()
{
    if (!m_volume)
        return;
    m_workspace->document().addObject(m_volume);
    m_workspace->requestRedraw();
}

} // namespace Operations
} // namespace Core
