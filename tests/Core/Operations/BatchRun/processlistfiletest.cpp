#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Operations/Document/materialreconciler.h"
#include "Model/Materials/materialfactory.h"
#include "Util/vector3d.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <csignal>

using namespace Core::Operations;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Core::Steps::ProcessData;
using Core::Steps::ProcessList;

namespace {

class ProcessListFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MaterialFactory::instance()->setDefaultMaterials();
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override { MaterialFactory::instance()->setDefaultMaterials(); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString write(const QString &name, const QByteArray &text) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }

    static QString read(const QString &fileName)
    {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir m_dir;
};

// Answers every conflict the same way and counts the questions.
class ScriptedResolver : public IListConflictResolver
{
public:
    ScriptedResolver(bool answer, ConflictChoice choice, unsigned alternate = 0)
        : m_answer(answer), m_choice(choice), m_alternate(alternate)
    {
    }
    bool resolve(const Material &existing, const Material &loaded, ConflictChoice &choice,
                 unsigned &alternateId) override
    {
        ++questions;
        lastExisting = existing.getName();
        lastLoaded = loaded.getName();
        choice = m_choice;
        alternateId = m_alternate;
        return m_answer;
    }
    int questions = 0;
    QString lastExisting;
    QString lastLoaded;

private:
    bool m_answer;
    ConflictChoice m_choice;
    unsigned m_alternate;
};

ProcessList everyKind()
{
    ProcessData first(ProcessData::CreateSubstrate);
    first.setMaterial(QStringLiteral("Material"), 1, QStringLiteral("Si"), QColor::fromRgbF(0.5, 0.5, 0.5));
    first.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(1.5, -2, 3e-7)),
                       true);
    first.setParameter(QStringLiteral("Volume Size X"), QVariant(40u), true);
    first.setParameter(QStringLiteral("SphericalSubstrate"), QVariant(false), false);
    first.setParameter(QStringLiteral("DepositOn"), QVariant(-2), false);
    first.setParameter(QStringLiteral("Doping Depth"), QVariant(0.1f), true);
    first.setParameter(QStringLiteral("Thickness"), QVariant(1.0 / 3.0), true);
    first.setParameter(QStringLiteral("Translucent"), QVariant(QColor(10, 20, 30, 40)), false);
    first.setParameter(QStringLiteral("Top Mask"), QVariant::fromValue(std::vector<bool>{true, false, false, true}),
                       false);
    first.setParameter(QStringLiteral("Top Mask File"), QVariant(QStringLiteral("masks/ü top.png")), true);
    ProcessData second(ProcessData::SaveImage);
    second.setParameter(QStringLiteral("Filename"), QVariant(QString()), true);
    return ProcessList() << first << second;
}

} // namespace

TEST_F(ProcessListFileTest, SavedListReadsBackWithTheSameKindsValuesAndVisibilities)
{
    const ProcessList list = everyKind();
    QString error;
    ASSERT_TRUE(ProcessListFile::save(list, path("list.plst"), &error)) << error.toStdString();

    ProcessListFile::LoadResult loaded;
    ASSERT_TRUE(ProcessListFile::load(path("list.plst"), loaded)) << loaded.error.toStdString();
    EXPECT_EQ(1, loaded.version);
    EXPECT_FALSE(loaded.upgraded);
    ASSERT_EQ(list.size(), loaded.list.size());
    for (int i = 0; i < list.size(); ++i) {
        const ProcessData &before = list.at(i);
        const ProcessData &after = loaded.list.at(i);
        EXPECT_NE(before.getSerial(), after.getSerial());
        EXPECT_EQ(before.getType(), after.getType());
        EXPECT_EQ(before.getVisibilities(), after.getVisibilities());
        ASSERT_EQ(before.getParameters().keys(), after.getParameters().keys());
        for (const QString &name : before.getParameters().keys()) {
            const QVariant a = before.getParameters().value(name);
            const QVariant b = after.getParameters().value(name);
            EXPECT_EQ(a.userType(), b.userType()) << name.toStdString();
            EXPECT_EQ(ProcessListFile::valueText(a), ProcessListFile::valueText(b)) << name.toStdString();
        }
    }
    // Exact values, not just equal texts.
    const ProcessData &first = loaded.list.first();
    EXPECT_EQ(0.1f, first.getProcessParameter(QStringLiteral("Doping Depth")).toFloat());
    EXPECT_EQ(1.0 / 3.0, first.getProcessParameter(QStringLiteral("Thickness")).toDouble());
    EXPECT_EQ(QColor(10, 20, 30, 40), first.getProcessParameter(QStringLiteral("Translucent")).value<QColor>());
}

