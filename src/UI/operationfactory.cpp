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

namespace {

OperationFactory::Creator createSubstrate()
{
    return [](Workspace *workspace, QWidget *parent) {
        const boost::shared_ptr<Core::Operations::CreateSubstrateOperation> op(
            new Core::Operations::CreateSubstrateOperation(workspace));
        op->setObserver(boost::shared_ptr<Util::IObserver>(new Observers::CreateSubstrateObserver(op, parent)));
        return boost::shared_ptr<Operation>(op);
    };
}

} // namespace

OperationFactory::OperationFactory(MainWindowPresenter *presenter) : m_presenter(presenter) {}

const QMap<int, OperationFactory::Creator> &OperationFactory::table()
{
    static const QMap<int, Creator> creators = {
        {2, createSubstrate()},
    };
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
