#pragma once

#include "Core/Operations/operation.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Workspace;

// "Extract Film" (factory 8): copies one connected piece of a material out of
// a volume into a new volume beside it.
class ExtractFilm : public ObjectOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 8;
    enum Step { ChooseVolume = 0, VolumeChosen = 1, Done = 2 };

    explicit ExtractFilm(Workspace *workspace);
    ~ExtractFilm() override;

    void setDialogObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_dialogObserver = observer; }
    void setMaterial(uint32_t id)
    {
        m_material = id;
        m_materialGiven = true;
    }
    void setInvert(bool invert) { m_invert = invert; }

    int step() const { return m_step; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getSource() const { return m_source; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getExtracted() const { return m_extracted; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;
    int undo() override;
    void redo() override;

private:
    void say(const QString &text);

    Workspace *m_workspace;
    int m_step = ChooseVolume;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_source, m_extracted;
    boost::shared_ptr<Util::IObserver> m_dialogObserver;
    uint32_t m_material = 0;
    bool m_materialGiven = false;
    bool m_invert = false;
    bool m_ended = false;
};

} // namespace Operations
} // namespace Core
