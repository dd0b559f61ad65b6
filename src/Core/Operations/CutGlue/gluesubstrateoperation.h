#pragma once

#include "substrategluer.h"

#include "Core/Operations/operation.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Workspace;

// "Glue Volumes" (factory 12): the base and the top volume are picked in turn,
// then replaced in the document by one volume holding the top stacked on the base.
class GlueSubstrateOperation : public ObjectOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 12;
    enum Step { ChooseBase = 0, ChooseTop = 1, BothChosen = 2, Done = 3 };

    explicit GlueSubstrateOperation(Workspace *workspace);
    ~GlueSubstrateOperation() override;

    void setDialogObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_dialogObserver = observer; }

    // The defaults for the dialog, computed from the two volumes (once both are chosen).
    SubstrateGluer::Layout defaults();
    void setFinalSize(unsigned sizeX, unsigned sizeY, unsigned sizeZ);
    void setDisplacement(unsigned dx, unsigned dy);
    void setInvert(bool invert) { m_invert = invert; }

    int step() const { return m_step; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getBase() const { return m_base; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getTop() const { return m_top; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getGlued() const { return m_glued; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;
    int undo() override;
    void redo() override;

private:
    void say(const QString &text);

    Workspace *m_workspace;
    int m_step = ChooseBase;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_base, m_top, m_glued;
    boost::shared_ptr<Util::IObserver> m_dialogObserver;
    SubstrateGluer::Layout m_layout;
    bool m_layoutKnown = false;
    unsigned m_sizeX = 0, m_sizeY = 0, m_sizeZ = 0;
    bool m_sizeGiven = false;
    unsigned m_dx = 0, m_dy = 0;
    bool m_invert = false;
    bool m_ended = false;
};

} // namespace Operations
} // namespace Core
