#pragma once

#include "maskimage.h"

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Masked Cut" (factory 34): hides the columns a "Top Down Cut Mask" leaves
// transparent by raising their cells' cut count. Undo lowers the count in the
// same columns, so other cuts of those cells stay in place.
class MaskedCutCellVolumeOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 34;

    explicit MaskedCutCellVolumeOperation(Workspace *workspace);

    // Shown on the volume as its top overlay while the volume is known.
    void setMask(const std::vector<bool> &bits, unsigned width, unsigned height);
    const MaskImage &mask() const { return m_mask; }
    bool isMaskUsable() const { return m_usable; }

public Q_SLOTS:
    void cancel() override;
    void finish() override;
    int undo() override;
    void redo() override;

protected:
    bool parametersComplete() const override { return m_usable; }
    void runEngine(Model::Automaton::TotalVolume &volume);
    QString canceledMessage() const override { return QStringLiteral(": Operation Canceled!"); }

private:
    void refresh(Model::Automaton::TotalVolume &volume);

    MaskImage m_mask;
    bool m_usable = false;
    bool m_overlayShown = false;
    bool m_done = false;
};

} // namespace Operations
} // namespace Core
