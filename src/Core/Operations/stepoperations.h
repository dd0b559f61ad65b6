#pragma once

// The program's process step operations. Each is the step of its definition
// under the name it reports in messages, its undo key and its operation
// number; the values come from its dialog and the step executor runs it.

#include "processoperation.h"

#include "Core/Operations/Photolithography/maskimage.h"

namespace Core {
namespace Operations {

// A step of the registry that has no operation of its own: it reports under
// its menu name and keeps its undo records under that name without blanks.
class StepOperation : public ProcessOperation
{
public:
    StepOperation(Workspace *workspace, const Steps::StepDefinition &definition);
};

// "Isotropic Deposition" (13) and, with the CVD materials, "CVD" (33); both run as operation 13.
class IsotropicFilmDepositionOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 13;
    static constexpr int CvdFactoryNumber = 33;
    explicit IsotropicFilmDepositionOperation(Workspace *workspace, int factoryNumber = FactoryNumber);
};

class IsotropicFilmEtchingOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 14;
    explicit IsotropicFilmEtchingOperation(Workspace *workspace);
};

class ElectrodepositionOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 15;
    explicit ElectrodepositionOperation(Workspace *workspace);
};

class DopingOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 17;
    explicit DopingOperation(Workspace *workspace);
};

class IonImplantationOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 3;
    explicit IonImplantationOperation(Workspace *workspace);

protected:
    QString canceledMessage() const override { return QStringLiteral(": Operation Canceled!"); }
};

class SimpleSiOxidationOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 26;
    explicit SimpleSiOxidationOperation(Workspace *workspace);
};

// Runs as operation 13.
class AnisotropicFilmDepositionOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 27;
    explicit AnisotropicFilmDepositionOperation(Workspace *workspace);
};

// Runs as operation 13.
class AnisotropicFilmEtchingOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 32;
    explicit AnisotropicFilmEtchingOperation(Workspace *workspace);
};

// Physical vapour deposition. It reports as "Isotropic Deposition" and shares
// that step's undo key; the snapshot serials are unique per key, so the two
// steps' undo records never mix.
class SimplePhysicalVaporDepositionOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 31;
    explicit SimplePhysicalVaporDepositionOperation(Workspace *workspace);
};

// Both Moore steps report as "Moore film deposition" under one undo key.
class MooreNeighborhoodDepositionOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 18;
    explicit MooreNeighborhoodDepositionOperation(Workspace *workspace);
};

class MooreNeighborhoodEtchingOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 19;
    explicit MooreNeighborhoodEtchingOperation(Workspace *workspace);
};

class PlanarizationOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 22;
    explicit PlanarizationOperation(Workspace *workspace);

protected:
    QString canceledMessage() const override { return QStringLiteral(": Operation canceled!"); }
};

// Menu "Pour Material".
class SpinCoatingOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 23;
    explicit SpinCoatingOperation(Workspace *workspace);
};

class SimpleReactiveIonEtchingOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 30;
    explicit SimpleReactiveIonEtchingOperation(Workspace *workspace);
};

// "BCA Wet Etch"; its undo puts the cells back and leaves the lattice to be built again.
class AtomisticSiWetEtchingOperation : public ProcessOperation
{
public:
    static constexpr int TypeNumber = 28;
    explicit AtomisticSiWetEtchingOperation(Workspace *workspace);
};

class ContinousWetEtchOperation : public ProcessOperation
{
public:
    static constexpr int TypeNumber = 29;
    explicit ContinousWetEtchOperation(Workspace *workspace);
};

class RandomWalkDopingOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 36;
    explicit RandomWalkDopingOperation(Workspace *workspace);
};

// "Photolithography". A mask given while the volume is known is shown on the
// volume at once, until the step has run or is cancelled.
class PhotolithographyOperation : public ProcessOperation
{
public:
    static constexpr int FactoryNumber = 20;
    explicit PhotolithographyOperation(Workspace *workspace);

    // Previews a mask on the volume while the dialog is open; width and height 0 remove it.
    void showTopMask(const std::vector<bool> &bits, unsigned width, unsigned height);
    void showBottomMask(const std::vector<bool> &bits, unsigned width, unsigned height);

    void cancel() override;

protected:
    QString canceledMessage() const override { return QStringLiteral(": Operation Canceled!"); }
    // The overlays belong to the masks being edited; once developed they are gone.
    void afterRun() override { removeOverlays(); }

private:
    void showMasks();
    void removeOverlays();

    MaskImage m_top, m_bottom;
    bool m_overlaysShown = false;
};

} // namespace Operations
} // namespace Core
