#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Process::ProcessFactory;
using Model::Process::ProcessInfo;

namespace {

QString torvaneDir() { return QDir(TestSupport::homeDirectory()).filePath(QStringLiteral("Torvane")); }
QString catalogueFile() { return torvaneDir() + QStringLiteral("/processes.xml"); }

using TestSupport::readAll;
using TestSupport::writeFile;

QByteArray processesWith(const QByteArray &elements)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Processes>\n" + elements + "</Processes>\n";
}

QList<unsigned> ids(const QList<ProcessInfo> &processes)
{
    QList<unsigned> result;
    for (const ProcessInfo &p : processes)
        result.append(p.getId());
    return result;
}

QList<unsigned> range(unsigned first, unsigned last)
{
    QList<unsigned> result;
    for (unsigned id = first; id <= last; ++id)
        result.append(id);
    return result;
}

class ProcessFactoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(torvaneDir()).removeRecursively();
        MaterialFactory::instance()->setDefaultMaterials();
        factory = ProcessFactory::instance();
        factory->setDefaultProcesses();
    }
    void TearDown() override { factory->setDefaultProcesses(); }

    boost::shared_ptr<ProcessFactory> factory;
};

} // namespace

TEST_F(ProcessFactoryTest, MissingFileGivesBuiltInTableAndWritesIt)
{
    factory->setProcess(ProcessInfo(40, QStringLiteral("Scratch")));
    ProcessFactory::initialize();

    const QList<ProcessInfo> all = factory->getProcesses();
    EXPECT_EQ(ids(all), range(1, 18));
    EXPECT_EQ(factory->getProcess(14).getName(), QStringLiteral("Ion Implantation"));
    EXPECT_EQ(factory->getProcess(15).getName(), QStringLiteral("Ion Implantation"));
    EXPECT_EQ(factory->getProcess(18).getName(), QStringLiteral("Isotropic Deposition"));
    EXPECT_EQ(factory->getProcess(8).getName(), QStringLiteral("Spin Coating / Soft Lithography"));
    EXPECT_EQ(factory->getProcess(7).getCompatibleMaterialIds(), QList<unsigned>());
    EXPECT_EQ(factory->getProcess(10).getCompatibleMaterialIds(), QList<unsigned>{1} + range(3, 13));
    EXPECT_EQ(factory->getProcess(17).getCompatibleMaterialIds(), QList<unsigned>{1} + range(3, 16));
    EXPECT_EQ(factory->getProcess(12).getCompatibleMaterialIds(), (QList<unsigned>{1, 14, 15, 16}));

    const QByteArray text = readAll(catalogueFile());
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Processes>\n")) << text.constData();
    EXPECT_TRUE(text.contains("    <Process version=\"1\" name=\"CVD\" process-id=\"3\">\n"
                              "        <CompatibleMaterials>3;16</CompatibleMaterials>\n"
                              "    </Process>\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("name=\"PVD\" process-id=\"4\">\n        <CompatibleMaterials>4;5;6;7;8;9;10<"));
    EXPECT_EQ(text.count("<Process "), 18);
}

TEST_F(ProcessFactoryTest, FileWithOnlyEditedProcessIsCompletedWithBuiltIns)
{
    writeFile(catalogueFile(), processesWith("<Process version=\"1\" name=\"My Wet Etch\" process-id=\"1\">\n"
                                             "<CompatibleMaterials>1;17;3</CompatibleMaterials>\n</Process>\n"));
    ProcessFactory::initialize();

    EXPECT_EQ(ids(factory->getProcesses()), range(1, 18));
    EXPECT_EQ(factory->getProcess(1).getName(), QStringLiteral("My Wet Etch"));
    EXPECT_EQ(factory->getProcess(1).getCompatibleMaterialIds(), (QList<unsigned>{1, 17, 3}));
    EXPECT_EQ(factory->getProcess(3).getCompatibleMaterialIds(), (QList<unsigned>{3, 16}));

    const QByteArray text = readAll(catalogueFile());
    EXPECT_EQ(text.count("<Process "), 18);
    EXPECT_TRUE(text.contains("name=\"My Wet Etch\" process-id=\"1\">\n        <CompatibleMaterials>1;17;3<"));
    EXPECT_FALSE(QFileInfo::exists(catalogueFile() + QStringLiteral(".bak")));
}

