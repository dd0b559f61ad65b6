#pragma once

#include "Model/Persistence/documentcontext.h"
#include "Model/document.h"
#include "Util/iobserver.h"
#include "consolemodel.h"
#include "operationhistory.h"
#include "pickrequests.h"
#include "selection.h"

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QMap>

namespace Core {
namespace Operations {

class IOperationFactory;
class IStepProgress;
class IUserMessages;
class Operation;

// Everything one scene's operations work in: console, picks, document, undo
// history, selection, scratch files. One per main window.
class Workspace
{
public:
    // scratchDirectory: where the undo and redo scratch files go (the working directory when empty).
    explicit Workspace(const boost::shared_ptr<IOperationFactory> &factory = boost::shared_ptr<IOperationFactory>(),
                       const QString &scratchDirectory = QString());
    ~Workspace();
    Workspace(const Workspace &) = delete;
    Workspace &operator=(const Workspace &) = delete;

    void activateOperation(int typeNumber);
    // Makes an already built operation current and starts it (tests, batch tools).
    void startOperation(const boost::shared_ptr<Operation> &operation);
    void endOperation();
    void completeOperation();
    void requestRedraw();
    // Every cell volume of the document takes its colours from the catalogue again
    // (after a catalogue colour changed); does not redraw.
    void recolorVolumes();

    boost::shared_ptr<Operation> currentOperation() const { return m_current; }

    ConsoleModel &console() { return m_console; }
    PickRequests &viewPicks() { return m_viewPicks; }
    Model::Document &document() { return m_document; }
    OperationHistory &history() { return m_history; }
    Selection &selection() { return m_selection; }
    Model::Persistence::DocumentContext &persistence() { return m_persistence; }

    // An id never marked reads as stale: the lattice must be built before first use.
    bool isLatticeStale(int volumeId) const { return m_latticeStale.value(volumeId, true); }
    void setLatticeStale(int volumeId, bool stale) { m_latticeStale.insert(volumeId, stale); }
    QMap<int, bool> &latticeStaleByVolume() { return m_latticeStale; }

    void addUpdateObserver(const boost::shared_ptr<Util::IObserver> &observer);
    void removeUpdateObserver(const boost::shared_ptr<Util::IObserver> &observer);

    // Shows the message where the person will see it; without a sink it goes to the console.
    void reportError(const QString &title, const QString &text);
    void setUserMessages(const boost::shared_ptr<IUserMessages> &messages) { m_userMessages = messages; }

    // Runs long step engines so that the person can stop them; may be null (no one to ask).
    boost::shared_ptr<IStepProgress> stepProgress() const { return m_stepProgress; }
    void setStepProgress(const boost::shared_ptr<IStepProgress> &progress) { m_stepProgress = progress; }

    boost::shared_ptr<IOperationFactory> factory() const { return m_factory; }
    void setFactory(const boost::shared_ptr<IOperationFactory> &factory) { m_factory = factory; }

private:
    void retireCurrent();

    boost::shared_ptr<Operation> m_current;
    // An ending operation is usually still running one of its own slots; it
    // is kept alive until the next operation starts.
    boost::shared_ptr<Operation> m_retired;
    ConsoleModel m_console;
    PickRequests m_viewPicks;
    Model::Document m_document;
    OperationHistory m_history;
    QList<boost::shared_ptr<Util::IObserver>> m_updateObservers;
    Selection m_selection;
    Model::Persistence::DocumentContext m_persistence;
    QMap<int, bool> m_latticeStale;
    boost::shared_ptr<IOperationFactory> m_factory;
    boost::shared_ptr<IUserMessages> m_userMessages;
    boost::shared_ptr<IStepProgress> m_stepProgress;
};

} // namespace Operations
} // namespace Core
