#include "Core/Operations/Document/documentsession.h"
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/Operations/Document/savedocumentasoperation.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "fakedocumentdialogs.h"

#include "testsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

using namespace Core::Operations;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {

class CountingObserver : public Util::IObserver
{
public:
    void notify() override
    {
        ++calls;
        lastOpened = DocumentSession::instance().lastOpenedFileName();
    }
    int calls = 0;
    QString lastOpened;
};

boost::shared_ptr<TotalVolume> volume(unsigned sx, unsigned sy, unsigned sz, uint32_t seed)
{
    std::vector<uint32_t> ids(size_t(sx) * sy * sz);
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = (i * 31 + seed) % 7 == 0 ? 0u : uint32_t(1 + (i + seed) % 17);
    return boost::shared_ptr<TotalVolume>(
        new TotalVolume(sx, sy, sz, 0.5f, 1.0f, 2.0f, Util::Vector3D(1.0, 2.0, 3.0), ids));
}

std::vector<uint32_t> materialsOf(const boost::shared_ptr<Model::Object> &object)
{
    const boost::shared_ptr<TotalVolume> v = boost::dynamic_pointer_cast<TotalVolume>(object);
    if (!v)
        return {};
    CellLock lock(*v);
    std::vector<uint32_t> ids(v->getCellCount());
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = lock.cells()[i].material;
    return ids;
}

QByteArray contents(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using TestSupport::writeFile;

class DocumentOperationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MaterialFactory::instance()->setDefaultMaterials();
        DocumentSession::instance().reset();
        ASSERT_TRUE(dir.isValid());
        dialogs.reset(new FakeDocumentDialogs);
        saved.reset(new CountingObserver);
    }
    void TearDown() override
    {
        MaterialFactory::instance()->setDefaultMaterials();
        DocumentSession::instance().reset();
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    void runSave(Workspace &workspace, bool saveAs = false)
    {
        boost::shared_ptr<SaveDocumentOperation> operation(
            saveAs ? new SaveDocumentAsOperation(&workspace, dialogs) : new SaveDocumentOperation(&workspace, dialogs));
        operation->setObserver(saved);
        workspace.startOperation(operation);
        EXPECT_FALSE(workspace.currentOperation());
    }

    QString saveQuestion() const
    {
        return QStringLiteral("Choose location|") + QDir::homePath() + QStringLiteral("|Torvane file (*.tvn)");
    }

    QTemporaryDir dir;
    boost::shared_ptr<FakeDocumentDialogs> dialogs;
    boost::shared_ptr<CountingObserver> saved;
};

} // namespace

TEST_F(DocumentOperationsTest, SaveAsksForALocationOnceThenWritesToTheSameFile)
{
    Workspace workspace;
    workspace.document().addObject(volume(3, 2, 2, 1));
    dialogs->saveAnswers << path(QStringLiteral("first.tvn"));
    runSave(workspace);
    EXPECT_EQ(dialogs->asked, QStringList{saveQuestion()});
    EXPECT_EQ(workspace.document().getFileName(), path(QStringLiteral("first.tvn")));
    EXPECT_EQ(saved->calls, 1);
    const QByteArray first = contents(path(QStringLiteral("first.tvn")));
    EXPECT_TRUE(first.contains("<State>"));

    workspace.document().addObject(volume(1, 1, 1, 2));
    runSave(workspace);
    EXPECT_EQ(dialogs->asked.size(), 1); // not asked again
    EXPECT_EQ(saved->calls, 2);
    EXPECT_EQ(contents(path(QStringLiteral("first.tvn"))).count("<Object "), 2);
}

TEST_F(DocumentOperationsTest, SaveAsAlwaysAsksAndRebindsTheScene)
{
    Workspace workspace;
    workspace.document().addObject(volume(2, 2, 2, 3));
    workspace.document().setFileName(path(QStringLiteral("old.tvn")));
    dialogs->saveAnswers << path(QStringLiteral("new.tvn"));
    runSave(workspace, true);
    EXPECT_EQ(dialogs->asked, QStringList{saveQuestion()});
    EXPECT_EQ(workspace.document().getFileName(), path(QStringLiteral("new.tvn")));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("new.tvn"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("old.tvn"))));
}