TEST_F(ProcessFactoryTest, InvalidProcessesAreSkippedAndTheRestLoads)
{
    writeFile(catalogueFile(),
              processesWith("<Process version=\"1\" name=\"Bad id\" process-id=\"x1\"><CompatibleMaterials>1"
                            "</CompatibleMaterials></Process>\n"
                            "<Process version=\"v1\" name=\"Bad version\" process-id=\"21\"/>\n"
                            "<Process version=\"1\" name=\"Zero\" process-id=\"0\"/>\n"
                            "<Process version=\"1\" name=\"\" process-id=\"22\"/>\n"
                            "<Process version=\"1\" name=\"Negative\" process-id=\"-3\"/>\n"
                            "<Process name=\"No version\" process-id=\"23\"><CompatibleMaterials>4"
                            "</CompatibleMaterials></Process>\n"
                            // No list at all, directly followed by another process: both load.
                            "<Process version=\"1\" name=\"No list\" process-id=\"24\"></Process>\n"
                            "<Process version=\"1\" name=\"Empty list\" process-id=\"25\">"
                            "<CompatibleMaterials/></Process>\n"
                            "<Process version=\"1\" name=\"Dup\" process-id=\"26\"><CompatibleMaterials>1"
                            "</CompatibleMaterials></Process>\n"
                            "<Process version=\"1\" name=\"Dup later\" process-id=\"26\"><Note>x</Note>"
                            "<CompatibleMaterials>5;5</CompatibleMaterials></Process>\n"));
    ASSERT_TRUE(factory->loadProcesses());

    EXPECT_EQ(ids(factory->getProcesses()), (QList<unsigned>{23, 24, 25, 26}));
    EXPECT_EQ(factory->getProcess(23).getCompatibleMaterialIds(), QList<unsigned>{4});
    EXPECT_TRUE(factory->getProcess(24).getCompatibleMaterialIds().isEmpty());
    EXPECT_TRUE(factory->getProcess(25).getCompatibleMaterialIds().isEmpty());
    EXPECT_EQ(factory->getProcess(26).getName(), QStringLiteral("Dup later"));
    EXPECT_EQ(factory->getProcess(26).getCompatibleMaterialIds(), (QList<unsigned>{5, 5}));
}

struct ListCase
{
    const char *text;
    QList<unsigned> ids;
};

void PrintTo(const ListCase &c, std::ostream *os) { *os << '"' << c.text << '"'; }

class CompatibleMaterialsText : public ::testing::TestWithParam<ListCase>
{
};

