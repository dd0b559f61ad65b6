#include "cutgluetestsupport.h"

#include "Core/Operations/CutGlue/cutcellvolumeoperation.h"
#include "Core/Operations/CutGlue/extractfilm.h"
#include "Core/Operations/CutGlue/gluesubstrateoperation.h"
#include "Core/Operations/workspace.h"

#include <gtest/gtest.h>

using namespace CutGlueTest;
using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Geometry::DrawRange;

namespace {

void pick(Workspace &w, const boost::shared_ptr<TotalVolume> &v)
{
    w.selection().toggleByIds(QList<int>{v->getId()});
    w.selection().publish();
}

uint32_t layered(unsigned, unsigned, unsigned z) { return z < 4 ? 1u : z == 4 ? 6u : 0u; }

} // namespace

TEST(GlueSubstrateOperation, TwoPicksGlueAndUndoSwapsTheVolumesBack)
{
    Workspace w;
    const boost::shared_ptr<TotalVolume> base = makeVolume(6, 5, 8, layered);
    const boost::shared_ptr<TotalVolume> top = makeVolume(4, 5, 6, layered);
    w.document().addObject(base);
    w.document().addObject(top);

    boost::shared_ptr<GlueSubstrateOperation> op(new GlueSubstrateOperation(&w));
    boost::shared_ptr<FakeDialog> dialog(new FakeDialog);
    GlueSubstrateOperation *raw = op.get();
    SubstrateGluer::Layout seen;
    dialog->accept = [raw, &seen]() {
        seen = raw->defaults();
        raw->setFinalSize(seen.sizeX, seen.sizeY, seen.sizeZ + 3);
        raw->setDisplacement(1, 0);
        raw->setInvert(true);
    };
    op->setDialogObserver(dialog);
    w.startOperation(op);
    EXPECT_EQ(w.console().lastMessage(), QStringLiteral("Glue Volumes: select the base cell volume and press Enter/Return."));
    EXPECT_TRUE(w.selection().isSelectionMode());

    pick(w, base);
    w.console().processInput(QString());
    EXPECT_EQ(op->step(), GlueSubstrateOperation::ChooseTop);
    EXPECT_EQ(w.console().lastMessage(), QStringLiteral("Glue Volumes: select the top cell volume and press Enter/Return."));

    // Picking the base again is not a top.
    pick(w, base);
    w.console().processInput(QString());
    EXPECT_EQ(op->step(), GlueSubstrateOperation::ChooseTop);

    w.selection().clear();
    pick(w, top);
    w.console().processInput(QString());
    ASSERT_EQ(op->step(), GlueSubstrateOperation::Done);
    EXPECT_EQ(dialog->shown, 1);
    EXPECT_EQ(seen.baseHeight, 5u);
    EXPECT_EQ(seen.sizeZ, 5u + 5u + 1u);

    const boost::shared_ptr<TotalVolume> glued = op->getGlued();
    ASSERT_TRUE(glued);
    EXPECT_EQ(glued->getSizeZ(), 14u);
    // Inverted, the film (6) of the top comes first on the base, the silicon above it.
    EXPECT_EQ(at(*glued, 1, 0, 5), 6u);
    EXPECT_EQ(at(*glued, 1, 0, 6), 1u);
    EXPECT_EQ(at(*glued, 0, 0, 5), 0u);
    EXPECT_EQ(w.document().getObjects(), (QList<boost::shared_ptr<Model::Object>>{glued}));
    EXPECT_EQ(w.history().undoName(), QStringLiteral("Glue Volumes"));

    ASSERT_TRUE(w.history().undo());
    QList<boost::shared_ptr<Model::Object>> objects = w.document().getObjects();
    EXPECT_EQ(objects.size(), 2);
    EXPECT_TRUE(objects.contains(base) && objects.contains(top));
    ASSERT_TRUE(w.history().redo());
    EXPECT_EQ(w.document().getObjects(), (QList<boost::shared_ptr<Model::Object>>{glued}));
}

TEST(GlueSubstrateOperation, RejectedDialogGluesNothing)
{
    Workspace w;
    const boost::shared_ptr<TotalVolume> base = makeVolume(3, 3, 6, layered);
    const boost::shared_ptr<TotalVolume> top = makeVolume(3, 3, 6, layered);
    w.document().addObject(base);
    w.document().addObject(top);
    boost::shared_ptr<GlueSubstrateOperation> op(new GlueSubstrateOperation(&w));
    op->setDialogObserver(boost::shared_ptr<FakeDialog>(new FakeDialog));
    pick(w, base);
    w.startOperation(op);
    pick(w, top);
    w.console().processInput(QString());
    EXPECT_FALSE(op->getGlued());
    EXPECT_EQ(w.document().getObjects().size(), 2);
    EXPECT_EQ(w.history().undoName(), QString());
}

