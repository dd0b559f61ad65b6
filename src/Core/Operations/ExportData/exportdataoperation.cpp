#include "exportdataoperation.h"

#include "csvdataexporter.h"
#include "iexportchoices.h"

#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

ExportDataOperation::ExportDataOperation(Workspace *workspace)
    : Operation(QStringLiteral("Export Data"), FactoryNumber), m_workspace(workspace)
{
}

ExportDataOperation::~ExportDataOperation() = default;

void ExportDataOperation::say(const QString &text) { m_workspace->console().write(getName() + text); }

void ExportDataOperation::takeVolume(const boost::shared_ptr<TotalVolume> &volume, const QString &message)
{
    m_volume = volume;
    m_workspace->selection().setSelectionMode(false);
    say(message);
    if (m_choices) {
        QString fileName, fieldName;
        if (m_choices->chooseExport(volume->getPropertyNames(), &fileName, &fieldName)) {
            m_fileName = fileName;
            m_fieldName = fieldName;
        }
    }
    finish();
}

void ExportDataOperation::proceed()
{
    if (m_done)
        return;
    if (!m_volume) {
        for (const boost::shared_ptr<Model::Object> &object : m_workspace->viewPicks().getSelected()) {
            const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(object);
            if (!volume)
                continue;
            m_workspace->selection().clear();
            m_workspace->requestRedraw();
            takeVolume(volume, QStringLiteral(": Cell volume selected."));
            return;
        }
        const QList<boost::shared_ptr<Model::Object>> objects = m_workspace->document().getObjects();
        if (objects.size() == 1) {
            const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(objects.first());
            if (volume) {
                takeVolume(volume, QStringLiteral(": Using only cell volume."));
                return;
            }
        }
        say(QStringLiteral(": Select a cell volume and press Enter/Return."));
        m_workspace->console().waitForEnter(this);
        m_workspace->selection().setSelectionMode(true);
        return;
    }
    finish();
}

void ExportDataOperation::cancel()
{
    if (m_done)
        return;
    m_done = true;
    say(QStringLiteral(": Operation canceled."));
    m_workspace->console().reset();
    m_workspace->endOperation();
}

void ExportDataOperation::finish()
{
    if (m_done)
        return;
    if (!m_volume || m_fileName.isEmpty() || m_fieldName.isEmpty()) {
        cancel();
        return;
    }
    m_done = true;
    int result;
    {
        // Doping writes the counters under the cell lock; read them under it too.
        Model::Automaton::CellLock lock(*m_volume);
        CSVDataExporter exporter(m_fileName);
        result = exporter.saveDataToFile(m_fieldName, m_volume->getProperty(m_fieldName), m_volume->getSizeX(),
                                         m_volume->getSizeY(), m_volume->getSizeZ());
    }
    if (result == 0)
        say(QStringLiteral(":  data saved."));
    else if (!CSVDataExporter::isParticleCountField(m_fieldName))
        say(QStringLiteral(": The data was not saved: \"%1\" is not a particle count.").arg(m_fieldName));
    else
        say(QStringLiteral(": The data was not saved: %1 could not be written.").arg(m_fileName));
    m_workspace->requestRedraw();
    m_workspace->endOperation();
}

} // namespace Operations
} // namespace Core