TEST_P(CompatibleMaterialsText, SplitsAtSemicolonsAndSkipsJunk)
{
    EXPECT_EQ(ProcessFactory::idsFromString(QString::fromLatin1(GetParam().text)), GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(Lists, CompatibleMaterialsText,
                         ::testing::Values(ListCase{"3;;x;16", {3, 16}}, ListCase{"", {}}, ListCase{";;", {}},
                                           ListCase{"1;2;3;", {1, 2, 3}}, ListCase{"7;-1;4294967296;2.5;8", {7, 8}},
                                           ListCase{"9;9;1", {9, 9, 1}}));

struct BrokenProcesses
{
    const char *label;
    QByteArray bytes;
};

void PrintTo(const BrokenProcesses &c, std::ostream *os) { *os << c.label; }

class ProcessFactoryBrokenFile : public ProcessFactoryTest, public ::testing::WithParamInterface<BrokenProcesses>
{
};

TEST_P(ProcessFactoryBrokenFile, IsReplacedByBuiltInsAndKeptAsBackup)
{
    writeFile(catalogueFile(), GetParam().bytes);
    factory->setProcess(ProcessInfo(40, QStringLiteral("Held"), {1}));
    const QList<ProcessInfo> held = factory->getProcesses();
    EXPECT_FALSE(factory->loadProcesses());
    EXPECT_EQ(factory->getProcesses(), held);

    ProcessFactory::initialize();
    EXPECT_EQ(ids(factory->getProcesses()), range(1, 18));
    EXPECT_EQ(readAll(catalogueFile() + QStringLiteral(".bak")), GetParam().bytes);
    EXPECT_EQ(readAll(catalogueFile()).count("<Process "), 18);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProcessFactoryBrokenFile,
    ::testing::Values(BrokenProcesses{"WrongRoot", "<Materials><Process version=\"1\" name=\"A\" process-id=\"1\"/>"
                                                   "</Materials>"},
                      BrokenProcesses{"UnclosedProcess", processesWith("<Process version=\"1\" name=\"A\" "
                                                                       "process-id=\"30\"><CompatibleMaterials>1")},
                      BrokenProcesses{"Empty", ""}),
    [](const ::testing::TestParamInfo<BrokenProcesses> &info) { return std::string(info.param.label); });

TEST_F(ProcessFactoryTest, UnknownMaterialIdsStayInListButAreNotOffered)
{
    ProcessInfo process(30, QStringLiteral("Custom"), {16, 2, 9999, 1});
    ASSERT_TRUE(factory->setProcess(process));
    const QList<Material> materials = factory->getProcess(30).getCompatibleMaterials();
    ASSERT_EQ(materials.size(), 2);
    EXPECT_EQ(materials[0].getName(), QStringLiteral("Poly-Si"));
    EXPECT_EQ(materials[1].getName(), QStringLiteral("Si"));

    ASSERT_TRUE(factory->saveProcesses());
    EXPECT_TRUE(readAll(catalogueFile()).contains("<CompatibleMaterials>16;2;9999;1</CompatibleMaterials>"));
    factory->setDefaultProcesses();
    ASSERT_TRUE(factory->loadProcesses());
    EXPECT_EQ(factory->getProcess(30), process);
}

TEST_F(ProcessFactoryTest, LookupsEditsAndIdZero)
{
    const ProcessInfo unknown = factory->getProcess(99);
    EXPECT_EQ(unknown.getId(), 0u);
    EXPECT_TRUE(unknown.getName().isEmpty());
    EXPECT_TRUE(unknown.getCompatibleMaterialIds().isEmpty());
    EXPECT_FALSE(factory->setProcess(ProcessInfo(0, QStringLiteral("None"), {1})));
    EXPECT_EQ(factory->getProcesses().size(), 18);

    ProcessInfo cvd = factory->getProcess(3);
    cvd.addCompatibleMaterial(3);
    cvd.addCompatibleMaterial(5);
    EXPECT_EQ(cvd.getCompatibleMaterialIds(), (QList<unsigned>{3, 16, 3, 5}));
    cvd.removeCompatibleMaterial(3);
    EXPECT_EQ(cvd.getCompatibleMaterialIds(), (QList<unsigned>{16, 5}));
    // The catalogue hands out copies: editing one changes nothing until setProcess.
    EXPECT_EQ(factory->getProcess(3).getCompatibleMaterialIds(), (QList<unsigned>{3, 16}));
    EXPECT_TRUE(factory->setProcess(cvd));
    EXPECT_EQ(factory->getProcess(3).getCompatibleMaterialIds(), (QList<unsigned>{16, 5}));

    factory->setProcess(ProcessInfo(2, QStringLiteral("Edited DRIE")));
    factory->mergeDefaultProcesses();
    EXPECT_EQ(factory->getProcess(2).getName(), QStringLiteral("Edited DRIE"));
}

TEST_F(ProcessFactoryTest, StartUpWritesBothCataloguesUnderHomeOnly)
{
    MaterialFactory::instance()->setMaterial(Material(2001, QStringLiteral("Scratch"), 1, 1, 1));
    Model::Process::initializeCatalogues();
    EXPECT_TRUE(readAll(torvaneDir() + QStringLiteral("/materials.xml")).contains("name=\"Si (cubic)\""));
    EXPECT_EQ(readAll(catalogueFile()).count("<Process "), 18);
    EXPECT_TRUE(MaterialFactory::instance()->getMaterial(2001).isEmpty());

    // A second start reads what the first wrote and changes nothing.
    const QByteArray materials = readAll(torvaneDir() + QStringLiteral("/materials.xml"));
    const QByteArray processes = readAll(catalogueFile());
    Model::Process::initializeCatalogues();
    EXPECT_EQ(readAll(torvaneDir() + QStringLiteral("/materials.xml")), materials);
    EXPECT_EQ(readAll(catalogueFile()), processes);
    EXPECT_EQ(QDir(torvaneDir()).entryList(QDir::Files).size(), 2) << "no backup of a good file";
}
