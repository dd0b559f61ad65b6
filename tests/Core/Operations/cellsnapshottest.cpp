#include "Core/Operations/cellsnapshot.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

#include "volumetestsupport.h"

#include "testsupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

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
