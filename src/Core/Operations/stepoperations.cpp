#include "stepoperations.h"

#include "Core/Steps/stepregistry.h"
#include "Model/Automaton/totalvolume.h"
#include "workspace.h"

namespace Core {
namespace Operations {

using Steps::ProcessData;

namespace {

const Steps::StepDefinition *listStep(int type) { return Steps::StepRegistry::instance().ofType(type); }
const Steps::StepDefinition *programStep(int number) { return Steps::StepRegistry::instance().ofOperation(number); }

} // namespace

StepOperation::StepOperation(Workspace *workspace, const Steps::StepDefinition &definition)
    : ProcessOperation(workspace, definition.shownInMenu(), definition.operationNumber,
                       definition.shownInMenu().remove(QLatin1Char(' ')), &definition)
{
}

IsotropicFilmDepositionOperation::IsotropicFilmDepositionOperation(Workspace *workspace, int factoryNumber)
    : ProcessOperation(workspace,
                       factoryNumber == CvdFactoryNumber ? QStringLiteral("CVD") : QStringLiteral("Isotropic Deposition"),
                       FactoryNumber, QStringLiteral("IsotropicDeposition"),
                       listStep(factoryNumber == CvdFactoryNumber ? ProcessData::Cvd : ProcessData::IsotropicDeposition))
{
}

IsotropicFilmEtchingOperation::IsotropicFilmEtchingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Isotropic Etching"), FactoryNumber, QStringLiteral("IsotropicEtching"),
                       listStep(ProcessData::IsotropicEtching))
{
}

ElectrodepositionOperation::ElectrodepositionOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Electroplating"), FactoryNumber, QStringLiteral("Electroplating"),
                       listStep(ProcessData::Electroplating))
{
}

DopingOperation::DopingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Doping"), FactoryNumber, QStringLiteral("Doping"),
                       listStep(ProcessData::Doping))
{
}

IonImplantationOperation::IonImplantationOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Ion Implantation"), FactoryNumber, QStringLiteral("IonImplantation"),
                       listStep(ProcessData::IonImplantation))
{
}

SimpleSiOxidationOperation::SimpleSiOxidationOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Simple Si Oxidation"), FactoryNumber,
                       QStringLiteral("SimpleSiOxidation"), listStep(ProcessData::SiOxidation))
{
}

AnisotropicFilmDepositionOperation::AnisotropicFilmDepositionOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Anisotropic Deposition"), 13, QStringLiteral("AnisotropicDeposition"),
                       listStep(ProcessData::AnisotropicDeposition))
{
}

AnisotropicFilmEtchingOperation::AnisotropicFilmEtchingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Anisotropic Etching"), 13, QStringLiteral("AnisotropicEtching"),
                       listStep(ProcessData::AnisotropicEtching))
{
}

SimplePhysicalVaporDepositionOperation::SimplePhysicalVaporDepositionOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Isotropic Deposition"), 13, QStringLiteral("IsotropicDeposition"),
                       listStep(ProcessData::Pvd))
{
}

MooreNeighborhoodDepositionOperation::MooreNeighborhoodDepositionOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Moore film deposition"), FactoryNumber, QStringLiteral("MooreFilmDep"),
                       listStep(ProcessData::MooreDeposition))
{
}

MooreNeighborhoodEtchingOperation::MooreNeighborhoodEtchingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Moore film deposition"), FactoryNumber, QStringLiteral("MooreFilmDep"),
                       listStep(ProcessData::MooreEtching))
{
}

PlanarizationOperation::PlanarizationOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Planarization"), FactoryNumber, QStringLiteral("Planarization"),
                       listStep(ProcessData::Planarization))
{
}

SpinCoatingOperation::SpinCoatingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Spin Coating"), FactoryNumber, QStringLiteral("SpinCoating"),
                       listStep(ProcessData::SpinCoating))
{
}

SimpleReactiveIonEtchingOperation::SimpleReactiveIonEtchingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Simple RIE"), FactoryNumber, QStringLiteral("SimpleRIE"),
                       listStep(ProcessData::SimpleRie))
{
}

AtomisticSiWetEtchingOperation::AtomisticSiWetEtchingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("BCA Wet Etch"), TypeNumber, QStringLiteral("BCAWetEtch"),
                       listStep(ProcessData::SiWetEtching))
{
}

ContinousWetEtchOperation::ContinousWetEtchOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Continuous Wet Etch"), TypeNumber, QStringLiteral("ContinuousWetEtch"),
                       programStep(TypeNumber))
{
}

RandomWalkDopingOperation::RandomWalkDopingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Random Walk Doping"), FactoryNumber, QStringLiteral("RandomWalkDoping"),
                       listStep(ProcessData::RandomWalkDoping))
{
}

PhotolithographyOperation::PhotolithographyOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Photolithography"), FactoryNumber, QStringLiteral("Photolithography"),
                       listStep(ProcessData::Photolithography))
{
}

void PhotolithographyOperation::showTopMask(const std::vector<bool> &bits, unsigned width, unsigned height)
{
    m_top = MaskImage{bits, width, height};
    showMasks();
}

void PhotolithographyOperation::showBottomMask(const std::vector<bool> &bits, unsigned width, unsigned height)
{
    m_bottom = MaskImage{bits, width, height};
    showMasks();
}

void PhotolithographyOperation::showMasks()
{
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = getVolume();
    if (!volume)
        return;
    volume->setBottomMask(m_bottom.bits, m_bottom.width, m_bottom.height);
    volume->setTopMask(m_top.bits, m_top.width, m_top.height);
    m_overlaysShown = true;
    workspace()->requestRedraw();
}

void PhotolithographyOperation::removeOverlays()
{
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = getVolume();
    if (!volume || !m_overlaysShown)
        return;
    volume->setBottomMask(std::vector<bool>(), 0, 0);
    volume->setTopMask(std::vector<bool>(), 0, 0);
    m_overlaysShown = false;
}

void PhotolithographyOperation::cancel()
{
    // A mask previewed in the dialog must not stay on the volume after the step is abandoned.
    removeOverlays();
    ProcessOperation::cancel();
}

} // namespace Operations
} // namespace Core
