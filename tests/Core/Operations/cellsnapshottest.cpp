#include "Core/Operations/cellsnapshot.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

#include "volumetestsupport.h"

#include "testsupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <numeric>

using Core::Operations::CellSnapshot;
using Core::Operations::Workspace;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

namespace {

using TestSupport::materialsOf;

void setAll(TotalVolume &volume, uint32_t material)
{
    CellLock lock(volume);
    for (size_t i = 0; i < volume.getCellCount(); ++i)
        lock.cells()[i].material = material;
}

using TestSupport::writeFile;

class CellSnapshotFile : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("undo1.temp")); }
};

} // namespace

TEST(CellSnapshot, SerialsCountPerKey)
{
    Workspace ws;
    CellSnapshot a(QStringLiteral("SerialKeyA"), &ws), b(QStringLiteral("SerialKeyA"), &ws),
        c(QStringLiteral("SerialKeyB"), &ws);
    EXPECT_EQ(b.serial(), a.serial() + 1);
    EXPECT_EQ(c.serial(), 0);
}

TEST_F(CellSnapshotFile, AppendedLinesAreFoundByKeyAndSerial)
{
    TotalVolume volume(3, 2, 2, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 2000, 4294967295u});
    const std::vector<uint32_t> original = materialsOf(volume);
    qint64 firstOffset = -1, secondOffset = -1;
    ASSERT_TRUE(CellSnapshot::append(file(), QStringLiteral("Etch"), 0, volume, &firstOffset));
    setAll(volume, 3);
    ASSERT_TRUE(CellSnapshot::append(file(), QStringLiteral("Etch"), 1, volume, &secondOffset));
    ASSERT_TRUE(CellSnapshot::append(file(), QStringLiteral("Deposit"), 0, volume));
    EXPECT_EQ(firstOffset, 0);
    EXPECT_GT(secondOffset, firstOffset);

    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readLine(), QByteArray("Etch 0 0 1 2 3 4 5 6 7 8 9 2000 4294967295\n"));

    // By scanning the whole file, and through the remembered offset.
    EXPECT_TRUE(CellSnapshot::restore(file(), QStringLiteral("Etch"), 0, volume));
    EXPECT_EQ(materialsOf(volume), original);
    setAll(volume, 3);
    EXPECT_TRUE(CellSnapshot::restore(file(), QStringLiteral("Etch"), 0, volume, firstOffset));
    EXPECT_EQ(materialsOf(volume), original);
    // A wrong hint still finds the line by scanning.
    EXPECT_TRUE(CellSnapshot::restore(file(), QStringLiteral("Etch"), 1, volume, firstOffset));
    EXPECT_EQ(materialsOf(volume), std::vector<uint32_t>(12, 3));
}

TEST_F(CellSnapshotFile, MissingLineOrFileLeavesCellsUnchanged)
{
    TotalVolume volume(2, 2, 2, 1, 1, 1, Util::Vector3D(), 5u);
    ASSERT_TRUE(CellSnapshot::append(file(), QStringLiteral("Etch"), 0, volume));
    setAll(volume, 6);
    EXPECT_FALSE(CellSnapshot::restore(file(), QStringLiteral("Etch"), 9, volume));
    EXPECT_FALSE(CellSnapshot::restore(file(), QStringLiteral("Et"), 0, volume));
    EXPECT_FALSE(CellSnapshot::restore(dir.filePath(QStringLiteral("absent.temp")), QStringLiteral("Etch"), 0, volume));
    EXPECT_EQ(materialsOf(volume), std::vector<uint32_t>(8, 6));
}

TEST_F(CellSnapshotFile, DamagedLinesNeverChangeAnyCell)
{
    TotalVolume volume(2, 2, 2, 1, 1, 1, Util::Vector3D(), 6u);
    const QByteArray cases[] = {
        "Etch 0 1 1 1 1\nEtch 1 2 2 2 2 2 2 2 2\n",   // truncated, next line must not be borrowed
        "Etch 0 1 1 1 x 1 1 1 1\n",                   // a non-number
        "Etch 0 1 1 1 1 1 1 1 -1\n",                  // a negative material
        "Etch 0 1 1 1 1 1 1 1 99999999999\n",         // beyond 32 bits
        "Etch 0 1 1 1 1 1 1 1",                       // file ends early
        "Etch 0 1 1 1 1.5 1 1 1 1\n",                 // a fraction
    };
    for (const QByteArray &content : cases) {
        writeFile(file(), content);
        EXPECT_FALSE(CellSnapshot::restore(file(), QStringLiteral("Etch"), 0, volume)) << content.constData();
        EXPECT_EQ(materialsOf(volume), std::vector<uint32_t>(8, 6)) << content.constData();
    }
    // Lines of other keys, blank lines and junk before ours are skipped.
    writeFile(file(), "garbage without numbers\n\nOther 0 9 9\nEtch 0 4 4 4 4 4 4 4 4\n");
    EXPECT_TRUE(CellSnapshot::restore(file(), QStringLiteral("Etch"), 0, volume));
    EXPECT_EQ(materialsOf(volume), std::vector<uint32_t>(8, 4));
}

