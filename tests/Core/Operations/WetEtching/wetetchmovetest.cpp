#include "Core/Operations/ObjectEditing/moveobject.h"
#include "Core/Operations/stepoperations.h"
#include "Core/Operations/workspace.h"
#include "Model/Geometry/silatticepainter.h"
#include "wetetchtestsupport.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

using namespace Core::Operations;
using namespace WetEtchTest;
using Model::Automaton::TotalVolume;

namespace {

// Accepts the options dialog with a fixed depth.
class DepthAnswer : public Util::IObserver
{
public:
    boost::weak_ptr<ProcessOperation> operation;
    void notify() override
    {
        if (const boost::shared_ptr<ProcessOperation> op = operation.lock())
            op->setValues({{"Depth", 2.0}});
    }
};

// One workspace holding one masked silicon volume.
struct Scene
{
    Workspace ws;
    boost::shared_ptr<TotalVolume> volume = makeVolume(40, 40, 20, maskedTop(16, 12, 28));
    Scene() { ws.document().addObject(volume); }

    template <class Op>
    void etch()
    {
        const boost::shared_ptr<DepthAnswer> answer(new DepthAnswer);
        const boost::shared_ptr<Op> op(new Op(&ws));
        answer->operation = op;
        op->setDialogObserver(answer);
        ws.startOperation(op);
        ASSERT_EQ(ws.console().lastMessage(), op->getName() + QStringLiteral(": Operation finished."));
    }

    void move(const QString &typed)
    {
        ws.selection().setSelectionMode(true);
        ws.selection().toggleByIds({volume->getId()});
        ws.selection().publish();
        ws.startOperation(boost::shared_ptr<Operation>(new MoveObject(&ws)));
        ws.console().processInput(typed);
        ASSERT_EQ(ws.console().lastMessage(), QStringLiteral("Move: Object(s) moved"));
    }

    std::vector<float> overlayCells() const
    {
        Model::Geometry::SiLatticePainter painter;
        Model::Geometry::SiLatticePainter::Options options;
        options.unitCells = true;
        painter.regenerate(volume->getLattice().get(), Model::Geometry::DrawRange{0, 0, 0, 40, 40, 20}, options,
                           false);
        return painter.cellPositions();
    }
};

template <class Op>
class EtchMoveEtch : public ::testing::Test
{
};

typedef ::testing::Types<AtomisticSiWetEtchingOperation, ContinousWetEtchOperation> EtchTypes;
TYPED_TEST_SUITE(EtchMoveEtch, EtchTypes);

std::vector<uint32_t> materials(TotalVolume &volume)
{
    std::vector<uint32_t> out;
    for (const WetEtchTest::CellRecord &v : cellsOf(volume))
        out.push_back(v.material);
    return out;
}

} // namespace

// Moving a volume between two etches changes nothing in the second etch, cell for cell,
// and the lattice overlay keeps its place on the volume.
TYPED_TEST(EtchMoveEtch, MovingBetweenEtchesGivesTheSameCellsAsNotMoving)
{
    Scene moved, still;
    moved.template etch<TypeParam>();
    still.template etch<TypeParam>();
    ASSERT_EQ(materials(*moved.volume), materials(*still.volume));

    moved.move(QStringLiteral("10.5, 3.25, 0"));
    EXPECT_EQ(moved.volume->getPosition(), Util::Vector3D(10.5, 3.25, 0));
    EXPECT_EQ(moved.overlayCells(), still.overlayCells());

    moved.template etch<TypeParam>();
    still.template etch<TypeParam>();
    EXPECT_EQ(materials(*moved.volume), materials(*still.volume));
    EXPECT_EQ(moved.overlayCells(), still.overlayCells());
}

// A volume that never sat at the origin etches exactly like one that does.
TYPED_TEST(EtchMoveEtch, TheEtchDoesNotDependOnWhereTheVolumeIs)
{
    Scene away, home;
    away.volume->translate(Util::Vector3D(-37.75, 101.5, 12.125));
    away.template etch<TypeParam>();
    home.template etch<TypeParam>();
    EXPECT_EQ(materials(*away.volume), materials(*home.volume));
}
