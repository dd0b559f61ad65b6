#pragma once

#include "Core/Operations/ioperationfactory.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

#include <QMap>

#include <functional>

class QWidget;

namespace Core {
namespace Operations {
class Operation;
class Workspace;
} // namespace Operations
} // namespace Core

namespace Ui {

class MainWindowPresenter;

// Builds each operation with its dialog observer. Families add themselves to
// the table in operationfactory.cpp as they are built.
class OperationFactory : public Core::Operations::IOperationFactory
{
public:
    // Builds one operation for a workspace; parent is the dialogs' parent widget.
    typedef std::function<boost::shared_ptr<Core::Operations::Operation>(Core::Operations::Workspace *, QWidget *)>
        Creator;

    typedef QMap<int, Creator> Table;

    explicit OperationFactory(MainWindowPresenter *presenter);

    boost::shared_ptr<Core::Operations::Operation> create(int typeNumber) override;

    // The numbers this build knows.
    static QList<int> knownNumbers();

private:
    static const Table &table();

    MainWindowPresenter *m_presenter;
};

// The usual creator: a process operation built for the workspace, with its
// dialog observer (constructed from the operation and the parent widget).
template <class OperationClass, class ObserverClass>
OperationFactory::Creator dialogOperationCreator()
{
    return [](Core::Operations::Workspace *workspace, QWidget *parent) {
        const boost::shared_ptr<OperationClass> op(new OperationClass(workspace));
        op->setDialogObserver(boost::shared_ptr<Util::IObserver>(new ObserverClass(op, parent)));
        return boost::shared_ptr<Core::Operations::Operation>(op);
    };
}

// Each family of operations adds its numbers to the table in one function of its own.
void registerCreateSubstrateOperations(OperationFactory::Table &table);
void registerStepOperations(OperationFactory::Table &table);
void registerDocumentOperations(OperationFactory::Table &table);
void registerCutGlueDopingExportOperations(OperationFactory::Table &table);
void registerObjectEditingOperations(OperationFactory::Table &table);
void registerColumnProcessOperations(OperationFactory::Table &table);
void registerModelExtractionOperations(OperationFactory::Table &table);
void registerBatchRunOperations(OperationFactory::Table &table);

} // namespace Ui
