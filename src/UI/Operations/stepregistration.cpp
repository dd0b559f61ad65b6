// Every process step of the registry that the program runs as an operation:
// its operation class (a named one where the step has one) and its dialog
// observer. A step added to the registry with an operation number appears here
// without a line of its own.

#include "Core/Operations/stepoperations.h"
#include "Core/Steps/stepregistry.h"
#include "UI/Observers/stepobservers.h"
#include "UI/operationfactory.h"

namespace Ui {

using namespace Core::Operations;

namespace {

template <class Op, class Observer = Observers::StepDialogObserver>
boost::shared_ptr<Operation> withObserver(const boost::shared_ptr<Op> &op, QWidget *parent)
{
    op->setDialogObserver(boost::shared_ptr<Util::IObserver>(new Observer(op, parent)));
    return op;
}

template <class Op, class Observer = Observers::StepDialogObserver>
OperationFactory::Creator named()
{
    return [](Workspace *workspace, QWidget *parent) {
        return withObserver<Op, Observer>(boost::shared_ptr<Op>(new Op(workspace)), parent);
    };
}

OperationFactory::Creator creatorFor(const Core::Steps::StepDefinition &step)
{
    switch (step.operationNumber) {
    case IsotropicFilmDepositionOperation::FactoryNumber:
    case IsotropicFilmDepositionOperation::CvdFactoryNumber: {
        const int number = step.operationNumber;
        return [number](Workspace *workspace, QWidget *parent) {
            return withObserver(boost::shared_ptr<IsotropicFilmDepositionOperation>(
                                    new IsotropicFilmDepositionOperation(workspace, number)),
                                parent);
        };
    }
    case IsotropicFilmEtchingOperation::FactoryNumber:
        return named<IsotropicFilmEtchingOperation>();
    case ElectrodepositionOperation::FactoryNumber:
        return named<ElectrodepositionOperation>();
    case DopingOperation::FactoryNumber:
        return named<DopingOperation>();
    case IonImplantationOperation::FactoryNumber:
        return named<IonImplantationOperation>();
    case SimpleSiOxidationOperation::FactoryNumber:
        return named<SimpleSiOxidationOperation>();
    case AnisotropicFilmDepositionOperation::FactoryNumber:
        return named<AnisotropicFilmDepositionOperation>();
    case AnisotropicFilmEtchingOperation::FactoryNumber:
        return named<AnisotropicFilmEtchingOperation>();
    case SimplePhysicalVaporDepositionOperation::FactoryNumber:
        return named<SimplePhysicalVaporDepositionOperation>();
    case MooreNeighborhoodDepositionOperation::FactoryNumber:
        return named<MooreNeighborhoodDepositionOperation>();
    case MooreNeighborhoodEtchingOperation::FactoryNumber:
        return named<MooreNeighborhoodEtchingOperation>();
    case PlanarizationOperation::FactoryNumber:
        return named<PlanarizationOperation>();
    case SpinCoatingOperation::FactoryNumber:
        return named<SpinCoatingOperation>();
    case SimpleReactiveIonEtchingOperation::FactoryNumber:
        return named<SimpleReactiveIonEtchingOperation>();
    case AtomisticSiWetEtchingOperation::TypeNumber:
        return named<AtomisticSiWetEtchingOperation>();
    case ContinousWetEtchOperation::TypeNumber:
        return named<ContinousWetEtchOperation>();
    case RandomWalkDopingOperation::FactoryNumber:
        return named<RandomWalkDopingOperation, Observers::RandomWalkDopingObserver>();
    case PhotolithographyOperation::FactoryNumber:
        return named<PhotolithographyOperation, Observers::PhotolithographyObserver>();
    default: {
        const Core::Steps::StepDefinition *definition = &step;
        return [definition](Workspace *workspace, QWidget *parent) {
            return withObserver(boost::shared_ptr<StepOperation>(new StepOperation(workspace, *definition)), parent);
        };
    }
    }
}

} // namespace

void registerStepOperations(OperationFactory::Table &table)
{
    for (const Core::Steps::StepDefinition *step : Core::Steps::StepRegistry::instance().steps())
        // "Create Substrate" makes a volume instead of working on one: its own registration has it.
        if (step->operationNumber != 0 && !step->createsVolume)
            table.insert(step->operationNumber, creatorFor(*step));
}

} // namespace Ui