TEST_F(ProcessListFileTest, FileTextFollowsTheFormat)
{
    ASSERT_TRUE(ProcessListFile::save(everyKind(), path("list.plst")));
    const QString text = read(path("list.plst"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("<Process-List version=\"1\">")));
    EXPECT_TRUE(text.contains(QStringLiteral("<Material version=\"1\" name=\"Si\" material-id=\"1\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("<Process-Data process-type=\"11\">")));
    EXPECT_TRUE(text.contains(QStringLiteral(
        "<Parameter parameter-name=\"Lower Left Front Corner\" parameter-type=\"Util::Vector3D\" "
        "parameter-data=\"1.5;-2;3e-07\" parameter-visibility=\"true\"/>")));
    EXPECT_TRUE(text.contains(QStringLiteral("parameter-type=\"vector\" parameter-data=\"1001\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("parameter-type=\"QColor\" parameter-data=\"#808080\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("parameter-type=\"QColor\" parameter-data=\"#280a141e\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("parameter-type=\"uint\" parameter-data=\"40\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("parameter-type=\"bool\" parameter-data=\"false\" "
                                             "parameter-visibility=\"false\"")));
    // Parameters in name order: "DepositOn" before "Doping Depth" before "Lower Left Front Corner".
    EXPECT_LT(text.indexOf(QStringLiteral("\"DepositOn\"")), text.indexOf(QStringLiteral("\"Doping Depth\"")));
    EXPECT_LT(text.indexOf(QStringLiteral("\"Doping Depth\"")), text.indexOf(QStringLiteral("\"Lower Left")));
}

TEST_F(ProcessListFileTest, ValueTextsReadAsTheirKinds)
{
    const std::vector<bool> bits = ProcessListFile::valueFromText(QStringLiteral("vector"), QStringLiteral("1011"))
                                       .value<std::vector<bool>>();
    EXPECT_EQ((std::vector<bool>{true, false, true, true}), bits);
    // Any character other than 1 is false.
    EXPECT_EQ((std::vector<bool>{false, true, false}),
              ProcessListFile::valueFromText(QStringLiteral("vector"), QStringLiteral("x1 ")).value<std::vector<bool>>());

    const Util::Vector3D zero =
        ProcessListFile::valueFromText(QStringLiteral("Util::Vector3D"), QString()).value<Util::Vector3D>();
    EXPECT_EQ(0.0, zero.x);
    EXPECT_EQ(0.0, zero.z);
    const Util::Vector3D v = ProcessListFile::valueFromText(QStringLiteral("Util::Vector3D"), QStringLiteral("1;2;3;4"))
                                 .value<Util::Vector3D>();
    EXPECT_EQ(3.0, v.z);

    EXPECT_EQ(QMetaType::UInt, ProcessListFile::valueFromText(QStringLiteral("uint"), QStringLiteral("7")).userType());
    EXPECT_EQ(QMetaType::Float, ProcessListFile::valueFromText(QStringLiteral("float"), QStringLiteral("2.5")).userType());
    EXPECT_TRUE(ProcessListFile::valueFromText(QStringLiteral("bool"), QStringLiteral("true")).toBool());
    EXPECT_FALSE(ProcessListFile::valueFromText(QStringLiteral("bool"), QStringLiteral("false")).toBool());
    EXPECT_FALSE(ProcessListFile::valueFromText(QStringLiteral("QPolygon"), QStringLiteral("1")).isValid());
    // Text that is no number stays text, so a run reports an invalid value rather than a missing one.
    const QVariant notANumber = ProcessListFile::valueFromText(QStringLiteral("uint"), QStringLiteral("abc"));
    EXPECT_EQ(QMetaType::QString, notANumber.userType());
}

