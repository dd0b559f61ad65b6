#pragma once

#include "maskimage.h"

#include "Core/Operations/DistanceCounting/parametervalue.h"
#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Photolithography" (factory 20): develops a resist through the top and
// bottom masks. Not undoable. A mask given while the volume is known is shown
// on the volume at once, until the step has run or is cancelled.
class PhotolithographyOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 20;

    explicit PhotolithographyOperation(Workspace *workspace);

    void setMaterial(unsigned id) { m_material.set(id); }
    // Width and height 0 with no bits remove the mask.
    void setBottomMask(const std::vector<bool> &bits, unsigned width, unsigned height);
    void setTopMask(const std::vector<bool> &bits, unsigned width, unsigned height);
    const MaskImage &bottomMask() const { return m_bottom; }
    const MaskImage &topMask() const { return m_top; }

public Q_SLOTS:
    void cancel() override;

protected:
    bool parametersComplete() const override { return m_material.isGiven(); }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return m_material.value() == 1; }
    QString canceledMessage() const override { return QStringLiteral(": Operation Canceled!"); }
    bool isUndoable() const override { return false; }

private:
    void showMasks();
    void removeOverlays();

    ParameterValue<unsigned> m_material;
    MaskImage m_bottom;
    MaskImage m_top;
    bool m_overlaysShown = false;
};

} // namespace Operations
} // namespace Core