TEST_F(DocumentOperationsTest, NoFileChosenWritesNothing)
{
    for (bool saveAs : {false, true}) {
        Workspace workspace;
        workspace.document().addObject(volume(2, 2, 2, 3));
        runSave(workspace, saveAs);
        EXPECT_TRUE(workspace.document().getFileName().isEmpty());
        EXPECT_EQ(saved->calls, 0);
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }
}

TEST_F(DocumentOperationsTest, ChosenNameWithoutExtensionGetsTvn)
{
    Workspace workspace;
    dialogs->saveAnswers << path(QStringLiteral("wafer")) << path(QStringLiteral("wafer.xml"));
    runSave(workspace, true);
    EXPECT_EQ(workspace.document().getFileName(), path(QStringLiteral("wafer.tvn")));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("wafer.tvn"))));
    runSave(workspace, true);
    EXPECT_EQ(workspace.document().getFileName(), path(QStringLiteral("wafer.xml")));
    EXPECT_TRUE(dialogs->replaceQuestions.isEmpty());
}

TEST_F(DocumentOperationsTest, CompletedNameOfAnExistingFileIsReplacedOnlyWhenConfirmed)
{
    writeFile(path(QStringLiteral("keep.tvn")), "precious");
    Workspace workspace;
    dialogs->saveAnswers << path(QStringLiteral("keep")) << path(QStringLiteral("keep"));
    runSave(workspace, true);
    EXPECT_EQ(dialogs->replaceQuestions, QStringList{path(QStringLiteral("keep.tvn"))});
    EXPECT_EQ(contents(path(QStringLiteral("keep.tvn"))), QByteArray("precious"));
    EXPECT_TRUE(workspace.document().getFileName().isEmpty());

    dialogs->replaceAnswer = true;
    runSave(workspace, true);
    EXPECT_TRUE(contents(path(QStringLiteral("keep.tvn"))).startsWith("<?xml"));
}

TEST_F(DocumentOperationsTest, FailedSaveLeavesTheOldFileByteIdenticalAndSaysSo)
{
    const QString target = path(QStringLiteral("wafer.tvn"));
    const QByteArray old = "<?xml version=\"1.0\"?><Document><Header version=\"1\"/></Document>";
    writeFile(target, old);
    Workspace workspace;
    workspace.document().addObject(volume(64, 64, 64, 5)); // far more than the limit below
    workspace.document().setFileName(target);

    // Writes beyond 64 KiB fail from here on, as on a full disk.
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    runSave(workspace);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(contents(target), old);
    ASSERT_EQ(dialogs->shown.size(), 1);
    EXPECT_EQ(dialogs->shown.first().first, QStringLiteral("Error writing to file"));
    EXPECT_EQ(dialogs->shown.first().second, QStringLiteral("Unable to save document to the specified file."));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("wafer.tvn")});
    EXPECT_EQ(workspace.document().getFileName(), target);
}

TEST_F(DocumentOperationsTest, FileThatCannotBeCreatedIsReported)
{
    Workspace workspace;
    dialogs->saveAnswers << path(QStringLiteral("no/such/folder/x.tvn"));
    runSave(workspace);
    ASSERT_EQ(dialogs->shown.size(), 1);
    EXPECT_EQ(dialogs->shown.first().first, QStringLiteral("Error writing to file"));
    EXPECT_TRUE(workspace.document().getFileName().isEmpty());
}

TEST_F(DocumentOperationsTest, OpenHandsTheChosenFileToTheOpenedObserverAndRemembersTheFolder)
{
    boost::shared_ptr<CountingObserver> opened(new CountingObserver);
    DocumentSession::instance().setDocumentOpenedObserver(opened);
    Workspace workspace;
    const QString chosen = path(QStringLiteral("doc.tvn"));
    dialogs->openAnswers << chosen;
    workspace.startOperation(boost::shared_ptr<Operation>(new OpenDocumentOperation(&workspace, dialogs)));
    EXPECT_EQ(opened->calls, 1);
    EXPECT_EQ(opened->lastOpened, chosen);
    EXPECT_FALSE(workspace.currentOperation());

    // Cancelled: the observer is not told, and the next dialog starts at the last file.
    workspace.startOperation(boost::shared_ptr<Operation>(new OpenDocumentOperation(&workspace, dialogs)));
    EXPECT_EQ(opened->calls, 1);
    EXPECT_FALSE(workspace.currentOperation());
    ASSERT_EQ(dialogs->asked.size(), 2);
    EXPECT_EQ(dialogs->asked[0], QStringLiteral("Choose file|") + QDir::homePath() + QStringLiteral("|Torvane file (*.tvn)"));
    EXPECT_EQ(dialogs->asked[1], QStringLiteral("Choose file|") + chosen + QStringLiteral("|Torvane file (*.tvn)"));
    EXPECT_TRUE(DocumentSession::instance().lastOpenedFileName().isEmpty());
}

