#include "Core/Operations/ModelExtraction/runmodelextraction.h"

#include "Core/Operations/ModelExtraction/imodelextractionuser.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/extractedmodel.h"
#include "Model/ModelExtraction/istructure.h"

#include <QSaveFile>
#include <QTextStream>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;
using namespace Model::ModelExtraction;

RunModelExtraction::RunModelExtraction(Workspace *workspace)
    : Operation(QStringLiteral("Extract Model"), FactoryNumber), m_workspace(workspace)
{
}

RunModelExtraction::~RunModelExtraction() = default;

void RunModelExtraction::say(const QString &text)
{
    m_workspace->console().write(QStringLiteral("Model Extraction: ") + text);
}

void RunModelExtraction::proceed()
{
    if (m_done || m_volume)
        return;
    for (const boost::shared_ptr<Model::Object> &object : m_workspace->viewPicks().getSelected()) {
        const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(object);
        if (volume) {
            m_workspace->selection().clear();
            takeVolume(volume);
            return;
        }
    }
    say(QStringLiteral("Select a cell volume and press Enter/Return."));
    m_workspace->console().waitForEnter(this);
    m_workspace->selection().setSelectionMode(true);
}

void RunModelExtraction::takeVolume(const boost::shared_ptr<TotalVolume> &volume)
{
    m_volume = volume;
    m_workspace->selection().setSelectionMode(false);
    m_workspace->console().reset();
    say(QStringLiteral("Cell volume selected."));
    if (m_user)
        m_user->runSteps(*this);
    finish();
}

bool RunModelExtraction::runStepOne()
{
    if (m_done || !m_volume || m_nextStep != Preprocessing)
        return false;
    m_volume->getPainter().setHidden(true);
    m_boxes = Preprocessing::run(*m_volume);
    m_preprocessingModel.reset(new ExtractedModel(m_boxes, m_volume->getPosition()));
    m_workspace->document().addObject(m_preprocessingModel);
    m_nextStep = FeatureDetection;
    m_progress = 1;
    m_workspace->requestRedraw();
    return true;
}

bool RunModelExtraction::runStepTwo()
{
    if (m_done || m_nextStep != FeatureDetection)
        return false;
    CantileverModelRule rule(CantileverStructure::cellEdges(*m_volume));
    m_structure = rule.apply(m_boxes);
    if (!rule.getCantilevers().empty()) {
        const Util::Vector3D p = m_volume->getPosition();
        const double shift = double(m_volume->getCellSizeX()) * (m_volume->getSizeX() + 10);
        m_extractedModel.reset(
            new ExtractedModel(rule.getCantileverBoxes(), Util::Vector3D(p.x + shift, p.y, p.z)));
        m_workspace->document().addObject(m_extractedModel);
    }
    m_nextStep = ModelExtraction;
    m_progress = 2;
    m_workspace->requestRedraw();
    return true;
}

QString RunModelExtraction::netlist() const { return m_structure ? m_structure->netlist() : QString(); }

bool RunModelExtraction::runStepThree()
{
    if (m_done || m_nextStep != ModelExtraction || !m_user)
        return false;
    m_progress = 3;
    const QString text = netlist();
    if (text.isEmpty()) {
        m_user->showInformation(QStringLiteral("No model data"), noModelDataText());
        return false;
    }
    const QString fileName = m_user->chooseNetlistFile();
    if (fileName.isEmpty())
        return false;
    if (!saveNetlist(fileName)) {
        m_user->showWarning(QStringLiteral("File Error"), QStringLiteral("Unable to save to selected file!"));
        return false;
    }
    return true;
}

bool RunModelExtraction::saveNetlist(const QString &fileName) const { return writeNetlist(fileName, netlist()); }

bool RunModelExtraction::writeNetlist(const QString &fileName, const QString &text)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << text;
    out.flush();
    if (out.status() != QTextStream::Ok) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

RunModelExtraction::Extraction RunModelExtraction::extract(TotalVolume &volume)
{
    const BoxList boxes = Preprocessing::run(volume);
    CantileverModelRule rule(CantileverStructure::cellEdges(volume));
    Extraction out;
    const boost::shared_ptr<IStructure> structure = rule.apply(boxes);
    if (!structure)
        return out;
    out.netlist = structure->netlist();
    if (auto *beams = dynamic_cast<const CantileverStructure *>(structure.get()))
        out.beams = beams->beams();
    return out;
}

void RunModelExtraction::cancel()
{
    if (m_done)
        return;
    m_done = true;
    if (m_volume)
        m_volume->getPainter().setHidden(false);
    m_workspace->selection().setSelectionMode(false);
    say(QStringLiteral("Operation canceled."));
    m_workspace->console().reset();
    m_workspace->requestRedraw();
    m_workspace->endOperation();
}

void RunModelExtraction::finish()
{
    if (m_done)
        return;
    if (!m_volume) {
        cancel();
        return;
    }
    m_done = true;
    m_volume->getPainter().setHidden(false);
    say(QStringLiteral("Model extracted."));
    m_workspace->requestRedraw();
    m_workspace->endOperation();
}

} // namespace Operations
} // namespace Core