TEST_F(ProcessListFileTest, ReaderSkipsUnknownElementsAndTakesMissingVisibilityAsVisible)
{
    const QString file = write("steps.plst", "<?xml version=\"1.0\"?>\n"
                                             "<Process-List version=\"1\">\n"
                                             " <Comment text=\"made by hand\"/>\n"
                                             " <Process-Data process-type=\"4\">\n"
                                             "  <Parameter parameter-name=\"Thickness\" parameter-type=\"double\" "
                                             "parameter-data=\"2.5\"/>\n"
                                             "  <Parameter parameter-name=\"Odd\" parameter-type=\"QPolygon\" "
                                             "parameter-data=\"1\" parameter-visibility=\"false\"/>\n"
                                             " </Process-Data>\n"
                                             " <Extra/>\n"
                                             " <Process-Data process-type=\"6\"/>\n"
                                             "</Process-List>\n");
    ProcessListFile::LoadResult loaded;
    ASSERT_TRUE(ProcessListFile::load(file, loaded)) << loaded.error.toStdString();
    ASSERT_EQ(2, loaded.list.size());
    EXPECT_EQ(4, loaded.list.at(0).getType());
    EXPECT_EQ(6, loaded.list.at(1).getType());
    EXPECT_TRUE(loaded.list.at(0).getParameterVisibility(QStringLiteral("Thickness")));
    EXPECT_EQ(2.5, loaded.list.at(0).getProcessParameter(QStringLiteral("Thickness")).toDouble());
    EXPECT_FALSE(loaded.list.at(0).getProcessParameter(QStringLiteral("Odd")).isValid());
    EXPECT_FALSE(loaded.list.at(0).getParameterVisibility(QStringLiteral("Odd")));
}

TEST_F(ProcessListFileTest, OldListIsUpgradedAndSavesWithAVersion)
{
    const QString file = write("old.plst", "<?xml version=\"1.0\"?>\n"
                                           "<Process-List>\n"
                                           " <Process-Data process-type=\"4\">\n"
                                           "  <Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" "
                                           "parameter-data=\"3\" parameter-visibility=\"true\"/>\n"
                                           "  <Parameter parameter-name=\"Thickness\" parameter-type=\"double\" "
                                           "parameter-data=\"2\"/>\n"
                                           " </Process-Data>\n"
                                           " <Process-Data process-type=\"7\">\n"
                                           "  <Parameter parameter-name=\"ConductingMaterialId\" parameter-type=\"uint\" "
                                           "parameter-data=\"4\"/>\n"
                                           "  <Parameter parameter-name=\"DepositedMaterialId\" parameter-type=\"uint\" "
                                           "parameter-data=\"5\"/>\n"
                                           " </Process-Data>\n"
                                           " <Process-Data process-type=\"6\">\n"
                                           "  <Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" "
                                           "parameter-data=\"3\"/>\n"
                                           " </Process-Data>\n"
                                           "</Process-List>\n");
    ProcessListFile::LoadResult loaded;
    ASSERT_TRUE(ProcessListFile::load(file, loaded)) << loaded.error.toStdString();
    EXPECT_EQ(0, loaded.version);
    EXPECT_TRUE(loaded.upgraded);
    ASSERT_EQ(3, loaded.list.size());
    const ProcessData &cvd = loaded.list.at(0);
    EXPECT_FALSE(cvd.hasParameter(QStringLiteral("MaterialId")));
    EXPECT_EQ(3u, cvd.getProcessParameter(QStringLiteral("Material_Id")).toUInt());
    EXPECT_EQ(QStringLiteral("Thermal Si02"), cvd.getProcessParameter(QStringLiteral("Material")).toString());
    const ProcessData &plating = loaded.list.at(1);
    EXPECT_EQ(4u, plating.getProcessParameter(QStringLiteral("Conducting Material_Id")).toUInt());
    EXPECT_EQ(QStringLiteral("Cu (bulk)"), plating.getProcessParameter(QStringLiteral("Deposited Material")).toString());
    // Planarization has no material: its stray old name is not renamed.
    EXPECT_TRUE(loaded.list.at(2).hasParameter(QStringLiteral("MaterialId")));

    ASSERT_TRUE(ProcessListFile::save(loaded.list, path("new.plst")));
    EXPECT_TRUE(read(path("new.plst")).contains(QStringLiteral("<Process-List version=\"1\">")));
    ProcessListFile::LoadResult again;
    ASSERT_TRUE(ProcessListFile::load(path("new.plst"), again));
    EXPECT_FALSE(again.upgraded);
}

TEST_F(ProcessListFileTest, VersionOneListKeepsOldNames)
{
    const QString file = write("v1.plst", "<Process-List version=\"1\"><Process-Data process-type=\"4\">"
                                          "<Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" "
                                          "parameter-data=\"3\"/></Process-Data></Process-List>");
    ProcessListFile::LoadResult loaded;
    ASSERT_TRUE(ProcessListFile::load(file, loaded));
    EXPECT_FALSE(loaded.upgraded);
    EXPECT_TRUE(loaded.list.at(0).hasParameter(QStringLiteral("MaterialId")));
    EXPECT_FALSE(loaded.list.at(0).hasParameter(QStringLiteral("Material_Id")));
}