TEST_F(DocumentOperationsTest, LoadReproducesTheSceneInAnotherWorkspace)
{
    Workspace source;
    source.document().addObject(volume(5, 4, 3, 1));
    source.document().addObject(volume(2, 3, 4, 2));
    const QString file = path(QStringLiteral("scene.tvn"));
    ASSERT_TRUE(DocumentStorage::save(file, source, dialogs.get()));

    Workspace target;
    boost::shared_ptr<CountingObserver> redraw(new CountingObserver);
    target.addUpdateObserver(redraw);
    const QList<Material> catalogue = MaterialFactory::instance()->getMaterials();
    EXPECT_EQ(DocumentStorage::load(file, target, dialogs.get()), DocumentStorage::Loaded);
    EXPECT_TRUE(dialogs->shown.isEmpty());
    EXPECT_EQ(target.document().getFileName(), file);
    EXPECT_GE(redraw->calls, 1);
    EXPECT_EQ(MaterialFactory::instance()->getMaterials(), catalogue);
    const QList<boost::shared_ptr<Model::Object>> loaded = target.document().getObjects();
    const QList<boost::shared_ptr<Model::Object>> original = source.document().getObjects();
    ASSERT_EQ(loaded.size(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(materialsOf(loaded[i]), materialsOf(original[i]));
    EXPECT_EQ(source.document().getObjects().size(), 2);
}

TEST_F(DocumentOperationsTest, ConflictingMaterialRenumbersItsCellsWhenNobodyDecides)
{
    MaterialFactory::instance()->setMaterial(Material(3, QStringLiteral("Custom oxide"), 1.0f, 1.0f, 0.1f));
    Workspace source;
    source.document().addObject(boost::shared_ptr<TotalVolume>(
        new TotalVolume(3, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(), std::vector<uint32_t>{3, 1, 3})));
    const QString file = path(QStringLiteral("oxide.tvn"));
    ASSERT_TRUE(DocumentStorage::save(file, source, dialogs.get()));
    MaterialFactory::instance()->setDefaultMaterials();

    Workspace target;
    ASSERT_EQ(DocumentStorage::load(file, target, dialogs.get()), DocumentStorage::Loaded);
    const std::vector<uint32_t> cells = materialsOf(target.document().getObjects().first());
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_GE(cells[0], 2000u);
    EXPECT_EQ(cells[2], cells[0]);
    EXPECT_EQ(cells[1], 1u);
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(cells[0]).getName(), QStringLiteral("Custom oxide"));
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(3).getName(), QStringLiteral("Thermal Si02"));
}

struct BadFileCase
{
    const char *name;
    QByteArray bytes; // empty name: the file does not exist
    DocumentStorage::LoadStatus status;
    friend void PrintTo(const BadFileCase &c, std::ostream *os) { *os << c.name; }
};

class BadDocumentFile : public DocumentOperationsTest, public ::testing::WithParamInterface<BadFileCase>
{
};

TEST_P(BadDocumentFile, IsReportedAndLeavesTheSceneEmpty)
{
    const BadFileCase &c = GetParam();
    const QString file = path(QStringLiteral("bad.tvn"));
    if (c.status != DocumentStorage::Unreadable)
        writeFile(file, c.bytes);
    Workspace target;
    QString message;
    EXPECT_EQ(DocumentStorage::load(file, target, dialogs.get(), &message), c.status);
    ASSERT_EQ(dialogs->shown.size(), 1);
    EXPECT_EQ(dialogs->shown.first().first, QStringLiteral("Error reading from file"));
    EXPECT_EQ(dialogs->shown.first().second, message);
    EXPECT_TRUE(target.document().getObjects().isEmpty());
    EXPECT_TRUE(target.document().getFileName().isEmpty());
    EXPECT_EQ(DocumentSession::instance().lastOpenedFileName(), file);
    if (c.status != DocumentStorage::Unreadable)
        EXPECT_EQ(contents(file), c.bytes); // left untouched
}