TEST(ExtractFilm, ExtractsBesideTheSourceAndUndoRemovesIt)
{
    Workspace w;
    const boost::shared_ptr<TotalVolume> source = makeVolume(5, 4, 8, layered);
    w.document().addObject(source);
    boost::shared_ptr<ExtractFilm> op(new ExtractFilm(&w));
    boost::shared_ptr<FakeDialog> dialog(new FakeDialog);
    ExtractFilm *raw = op.get();
    dialog->accept = [raw]() { raw->setMaterial(6); };
    op->setDialogObserver(dialog);
    w.startOperation(op);
    EXPECT_EQ(w.console().lastMessage(), QStringLiteral("Extract Film: select a cell volume and press Enter/Return."));
    pick(w, source);
    w.console().processInput(QString());
    EXPECT_EQ(w.console().lastMessage(), QStringLiteral("Extract Film: film extracted."));
    const boost::shared_ptr<TotalVolume> film = op->getExtracted();
    ASSERT_TRUE(film);
    EXPECT_EQ(at(*film, 2, 2, 0), 6u);
    EXPECT_EQ(at(*film, 2, 2, 4), 0u);
    EXPECT_EQ(w.document().getObjects().size(), 2);
    ASSERT_TRUE(w.history().undo());
    EXPECT_EQ(w.document().getObjects(), (QList<boost::shared_ptr<Model::Object>>{source}));
    ASSERT_TRUE(w.history().redo());
    EXPECT_EQ(w.document().getObjects().size(), 2);
}

TEST(ExtractFilm, NoMaterialChosenCancels)
{
    Workspace w;
    const boost::shared_ptr<TotalVolume> source = makeVolume(5, 4, 8, layered);
    w.document().addObject(source);
    pick(w, source);
    boost::shared_ptr<ExtractFilm> op(new ExtractFilm(&w));
    op->setDialogObserver(boost::shared_ptr<FakeDialog>(new FakeDialog));
    w.startOperation(op);
    EXPECT_EQ(w.console().lastMessage(), QStringLiteral("Extract Film: Operation canceled."));
    EXPECT_EQ(w.document().getObjects().size(), 1);
}

TEST(CutCellVolumeOperation, LimitsThenResetRestoreTheFullView)
{
    Workspace w;
    const boost::shared_ptr<TotalVolume> v = makeVolume(6, 5, 4, layered);
    w.document().addObject(v);
    boost::shared_ptr<CutCellVolumeOperation> op(new CutCellVolumeOperation(&w));
    EXPECT_EQ(op->getTypeNumber(), 2);
    boost::shared_ptr<FakeDialog> dialog(new FakeDialog);
    CutCellVolumeOperation *raw = op.get();
    DrawRange initial;
    dialog->accept = [raw, &initial]() {
        initial = raw->currentLimits();
        DrawRange r = initial;
        r.x0 = 2;
        r.z1 = 3;
        r.y0 = 9; // beyond the volume: clamped to keep one layer
        raw->setLimits(r);
    };
    op->setDialogObserver(dialog);
    w.startOperation(op);
    EXPECT_EQ(w.console().lastMessage(), QStringLiteral("Change Cut Planes: Cut planes changed."));
    EXPECT_EQ(initial, op->fullLimits());
    const DrawRange cut = v->getPainter().getDrawRange();
    EXPECT_EQ(cut.x0, 2u);
    EXPECT_EQ(cut.z1, 3u);
    EXPECT_EQ(cut.y0, 4u);
    EXPECT_EQ(cut.y1, 5u);

    boost::shared_ptr<CutCellVolumeOperation> reset(new CutCellVolumeOperation(&w));
    CutCellVolumeOperation *resetRaw = reset.get();
    dialog->accept = [resetRaw]() { resetRaw->setLimits(resetRaw->fullLimits()); };
    reset->setDialogObserver(dialog);
    w.startOperation(reset);
    EXPECT_EQ(v->getPainter().getDrawRange(), reset->fullLimits());
    EXPECT_EQ(w.history().undoName(), QString());

    boost::shared_ptr<CutCellVolumeOperation> rejected(new CutCellVolumeOperation(&w));
    rejected->setDialogObserver(boost::shared_ptr<FakeDialog>(new FakeDialog));
    w.startOperation(rejected);
    EXPECT_EQ(w.console().lastMessage(), QStringLiteral("Change Cut Planes: Operation Canceled!"));
}