TEST_F(ProcessListFileTest, MaterialsAreReconciledAndEveryMaterialParameterRefreshed)
{
    // Id 40 is new under a known name (translated to 1), id 41 is wholly new
    // (added), id 3 conflicts with the catalogue's "Thermal Si02".
    const QString file = write(
        "materials.plst",
        "<Process-List version=\"1\"><Materials>"
        "<Material version=\"1\" name=\"Si\" material-id=\"40\" density=\"1\" poisson-ratio=\"0.2\" "
        "young-modulus=\"1\" color=\"#FF808080\"/>"
        "<Material version=\"1\" name=\"Unobtainium\" material-id=\"41\" density=\"1\" poisson-ratio=\"0.2\" "
        "young-modulus=\"1\" color=\"#FF102030\"/>"
        "<Material version=\"1\" name=\"Resist X\" material-id=\"3\" density=\"1\" poisson-ratio=\"0.2\" "
        "young-modulus=\"1\" color=\"#FF00FF00\"/>"
        "<Material version=\"1\" name=\"\" material-id=\"0\"/>"
        "</Materials>"
        "<Process-Data process-type=\"7\">"
        "<Parameter parameter-name=\"Conducting Material_Id\" parameter-type=\"uint\" parameter-data=\"40\" "
        "parameter-visibility=\"true\"/>"
        "<Parameter parameter-name=\"Conducting Material\" parameter-type=\"QString\" parameter-data=\"stale\"/>"
        "<Parameter parameter-name=\"Deposited Material_Id\" parameter-type=\"uint\" parameter-data=\"41\"/>"
        "</Process-Data>"
        "<Process-Data process-type=\"4\">"
        "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"3\"/>"
        "</Process-Data>"
        "</Process-List>");

    ScriptedResolver resolver(true, ConflictChoice::ReplaceLoadedByAnother, 12);
    ProcessListFile::LoadResult loaded;
    ASSERT_TRUE(ProcessListFile::load(file, loaded, &resolver)) << loaded.error.toStdString();
    EXPECT_EQ(1, resolver.questions);
    EXPECT_EQ(QStringLiteral("Thermal Si02"), resolver.lastExisting);
    EXPECT_EQ(QStringLiteral("Resist X"), resolver.lastLoaded);
    EXPECT_EQ(QStringLiteral("Unobtainium"), MaterialFactory::instance()->getMaterial(41).getName());

    const ProcessData &plating = loaded.list.at(0);
    EXPECT_EQ(1u, plating.getProcessParameter(QStringLiteral("Conducting Material_Id")).toUInt());
    EXPECT_EQ(QStringLiteral("Si"), plating.getProcessParameter(QStringLiteral("Conducting Material")).toString());
    EXPECT_EQ(QColor::fromRgbF(0.5, 0.5, 0.5),
              plating.getProcessParameter(QStringLiteral("Conducting Material_Color")).value<QColor>());
    EXPECT_FALSE(plating.getParameterVisibility(QStringLiteral("Conducting Material_Id")));
    EXPECT_FALSE(plating.getParameterVisibility(QStringLiteral("Conducting Material_Color")));
    EXPECT_TRUE(plating.getParameterVisibility(QStringLiteral("Conducting Material")));
    EXPECT_EQ(41u, plating.getProcessParameter(QStringLiteral("Deposited Material_Id")).toUInt());
    EXPECT_EQ(QStringLiteral("Unobtainium"),
              plating.getProcessParameter(QStringLiteral("Deposited Material")).toString());

    const ProcessData &cvd = loaded.list.at(1);
    EXPECT_EQ(12u, cvd.getProcessParameter(QStringLiteral("Material_Id")).toUInt());
    EXPECT_EQ(QStringLiteral("Photoresist -"), cvd.getProcessParameter(QStringLiteral("Material")).toString());
}

TEST_F(ProcessListFileTest, CancelledConflictAddsTheListsMaterialUnderAFreshId)
{
    const QString file = write(
        "conflict.plst",
        "<Process-List version=\"1\"><Materials>"
        "<Material version=\"1\" name=\"Resist X\" material-id=\"3\" density=\"1\" poisson-ratio=\"0.2\" "
        "young-modulus=\"1\" color=\"#FF00FF00\"/></Materials>"
        "<Process-Data process-type=\"4\">"
        "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"3\"/>"
        "</Process-Data></Process-List>");
    ScriptedResolver resolver(false, ConflictChoice::ReplaceLoadedByExisting);
    ProcessListFile::LoadResult loaded;
    ASSERT_TRUE(ProcessListFile::load(file, loaded, &resolver));
    const unsigned id = loaded.list.at(0).getProcessParameter(QStringLiteral("Material_Id")).toUInt();
    EXPECT_NE(3u, id);
    EXPECT_EQ(QStringLiteral("Resist X"), MaterialFactory::instance()->getMaterial(id).getName());
    EXPECT_EQ(QStringLiteral("Thermal Si02"), MaterialFactory::instance()->getMaterial(3).getName());
}