INSTANTIATE_TEST_SUITE_P(
    DocumentOperationsTest, BadDocumentFile,
    ::testing::Values(
        BadFileCase{"Missing", QByteArray(), DocumentStorage::Unreadable},
        BadFileCase{"NotADocument", "<?xml version=\"1.0\"?><Materials/>", DocumentStorage::Refused},
        BadFileCase{"AbsurdCellCount",
                    "<?xml version=\"1.0\"?><Document><Header version=\"1\"/><Object object-type=\"1\" "
                    "size-x=\"1000000\" size-y=\"1000000\" size-z=\"1000000\"><State>1 </State></Object></Document>",
                    DocumentStorage::Refused},
        BadFileCase{"StateLongerThanTheFile",
                    "<?xml version=\"1.0\"?><Document><Header version=\"1\"/><Object object-type=\"1\" "
                    "size-x=\"512\" size-y=\"512\" size-z=\"64\"><State>1 1 1 </State></Object></Document>",
                    DocumentStorage::Refused}),
    [](const ::testing::TestParamInfo<BadFileCase> &info) { return std::string(info.param.name); });

TEST_F(DocumentOperationsTest, DamagedDocumentShowsWhatWasReadButIsNotBoundToTheFile)
{
    Workspace source;
    source.document().addObject(volume(2, 2, 2, 1));
    source.document().addObject(volume(40, 40, 40, 2));
    const QString file = path(QStringLiteral("broken.tvn"));
    ASSERT_TRUE(DocumentStorage::save(file, source, dialogs.get()));
    const QByteArray whole = contents(file);
    const QByteArray cut = whole.left(whole.size() * 3 / 4);
    writeFile(file, cut);

    Workspace target;
    EXPECT_EQ(DocumentStorage::load(file, target, dialogs.get()), DocumentStorage::LoadedDamaged);
    ASSERT_EQ(target.document().getObjects().size(), 2);
    EXPECT_EQ(materialsOf(target.document().getObjects().first()), materialsOf(source.document().getObjects().first()));
    // The broken volume keeps its size and every id read from the file, the text after the last tag included.
    const std::vector<uint32_t> original = materialsOf(source.document().getObjects().last());
    const std::vector<uint32_t> kept = materialsOf(target.document().getObjects().last());
    ASSERT_EQ(kept.size(), original.size());
    const size_t read = size_t(cut.mid(cut.lastIndexOf("<State>") + 7).count(' '));
    ASSERT_GT(read, original.size() / 2);
    for (size_t i = 0; i < kept.size(); ++i)
        ASSERT_EQ(kept[i], i < read ? original[i] : 0u) << i;
    ASSERT_EQ(dialogs->shown.size(), 1);
    EXPECT_EQ(dialogs->shown.first().first, QStringLiteral("Error reading from file"));
    EXPECT_TRUE(dialogs->shown.first().second.contains(QStringLiteral("damaged and incomplete")));
    EXPECT_TRUE(target.document().getFileName().isEmpty());

    // A plain Save asks where to save instead of overwriting the damaged original.
    runSave(target);
    EXPECT_EQ(dialogs->asked, QStringList{saveQuestion()});
    EXPECT_EQ(contents(file), cut);
}

TEST_F(DocumentOperationsTest, TwoScenesUseDifferentScratchFiles)
{
    Workspace a, b;
    EXPECT_NE(a.persistence().undoFileName(), b.persistence().undoFileName());
    EXPECT_NE(a.persistence().redoFileName(), b.persistence().redoFileName());
    EXPECT_TRUE(a.persistence().archivers().archiver(1));
    EXPECT_FALSE(a.persistence().archivers().archiver(2));
}

TEST(DocumentStorage, WindowTitleIsProgramNameTwoSpacesAndFileName)
{
    EXPECT_EQ(DocumentStorage::windowTitle(QStringLiteral("/data/wafer.tvn")), QStringLiteral("Torvane  /data/wafer.tvn"));
    EXPECT_EQ(DocumentStorage::windowTitle(QString()), QStringLiteral("Torvane"));
}
