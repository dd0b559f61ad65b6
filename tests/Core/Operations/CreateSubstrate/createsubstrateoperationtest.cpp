#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/CreateSubstrate/substrate.h"
#include "Core/Operations/iusermessages.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

using Core::Operations::CreateSubstrateOperation;
using Core::Operations::SubstrateShape;
using Core::Operations::buildSubstrate;
using Core::Operations::Workspace;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

namespace {

size_t countMaterial(TotalVolume &volume, uint32_t material)
{
    CellLock lock(volume);
    size_t n = 0;
    for (size_t i = 0; i < volume.getCellCount(); ++i)
        n += lock.cells()[i].material == material;
    return n;
}

class RecordingMessages : public Core::Operations::IUserMessages
{
public:
    void showError(const QString &title, const QString &text) override { errors << title + ": " + text; }
    QStringList errors;
};

} // namespace

TEST(CreateSubstrate, DefaultBoxFillsTheLowestThirtyLayers)
{
    Workspace ws;
    boost::shared_ptr<CreateSubstrateOperation> op(new CreateSubstrateOperation(&ws));
    // The dialog's defaults but for the corner.
    op->setValues({{"Material", 1u}, {"Lower Left Front Corner", QVariant::fromValue(Util::Vector3D(1, 2, 3))}});
    ws.startOperation(op);
    const boost::shared_ptr<TotalVolume> volume = op->getVolume();
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->getSizeZ(), 80u);
    EXPECT_EQ(volume->getPosition(), Util::Vector3D(1, 2, 3));
    EXPECT_EQ(countMaterial(*volume, 1), 100u * 100u * 30u);
    {
        CellLock lock(*volume);
        EXPECT_EQ(lock.cells()[volume->cellIndex(99, 99, 29)].material, 1u);
        EXPECT_EQ(lock.cells()[volume->cellIndex(0, 0, 30)].material, 0u);
    }
    EXPECT_EQ(ws.console().lastMessage(), QStringLiteral("Create Substrate: substrate created successfully."));
    EXPECT_EQ(ws.history().undoName(), QStringLiteral("Create Substrate"));
    EXPECT_EQ(ws.document().getObjects().size(), 1);

    // Undo and redo move the same object out and back.
    ws.history().undo();
    EXPECT_TRUE(ws.document().getObjects().isEmpty());
    ws.history().redo();
    ASSERT_EQ(ws.document().getObjects().size(), 1);
    EXPECT_EQ(ws.document().getObjects().first()->getId(), volume->getId());
}

TEST(CreateSubstrate, BoxIsCutOffAtTheVolumeBorder)
{
    Workspace ws;
    SubstrateShape box;
    box.material = 4;
    box.sizeX = 10, box.sizeY = 10, box.sizeZ = 80;
    box.deltaX = 5, box.deltaY = 0, box.deltaZ = 70;
    box.boxX = 100, box.boxY = 3, box.boxZ = 30;
    QString error;
    const boost::shared_ptr<TotalVolume> volume = buildSubstrate(box, &error);
    ASSERT_TRUE(volume);
    EXPECT_EQ(countMaterial(*volume, 4), 5u * 3u * 10u); // x 5..9, y 0..2, z 70..79
    CellLock lock(*volume);
    EXPECT_EQ(lock.cells()[volume->cellIndex(5, 0, 70)].material, 4u);
    EXPECT_EQ(lock.cells()[volume->cellIndex(5, 0, 69)].material, 0u);
    EXPECT_EQ(lock.cells()[volume->cellIndex(4, 0, 75)].material, 0u);
}

TEST(CreateSubstrate, SphereOfRadiusTwoHoldsThirtyThreeCells)
{
    Workspace ws;
    SubstrateShape sphere;
    sphere.material = 7;
    sphere.sizeX = sphere.sizeY = sphere.sizeZ = 5;
    sphere.spherical = true;
    sphere.centerX = sphere.centerY = sphere.centerZ = 2;
    sphere.radius = 2;
    QString error;
    const boost::shared_ptr<TotalVolume> volume = buildSubstrate(sphere, &error);
    ASSERT_TRUE(volume);
    EXPECT_EQ(countMaterial(*volume, 7), 33u);
}

TEST(CreateSubstrate, WithoutParametersItWaitsAndCancelsSilently)
{
    Workspace ws;
    boost::shared_ptr<CreateSubstrateOperation> op(new CreateSubstrateOperation(&ws));
    ws.startOperation(op); // the dialog was cancelled: nothing set
    EXPECT_EQ(ws.currentOperation(), op);
    EXPECT_TRUE(ws.document().getObjects().isEmpty());
    op->cancel();
    EXPECT_FALSE(ws.currentOperation());
    EXPECT_TRUE(ws.console().lastMessage().isEmpty());
    EXPECT_EQ(ws.history().undoCount(), 0u);
}

TEST(CreateSubstrate, AnImpossibleVolumeIsRefusedAndTheOperationStays)
{
    Workspace ws;
    const boost::shared_ptr<RecordingMessages> messages(new RecordingMessages);
    ws.setUserMessages(messages);
    boost::shared_ptr<CreateSubstrateOperation> op(new CreateSubstrateOperation(&ws));
    op->setValues({{"Material", 1u},
                   {"Volume Size X", 1000000000u},
                   {"Volume Size Y", 1000000000u},
                   {"Volume Size Z", 1000000000u}});
    ws.startOperation(op);
    ASSERT_EQ(messages->errors.size(), 1);
    EXPECT_TRUE(messages->errors.first().contains(QStringLiteral("too large")));
    EXPECT_EQ(ws.currentOperation(), op);
    EXPECT_FALSE(op->isReady());
    EXPECT_TRUE(ws.document().getObjects().isEmpty());
}
