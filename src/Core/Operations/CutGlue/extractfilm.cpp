#include "extractfilm.h"

#include "filmextractor.h"
#include "volumepick.h"

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

ExtractFilm::ExtractFilm(Workspace *workspace)
    : ObjectOperation(QStringLiteral("Extract Film"), FactoryNumber), m_workspace(workspace)
{
}

ExtractFilm::~ExtractFilm() = default;

void ExtractFilm::say(const QString &text) { m_workspace->console().write(getName() + text); }

void ExtractFilm::proceed()
{
    if (m_step != ChooseVolume)
        return;
    const boost::shared_ptr<TotalVolume> source = firstPickedVolume(*m_workspace);
    if (!source) {
        say(QStringLiteral(": select a cell volume and press Enter/Return."));
        m_workspace->console().waitForEnter(this);
        m_workspace->selection().setSelectionMode(true);
        return;
    }
    m_source = source;
    say(QStringLiteral(": cell volume selected."));
    m_step = VolumeChosen;
    m_workspace->selection().setSelectionMode(false);
    if (m_dialogObserver)
        m_dialogObserver->notify();
    finish();
}

void ExtractFilm::cancel()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_extracted) {
        m_workspace->document().removeObject(m_extracted);
        m_extracted.reset();
        m_workspace->requestRedraw();
    }
    say(QStringLiteral(": Operation canceled."));
    m_workspace->console().reset();
    m_workspace->endOperation();
}

void ExtractFilm::finish()
{
    if (m_ended)
        return;
    if (m_step != VolumeChosen || !m_source || !m_materialGiven) {
        cancel();
        return;
    }
    m_step = Done;
    QString error;
    m_extracted = FilmExtractor::extract(*m_source, m_material, m_invert, &error);
    if (!m_extracted) {
        say(QStringLiteral(": ") + error);
        cancel();
        return;
    }
    m_extracted->getPainter().regenerate();
    m_workspace->document().addObject(m_extracted);
    m_workspace->requestRedraw();
    say(QStringLiteral(": film extracted."));
    m_ended = true;
    m_workspace->completeOperation();
}

int ExtractFilm::undo()
{
    if (!m_extracted)
        return UndoDropped;
    m_workspace->document().removeObject(m_extracted);
    m_workspace->requestRedraw();
    return Undone;
}

void ExtractFilm::redo()
{
    if (!m_extracted)
        return;
    m_workspace->document().addObject(m_extracted);
    m_workspace->requestRedraw();
}

} // namespace Operations
} // namespace Core