TEST_F(CellSnapshotFile, UnwritableFileReportsFailure)
{
    TotalVolume volume(2, 2, 2, 1, 1, 1, Util::Vector3D(), 6u);
    EXPECT_FALSE(CellSnapshot::append(dir.filePath(QStringLiteral("no/such/dir/undo.temp")), QStringLiteral("Etch"), 0, volume));
    EXPECT_FALSE(CellSnapshot::append(QString(), QStringLiteral("Etch"), 0, volume));
}

namespace {

// Every cell changed but one in eleven, the way a fill or a deep etch changes most of a volume.
void changeMost(TotalVolume &volume)
{
    CellLock lock(volume);
    for (size_t i = 0; i < volume.getCellCount(); ++i)
        if (i % 11 != 0)
            lock.cells()[i].material = uint32_t(7 + (i / 5) % 3);
}

boost::shared_ptr<TotalVolume> layered()
{
    return TestSupport::makeVolume(9, 7, 12, [](unsigned x, unsigned, unsigned z) {
        return z < 4 ? 1u : z < 6 + x % 3 ? 2u : 0u;
    });
}

} // namespace

TEST(CellSnapshot, UndoRedoAndCancelPutBackExactlyWhatAStepChanged)
{
    Workspace ws;
    for (bool cancel : {false, true}) {
        const boost::shared_ptr<TotalVolume> volume = layered();
        const std::vector<uint32_t> before = materialsOf(*volume);
        CellSnapshot snapshot(QStringLiteral("Most"), &ws);
        ASSERT_TRUE(snapshot.saveBefore(*volume));
        EXPECT_TRUE(snapshot.hasBefore());
        changeMost(*volume);
        const std::vector<uint32_t> after = materialsOf(*volume);
        if (cancel) {
            // Stopped before it finished: the copy in memory puts the cells back.
            EXPECT_FALSE(snapshot.hasAfter());
            EXPECT_TRUE(snapshot.undoRestore(*volume));
            EXPECT_EQ(materialsOf(*volume), before);
            EXPECT_FALSE(snapshot.redoRestore(*volume));
            continue;
        }
        ASSERT_TRUE(snapshot.saveAfter(*volume));
        ASSERT_TRUE(snapshot.hasAfter());
        for (int round = 0; round < 2; ++round) {
            EXPECT_TRUE(snapshot.undoRestore(*volume));
            EXPECT_EQ(materialsOf(*volume), before);
            EXPECT_TRUE(snapshot.redoRestore(*volume));
            EXPECT_EQ(materialsOf(*volume), after);
        }
    }
}

TEST(CellSnapshot, AStepThatChangesLittleWritesLittle)
{
    Workspace ws;
    std::unique_ptr<TotalVolume> volume(new TotalVolume(64, 64, 64, 1, 1, 1, Util::Vector3D(), 1u));
    CellSnapshot snapshot(QStringLiteral("Little"), &ws);
    ASSERT_TRUE(snapshot.saveBefore(*volume));
    {
        CellLock lock(*volume);
        for (unsigned z = 60; z < 64; ++z)
            lock.cells()[volume->cellIndex(5, 6, z)].material = 0;
    }
    ASSERT_TRUE(snapshot.saveAfter(*volume));
    QFile undo(ws.persistence().undoFileName());
    ASSERT_TRUE(undo.open(QIODevice::ReadOnly));
    const QByteArray all = undo.readAll();
    const QByteArray expected = QByteArray("Little ") + QByteArray::number(snapshot.serial()) + " * 262144 1 " +
                                QByteArray::number(qulonglong(volume->cellIndex(5, 6, 60))) + " 4 1\n";
    EXPECT_TRUE(all.endsWith(expected)) << all.right(80).constData();
}

TEST_F(CellSnapshotFile, DamagedRunLinesNeverChangeAnyCell)
{
    TotalVolume volume(2, 2, 2, 1, 1, 1, Util::Vector3D(), 6u);
    const QByteArray cases[] = {
        "Etch 0 * 8 2 0 2 5\n",           // fewer runs than it says
        "Etch 0 * 9 1 0 2 5\n",           // another volume's cell count
        "Etch 0 * 8 1 7 2 5\n",           // a run past the last cell
        "Etch 0 * 8 1 4294967295 2 5\n",  // and one whose end wraps around 32 bits
        "Etch 0 * 8 1 0 2 5 9\n",         // more on the line than it says
        "Etch 0 * 8 1 0 2\n",             // a run cut short
        "Etch 0 * 8 4294967295\n",        // a run count the line does not hold
    };
    for (const QByteArray &content : cases) {
        writeFile(file(), content);
        EXPECT_FALSE(CellSnapshot::restore(file(), QStringLiteral("Etch"), 0, volume)) << content.constData();
        EXPECT_EQ(materialsOf(volume), std::vector<uint32_t>(8, 6)) << content.constData();
    }
    writeFile(file(), "Etch 0 * 8 2 0 2 5 6 2 4\n");
    EXPECT_TRUE(CellSnapshot::restore(file(), QStringLiteral("Etch"), 0, volume));
    EXPECT_EQ(materialsOf(volume), (std::vector<uint32_t>{5, 5, 6, 6, 6, 6, 4, 4}));
}