TEST_F(ProcessListFileTest, UnreadableFilesAreRefusedWithAReason)
{
    const struct
    {
        const char *name;
        QByteArray text;
    } cases[] = {{"empty.plst", ""},
                 {"other.plst", "<?xml version=\"1.0\"?><Document version=\"1\"/>"},
                 {"broken.plst", "<Process-List version=\"1\"><Process-Data process-type=\"4\"><Parameter "},
                 {"mismatch.plst", "<Process-List version=\"1\"><Process-Data></Process-List>"}};
    for (const auto &c : cases) {
        ProcessListFile::LoadResult loaded;
        EXPECT_FALSE(ProcessListFile::load(write(QString::fromLatin1(c.name), c.text), loaded)) << c.name;
        EXPECT_FALSE(loaded.error.isEmpty()) << c.name;
        EXPECT_TRUE(loaded.list.isEmpty()) << c.name;
    }
    ProcessListFile::LoadResult missing;
    EXPECT_FALSE(ProcessListFile::load(path("nowhere.plst"), missing));
    EXPECT_TRUE(missing.error.contains(QStringLiteral("nowhere.plst")));
}

TEST_F(ProcessListFileTest, FailedSaveKeepsThePreviousFile)
{
    ASSERT_TRUE(ProcessListFile::save(everyKind(), path("keep.plst")));
    const QString before = read(path("keep.plst"));
    QString error;
    EXPECT_FALSE(ProcessListFile::save(ProcessList(), path("missing-folder/list.plst"), &error));
    EXPECT_FALSE(error.isEmpty());
    // A read-only folder (not read-only for root, who skips this part): the old file stays whole.
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(path("probe"));
    const bool folderWritable = probe.open(QIODevice::WriteOnly);
    if (!folderWritable)
        EXPECT_FALSE(ProcessListFile::save(ProcessList(), path("keep.plst")));
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(before, read(path("keep.plst")));
}

TEST_F(ProcessListFileTest, WriteFailureGivesTheFileSystemsReason)
{
    // One list small enough to fail only when the file is completed, one that fails while it is written.
    for (const int copies : {1, 50}) {
        ProcessList list;
        for (int i = 0; i < copies; ++i)
            list << everyKind();
        const QString target = path(QStringLiteral("list%1.plst").arg(copies));

        // Writes beyond 1 KiB fail from here on, as on a full disk.
        struct rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        struct rlimit limited = saved;
        limited.rlim_cur = 1024;
        void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        QString error;
        const bool written = ProcessListFile::save(list, target, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        EXPECT_FALSE(written) << copies;
        const QString prefix = QStringLiteral("could not be written completely: ");
        ASSERT_TRUE(error.contains(prefix)) << error.toStdString();
        const QString reason = error.mid(error.indexOf(prefix) + prefix.size()).trimmed();
        EXPECT_FALSE(reason.isEmpty()) << copies << " " << error.toStdString();
        EXPECT_FALSE(QFile::exists(target)) << copies;
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList()) << copies;
    }
}

struct ExtensionCase
{
    const char *chosen;
    const char *completed;
};

class ListExtension : public ::testing::TestWithParam<ExtensionCase>
{
};

TEST_P(ListExtension, IsAddedOnlyToANameWithoutOne)
{
    EXPECT_EQ(ProcessListFile::withExtension(QString::fromUtf8(GetParam().chosen)),
              QString::fromUtf8(GetParam().completed));
}

INSTANTIATE_TEST_SUITE_P(ProcessListFile, ListExtension,
                         ::testing::Values(ExtensionCase{"mylist", "mylist.plst"},
                                           ExtensionCase{"/tmp/dir.d/mylist", "/tmp/dir.d/mylist.plst"},
                                           ExtensionCase{"mylist.", "mylist.plst"},
                                           ExtensionCase{"mylist.plst", "mylist.plst"},
                                           ExtensionCase{"mylist.xml", "mylist.xml"}, ExtensionCase{"", ""}));
