#include "operationfactory.h"

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/workspace.h"
#include "UI/Observers/createsubstrateobserver.h"
#include "mainwindow.h"
#include "mainwindowpresenter.h"

#include <QWidget>

namespace Ui {

using Core::Operations::Operation;
using Core::Operations::Workspace;

void registerCreateSubstrateOperations(OperationFactory::Table &table)
{
    table.insert(2, [](Workspace *workspace, QWidget *parent) {
        const boost::shared_ptr<Core::Operations::CreateSubstrateOperation> op(
            new Core::Operations::CreateSubstrateOperation(workspace));
        op->setObserver(boost::shared_ptr<Util::IObserver>(new Observers::CreateSubstrateObserver(op, parent)));
        return boost::shared_ptr<Operation>(op);
    });
}

OperationFactory::OperationFactory(MainWindowPresenter *presenter) : m_presenter(presenter) {}

const OperationFactory::Table &OperationFactory::table()
{
    static const Table creators = []() {
        Table t;
        registerCreateSubstrateOperations(t);
        registerStepOperations(t);
        registerDocumentOperations(t);
        registerCutGlueDopingExportOperations(t);
        registerObjectEditingOperations(t);
        registerColumnProcessOperations(t);
        registerModelExtractionOperations(t);
        registerBatchRunOperations(t);
        return t;
    }();
    return creators;
}

QList<int> OperationFactory::knownNumbers() { return table().keys(); }

boost::shared_ptr<Operation> OperationFactory::create(int typeNumber)
{
    const auto it = table().constFind(typeNumber);
    if (it == table().constEnd())
        return boost::shared_ptr<Operation>();
    return it.value()(&m_presenter->workspace(), m_presenter->mainWindow());
}

} // namespace Ui
