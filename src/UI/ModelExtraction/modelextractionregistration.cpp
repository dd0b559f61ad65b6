#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "UI/ModelExtraction/modelextractionobserver.h"
#include "UI/operationfactory.h"

namespace Ui {

void registerModelExtractionOperations(OperationFactory::Table &table)
{
    using Core::Operations::RunModelExtraction;
    table.insert(RunModelExtraction::FactoryNumber, [](Core::Operations::Workspace *workspace, QWidget *parent) {
        const boost::shared_ptr<RunModelExtraction> op(new RunModelExtraction(workspace));
        op->setUser(boost::shared_ptr<Core::Operations::IModelExtractionUser>(
            new ModelExtraction::ModelExtractionObserver(parent)));
        return boost::shared_ptr<Core::Operations::Operation>(op);
    });
}

} // namespace Ui
