#include "Model/Materials/cataloguefile.h"
#include "Model/Materials/materialfactory.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <vector>

using Model::Materials::CatalogueFile;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {

QString torvaneDir() { return QDir(TestSupport::homeDirectory()).filePath(QStringLiteral("Torvane")); }
QString catalogueFile() { return torvaneDir() + QStringLiteral("/materials.xml"); }

using TestSupport::readAll;
using TestSupport::writeFile;

QByteArray catalogueWith(const QByteArray &elements)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Materials>\n" + elements + "</Materials>\n";
}

QByteArray materialElement(unsigned id, const QByteArray &name, const QByteArray &color = "#FF7F7F7F")
{
    return "<Material version=\"1\" name=\"" + name + "\" material-id=\"" + QByteArray::number(id)
           + "\" density=\"1\" poisson-ratio=\"0.5\" young-modulus=\"2\" color=\"" + color + "\"/>\n";
}

class MaterialFactoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(torvaneDir()).removeRecursively();
        QFile::remove(QDir(TestSupport::homeDirectory()).filePath(QStringLiteral("materials.xml")));
        factory = MaterialFactory::instance();
        factory->setDefaultMaterials();
    }
    void TearDown() override { factory->setDefaultMaterials(); }

    boost::shared_ptr<MaterialFactory> factory;
};

} // namespace

TEST_F(MaterialFactoryTest, MissingFileGivesBuiltInTableAndWritesIt)
{
    ASSERT_FALSE(factory->loadMaterials());
    factory->setMaterial(Material(2001, QStringLiteral("Scratch"), 1, 1, 1));
    MaterialFactory::initialize();

    const QList<Material> materials = factory->getMaterials();
    ASSERT_EQ(materials.size(), 16);
    QList<unsigned> ids;
    for (const Material &m : materials)
        ids.append(m.getId());
    EXPECT_EQ(ids, (QList<unsigned>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}));
    EXPECT_EQ(factory->getMaterial(3).getName(), QStringLiteral("Thermal Si02"));
    EXPECT_EQ(factory->getMaterial(17).getName(), QStringLiteral("Si (cubic)"));
    EXPECT_EQ(factory->getMaterial(17).getDensity(), 329.0f);
    EXPECT_EQ(factory->getMaterial(5).getColor(), Material(0, QString(), 0, 0, 0, Util::Vector4D(1, 0.8, 0.3, 1)).getColor());
    EXPECT_TRUE(QFileInfo(catalogueFile()).isFile());
    EXPECT_FALSE(QFileInfo::exists(catalogueFile() + QStringLiteral(".bak")));
}

TEST_F(MaterialFactoryTest, SavedBuiltInTableHasExactAttributes)
{
    ASSERT_TRUE(factory->saveMaterials());
    const QByteArray text = readAll(catalogueFile());
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Materials>\n")) << text.constData();
    EXPECT_TRUE(text.contains("    <Material version=\"1\" name=\"Si\" material-id=\"1\" density=\"2329\" "
                              "poisson-ratio=\"0.28\" young-modulus=\"1.88e+11\" color=\"#FF7F7F7F\"/>\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("name=\"Thermal Si02\" material-id=\"3\" density=\"2200\" poisson-ratio=\"0.17\" "
                              "young-modulus=\"7e+10\" color=\"#FF7F7FFF\""));
    EXPECT_TRUE(text.contains("name=\"Al (bulk)\" material-id=\"4\" density=\"2700\" poisson-ratio=\"0.14\" "
                              "young-modulus=\"7e+10\" color=\"#FFB2B2B2\""));
    EXPECT_TRUE(text.contains("name=\"Pt (bulk)\" material-id=\"8\" density=\"21450\""));
    EXPECT_TRUE(text.endsWith("</Materials>\n"));
    // Id order: "Si (cubic)" (17) comes after "Poly-Si" (16).
    EXPECT_LT(text.indexOf("\"Poly-Si\""), text.indexOf("\"Si (cubic)\""));
}

struct ColorCase
{
    Util::Vector4D color;
    const char *text;
};

void PrintTo(const ColorCase &c, std::ostream *os) { *os << c.text; }

class MaterialColorText : public ::testing::TestWithParam<ColorCase>
{
};

TEST_P(MaterialColorText, AlphaFirstUpperCaseTruncatedAndClamped)
{
    EXPECT_EQ(MaterialFactory::colorToString(GetParam().color), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Channels, MaterialColorText,
                         ::testing::Values(ColorCase{Util::Vector4D(0.5, 0.5, 0.5, 1.0), "#FF7F7F7F"},
                                           ColorCase{Util::Vector4D(1.0, 0.0, 0.0, 0.5), "#7FFF0000"},
                                           ColorCase{Util::Vector4D(0.0, 0.0, 1.0, 0.0), "#000000FF"},
                                           ColorCase{Util::Vector4D(0.7, 0.67, 0.3, 1.0), "#FFB2AA4C"},
                                           ColorCase{Util::Vector4D(-0.2, 1.5, 0.0, 1.0), "#FF00FF00"}));

TEST_F(MaterialFactoryTest, SaveThenLoadKeepsSixDigitsAndChannelsToOne255th)
{
    factory->setMaterial(Material(2100, QStringLiteral("Odd <&\" name"), 1234.56789f, 3.14159265e9f, 0.123456789f,
                                  Util::Vector4D(0.5, 0.25, 0.999, 0.1)));
    ASSERT_TRUE(factory->saveMaterials());
    factory->setDefaultMaterials();
    ASSERT_TRUE(factory->loadMaterials());

    const Material m = factory->getMaterial(2100);
    EXPECT_EQ(m.getName(), QStringLiteral("Odd <&\" name"));
    EXPECT_FLOAT_EQ(m.getDensity(), 1234.57f);
    EXPECT_FLOAT_EQ(m.getYoungModulus(), 3.14159e9f);
    EXPECT_FLOAT_EQ(m.getPoissonRatio(), 0.123457f);
    EXPECT_NEAR(m.getColor().x, 127.0 / 255.0, 1e-6);
    EXPECT_NEAR(m.getColor().y, 63.0 / 255.0, 1e-6);
    EXPECT_NEAR(m.getColor().z, 254.0 / 255.0, 1e-6);
    EXPECT_NEAR(m.getColor().w, 25.0 / 255.0, 1e-6);
    EXPECT_EQ(factory->getMaterials().size(), 17);
    // A second round trip is stable: what was read writes the same bytes.
    const QByteArray first = readAll(catalogueFile());
    ASSERT_TRUE(factory->saveMaterials());
    EXPECT_EQ(readAll(catalogueFile()), first);
}

TEST_F(MaterialFactoryTest, InvalidElementsAreSkippedAndLaterDuplicateWins)
{
    writeFile(catalogueFile(),
              catalogueWith(materialElement(2001, "First") + materialElement(0, "Zero id")
                            + materialElement(2002, "") + "<Material name=\"No id\" density=\"1\"/>\n"
                            + "<Material name=\"Bad id\" material-id=\"12x\"/>\n" + "<Other material-id=\"2003\" name=\"x\"/>\n"
                            + materialElement(2004, "Half red", "#80FF0000") + materialElement(2005, "Named", "red")
                            + materialElement(2006, "Six digits", "#00ff00") + materialElement(2001, "Second")));
    ASSERT_TRUE(factory->loadMaterials());

    QList<unsigned> ids;
    for (const Material &m : factory->getMaterials())
        ids.append(m.getId());
    EXPECT_EQ(ids, (QList<unsigned>{2001, 2004, 2005, 2006}));
    EXPECT_EQ(factory->getMaterial(2001).getName(), QStringLiteral("Second"));
    EXPECT_FLOAT_EQ(factory->getMaterial(2001).getPoissonRatio(), 0.5f);
    EXPECT_FLOAT_EQ(factory->getMaterial(2001).getYoungModulus(), 2.0f);
    EXPECT_NEAR(factory->getMaterial(2004).getColor().w, 128.0 / 255.0, 1e-6);
    EXPECT_EQ(factory->getMaterial(2004).getColor().x, 1.0);
    EXPECT_EQ(factory->getMaterial(2005).getColor(), Util::Vector4D(1, 0, 0, 1));
    EXPECT_EQ(factory->getMaterial(2006).getColor(), Util::Vector4D(0, 1, 0, 1));
}

struct BrokenFile
{
    const char *label;
    QByteArray bytes;
};

void PrintTo(const BrokenFile &c, std::ostream *os) { *os << c.label; }

class MaterialFactoryBrokenFile : public MaterialFactoryTest, public ::testing::WithParamInterface<BrokenFile>
{
};

TEST_P(MaterialFactoryBrokenFile, IsReplacedByBuiltInsAndKeptAsBackup)
{
    const QByteArray bytes = GetParam().bytes;
    writeFile(catalogueFile(), bytes);
    const QList<Material> before = factory->getMaterials();
    factory->setMaterial(Material(2500, QStringLiteral("Held"), 1, 1, 1));
    const QList<Material> held = factory->getMaterials();
    EXPECT_FALSE(factory->loadMaterials());
    EXPECT_EQ(factory->getMaterials(), held) << "a failed load must not change the catalogue";

    MaterialFactory::initialize();
    EXPECT_EQ(factory->getMaterials(), before);
    EXPECT_EQ(readAll(catalogueFile() + QStringLiteral(".bak")), bytes);
    EXPECT_TRUE(readAll(catalogueFile()).contains("color=\"#FF7F7F7F\""));

    // A second broken file never overwrites the first backup.
    writeFile(catalogueFile(), "second broken file");
    MaterialFactory::initialize();
    EXPECT_EQ(readAll(catalogueFile() + QStringLiteral(".bak")), bytes);
    EXPECT_EQ(readAll(catalogueFile() + QStringLiteral(".bak.1")), QByteArray("second broken file"));
    EXPECT_TRUE(factory->loadMaterials());
}

INSTANTIATE_TEST_SUITE_P(
    Files, MaterialFactoryBrokenFile,
    ::testing::Values(BrokenFile{"WrongRoot", "<?xml version=\"1.0\"?>\n<Processes>\n"
                                              "<Material version=\"1\" name=\"A\" material-id=\"2001\"/>\n</Processes>\n"},
                      BrokenFile{"SyntaxErrorLate", catalogueWith(materialElement(2001, "A") + "<Material name=\"B\" "
                                                                                              "material-id=\"2002\"\n")},
                      BrokenFile{"Truncated", "<?xml version=\"1.0\"?>\n<Materials>\n<Material name=\"A\" "},
                      BrokenFile{"Empty", ""},
                      BrokenFile{"NotXml", "Si 2329 0.28"}),
    [](const ::testing::TestParamInfo<BrokenFile> &info) { return std::string(info.param.label); });

TEST_F(MaterialFactoryTest, WithoutTorvaneFolderTheHomeFileIsReadAndLeftAlone)
{
    const QString homeFile = QDir(TestSupport::homeDirectory()).filePath(QStringLiteral("materials.xml"));
    writeFile(homeFile, catalogueWith(materialElement(2001, "From home")));
    EXPECT_EQ(CatalogueFile::readPath(QStringLiteral("materials.xml")), homeFile);
    ASSERT_TRUE(factory->loadMaterials());
    EXPECT_EQ(factory->getMaterial(2001).getName(), QStringLiteral("From home"));

    // A broken home file is not the one that gets written, so it stays untouched.
    writeFile(homeFile, "broken");
    MaterialFactory::initialize();
    EXPECT_EQ(readAll(homeFile), QByteArray("broken"));
    EXPECT_FALSE(QFileInfo::exists(homeFile + QStringLiteral(".bak")));
    EXPECT_TRUE(QFileInfo(catalogueFile()).isFile());
    QFile::remove(homeFile);
}

TEST_F(MaterialFactoryTest, SaveFailureIsReportedAndCatalogueKept)
{
    // "Torvane" taken by a plain file: the folder cannot be created.
    writeFile(torvaneDir(), "not a folder");
    EXPECT_FALSE(factory->saveMaterials());
    EXPECT_EQ(readAll(torvaneDir()), QByteArray("not a folder"));
    QFile::remove(torvaneDir());
}

TEST_F(MaterialFactoryTest, LookupsAndSetMaterial)
{
    const Material unknown = factory->getMaterial(999);
    EXPECT_EQ(unknown.getId(), 0u);
    EXPECT_EQ(unknown.getName(), QStringLiteral("Empty"));
    EXPECT_EQ(unknown.getColor(), Util::Vector4D(0.5, 0.5, 0.5, 1.0));

    EXPECT_FALSE(factory->setMaterial(Material(0, QStringLiteral("Nothing"), 1, 1, 1)));
    EXPECT_EQ(factory->getMaterials().size(), 16);

    EXPECT_TRUE(factory->setMaterial(Material(2001, QStringLiteral("Si"), 1, 1, 1)));
    EXPECT_EQ(factory->getMaterialByName(QStringLiteral("Si")).getId(), 1u);
    EXPECT_EQ(factory->getMaterialByName(QStringLiteral("si")).getId(), 0u);
    EXPECT_TRUE(factory->setMaterial(Material(1, QStringLiteral("Silicon"), 1, 1, 1)));
    EXPECT_EQ(factory->getMaterialByName(QStringLiteral("Si")).getId(), 2001u);
    EXPECT_EQ(factory->getMaterials().size(), 17);
}

// The built-in oxide is stored as "Thermal Si02" (a zero); people write SiO2.
TEST_F(MaterialFactoryTest, FindMaterialTakesTheStoredNameAnAliasOrAnyCase)
{
    const struct
    {
        const char *name;
        unsigned id;
    } cases[] = {{"Thermal Si02", 3},  {"Thermal SiO2", 3}, {"thermal sio2", 3}, {" Thermal SiO2 ", 3},
                 {"poly-si", 16},      {"Poly-Si", 16},     {"Si", 1},           {"Thermal SiO3", 0},
                 {"", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(factory->findMaterial(QLatin1String(c.name)).getId(), c.id) << c.name;
    // The exact lookup documents reconcile by stays exact.
    EXPECT_EQ(factory->getMaterialByName(QStringLiteral("Thermal SiO2")).getId(), 0u);
    // A material really named the alias wins over it, and an exact name over another's case.
    ASSERT_TRUE(factory->setMaterial(Material(2002, QStringLiteral("Thermal SiO2"), 1, 1, 1)));
    ASSERT_TRUE(factory->setMaterial(Material(2003, QStringLiteral("si"), 1, 1, 1)));
    EXPECT_EQ(factory->findMaterial(QStringLiteral("Thermal SiO2")).getId(), 2002u);
    EXPECT_EQ(factory->findMaterial(QStringLiteral("si")).getId(), 2003u);
    EXPECT_EQ(factory->findMaterial(QStringLiteral("Si")).getId(), 1u);
}

TEST_F(MaterialFactoryTest, NewMaterialIdIsUnusedAndInRangeEvenWhenNearlyFull)
{
    for (int i = 0; i < 200; ++i) {
        const unsigned id = factory->newMaterialId();
        EXPECT_GE(id, 2000u);
        EXPECT_LE(id, 32766u);
        EXPECT_TRUE(factory->getMaterial(id).isEmpty());
    }
    // Only one free id left: the draw must still find it and not spin forever.
    for (unsigned id = 2000; id <= 32766; ++id)
        if (id != 31000)
            factory->setMaterial(Material(id, QStringLiteral("M"), 1, 1, 1));
    EXPECT_EQ(factory->newMaterialId(), 31000u);
}

TEST_F(MaterialFactoryTest, ReadersSeeConsistentCatalogueWhileWriterEdits)
{
    std::atomic<bool> stop(false);
    std::atomic<int> faults(0);
    std::vector<QThread *> readers;
    for (int t = 0; t < 3; ++t) {
        readers.push_back(QThread::create([&] {
            while (!stop.load()) {
                const QList<Material> all = factory->getMaterials();
                for (int i = 1; i < all.size(); ++i)
                    if (all[i - 1].getId() >= all[i].getId())
                        ++faults;
                for (const Material &m : all)
                    if (m.getId() >= 3000 && m.getName() != QString::number(m.getId()))
                        ++faults;
                const Material one = factory->getMaterial(3000);
                if (!one.isEmpty() && one.getName() != QStringLiteral("3000"))
                    ++faults;
            }
        }));
        readers.back()->start();
    }
    for (unsigned round = 0; round < 20; ++round) {
        for (unsigned id = 3000; id < 3100; ++id)
            factory->setMaterial(Material(id, QString::number(id), float(round), 1, 1));
        factory->newMaterialId();
        factory->setDefaultMaterials();
    }
    stop = true;
    for (QThread *thread : readers) {
        thread->wait();
        delete thread;
    }
    EXPECT_EQ(faults.load(), 0);
}
