#include "Model/Analysis/measurements.h"
#include "testsupport.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace Model::Analysis;
using Model::Automaton::TotalVolume;
using TestSupport::makeVolume;

namespace {

// Column (1, 2) of a 3 x 4 x 10 volume: Si 0-3, oxide 4-5, a gap 6, resist 7,
// empty above; every other column is Si 0-1 only.
uint32_t stack(unsigned x, unsigned y, unsigned z)
{
    if (x == 1 && y == 2) {
        static const uint32_t column[10] = {1, 1, 1, 1, 3, 3, 0, 11, 0, 0};
        return column[z];
    }
    return z < 2 ? 1u : 0u;
}

} // namespace

TEST(MeasurementsTest, ColumnStackRunsBottomToTopInUnits)
{
    const boost::shared_ptr<TotalVolume> volume =
        makeVolume(3, 4, 10, stack, 1.0f, 1.0f, 0.5f, Util::Vector3D(0.0, 0.0, -1.0));
    ColumnStack s;
    QString error;
    ASSERT_TRUE(measureColumn(*volume, 1, 2, &s, &error)) << error.toStdString();
    const struct
    {
        uint32_t id;
        const char *name;
        double from, to, thickness;
    } expected[] = {{1, "Si", -1.0, 1.0, 2.0},
                    {3, "Thermal Si02", 1.0, 2.0, 1.0},
                    {0, "empty", 2.0, 2.5, 0.5},
                    {11, "Photoresist +", 2.5, 3.0, 0.5},
                    {0, "empty", 3.0, 4.0, 1.0}};
    ASSERT_EQ(std::size(expected), s.layers.size());
    for (size_t i = 0; i < s.layers.size(); ++i) {
        EXPECT_EQ(expected[i].id, s.layers[i].materialId) << i;
        EXPECT_EQ(QLatin1String(expected[i].name), s.layers[i].material) << i;
        EXPECT_DOUBLE_EQ(expected[i].from, s.layers[i].zFrom) << i;
        EXPECT_DOUBLE_EQ(expected[i].to, s.layers[i].zTo) << i;
        EXPECT_DOUBLE_EQ(expected[i].thickness, s.layers[i].thickness) << i;
    }
    EXPECT_EQ(QStringLiteral("  Photoresist + (11): z 2.5 to 3 \u00b5m, thickness 0.5 \u00b5m"), columnText(s).at(2));

    for (const auto &outside : {std::make_pair(3u, 0u), std::make_pair(0u, 4u)}) {
        EXPECT_FALSE(measureColumn(*volume, outside.first, outside.second, &s, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("lies outside the volume"))) << error.toStdString();
    }
}

TEST(MeasurementsTest, MaterialVolumesAreCellCountsTimesTheCellVolume)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(3, 4, 10, stack, 2.0f, 1.0f, 0.35f);
    uint64_t empty = 0;
    const std::vector<MaterialTally> tallies = measureMaterials(*volume, &empty);
    // Si: 11 columns of 2 and 4 in the stack column; oxide 2; resist 1.
    ASSERT_EQ(3u, tallies.size());
    EXPECT_EQ(1u, tallies[0].id);
    EXPECT_EQ(26u, tallies[0].cells);
    EXPECT_DOUBLE_EQ(26 * 0.7, tallies[0].volume);
    EXPECT_EQ(3u, tallies[1].id);
    EXPECT_EQ(2u, tallies[1].cells);
    EXPECT_EQ(11u, tallies[2].id);
    EXPECT_EQ(1u, tallies[2].cells);
    EXPECT_EQ(120u - 29u, empty);
    // A stray id the catalogue does not know still counts, under a made-up name.
    const boost::shared_ptr<TotalVolume> odd = makeVolume(2, 1, 1, [](unsigned x, unsigned, unsigned) {
        return x ? 70000u : 1u;
    });
    const std::vector<MaterialTally> t = measureMaterials(*odd);
    ASSERT_EQ(2u, t.size());
    EXPECT_EQ(70000u, t[1].id);
    EXPECT_EQ(QStringLiteral("Material 70000"), t[1].name);
}

TEST(MeasurementsTest, TopSurfaceIsTheTopOfTheHighestFilledCell)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(
        3, 2, 6, [](unsigned x, unsigned y, unsigned z) { return (x == 2 && y == 1) ? 0u : z <= x + y ? 1u : 0u; },
        1.0f, 1.0f, 0.5f, Util::Vector3D(0, 0, 10));
    const TopSurface s = measureTopSurface(*volume);
    EXPECT_EQ(1u, s.emptyColumns);
    EXPECT_EQ(-1, s.topCell[2 * 2 + 1]);
    EXPECT_EQ(2, s.topCell[1 * 2 + 1]);
    EXPECT_DOUBLE_EQ(11.5, s.height[1 * 2 + 1]);
    EXPECT_DOUBLE_EQ(10.5, s.min);
    EXPECT_DOUBLE_EQ(11.5, s.max);
    // Tops 10.5, 11, 11, 11.5, 11.5 over the five filled columns.
    EXPECT_DOUBLE_EQ(55.5 / 5.0, s.mean);
}

TEST(MeasurementsTest, FilesCarryTheDocumentedNames)
{
    QTemporaryDir dir;
    const boost::shared_ptr<TotalVolume> volume = makeVolume(3, 4, 10, stack, 1.0f, 1.0f, 0.5f);
    const QString json = dir.filePath(QStringLiteral("m.json"));
    QStringList written;
    QString error;
    ASSERT_TRUE(writeMeasurements(*volume, {{1, 2}, {0, 0}}, json, &error, &written)) << error.toStdString();
    EXPECT_EQ(4, written.size());
    const QJsonObject top = QJsonDocument::fromJson(TestSupport::readAll(json)).object();
    EXPECT_EQ(QStringLiteral("torvane-measurements"), top.value("format").toString());
    const QJsonObject v = top.value("volume").toObject();
    EXPECT_EQ(QJsonArray({3, 4, 10}), v.value("size").toArray());
    EXPECT_EQ(QJsonArray({1, 1, 0.5}), v.value("cell").toArray());
    EXPECT_EQ(QString::fromUtf8("\u00b5m"), v.value("units").toString());
    const QJsonArray materials = top.value("materials").toArray();
    ASSERT_EQ(3, materials.size());
    EXPECT_EQ(QStringLiteral("Si"), materials[0].toObject().value("name").toString());
    EXPECT_EQ(26, materials[0].toObject().value("cells").toInt());
    EXPECT_DOUBLE_EQ(13.0, materials[0].toObject().value("volume").toDouble());
    const QJsonArray columns = top.value("columns").toArray();
    ASSERT_EQ(2, columns.size());
    const QJsonObject first = columns[0].toObject();
    EXPECT_EQ(1, first.value("x").toInt());
    EXPECT_EQ(2, first.value("y").toInt());
    const QJsonObject oxide = first.value("layers").toArray()[1].toObject();
    EXPECT_EQ(3, oxide.value("material_id").toInt());
    EXPECT_EQ(QStringLiteral("Thermal Si02"), oxide.value("material").toString());
    EXPECT_DOUBLE_EQ(2.0, oxide.value("z_from").toDouble());
    EXPECT_DOUBLE_EQ(3.0, oxide.value("z_to").toDouble());
    EXPECT_DOUBLE_EQ(1.0, oxide.value("thickness").toDouble());
    const QJsonObject surface = top.value("top_surface").toObject();
    EXPECT_DOUBLE_EQ(1.0, surface.value("min").toDouble());
    EXPECT_DOUBLE_EQ(4.0, surface.value("max").toDouble());
    EXPECT_EQ(QStringLiteral("m-top-surface.csv"), surface.value("csv").toString());

    const QList<QByteArray> lines = TestSupport::readAll(dir.filePath("m-top-surface.csv")).split('\n');
    EXPECT_EQ(QByteArray("x,y,top_cell,height"), lines[0]);
    EXPECT_EQ(QByteArray("1,2,7,4"), lines[1 + 1 * 4 + 2]);
    EXPECT_EQ(QByteArray("id,name,cells,volume\n1,Si,26,13\n3,Thermal Si02,2,1\n11,Photoresist +,1,0.5\n"),
              TestSupport::readAll(dir.filePath("m-materials.csv")));
    EXPECT_TRUE(TestSupport::readAll(dir.filePath("m-columns.csv"))
                    .startsWith("x,y,material_id,material,z_from,z_to,thickness\n1,2,1,Si,0,2,2\n"));
}

TEST(MeasurementsTest, ABadColumnOrFolderWritesNoFile)
{
    QTemporaryDir dir;
    const boost::shared_ptr<TotalVolume> volume = makeVolume(3, 4, 10, stack);
    QString error;
    EXPECT_FALSE(writeMeasurements(*volume, {{0, 0}, {9, 9}}, dir.filePath("m.json"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("9,9"))) << error.toStdString();
    EXPECT_FALSE(writeMeasurements(*volume, {}, dir.filePath("none/m.json"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist"))) << error.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(MeasurementsTest, ColumnTextParses)
{
    const struct
    {
        const char *text;
        bool ok;
        unsigned x, y;
    } cases[] = {{"10,20", true, 10, 20}, {" 0 , 7 ", true, 0, 7}, {"10", false, 0, 0},
                 {"-1,2", false, 0, 0},   {"a,b", false, 0, 0},    {"1,2,3", false, 0, 0},
                 {"1.5,2", false, 0, 0}};
    for (const auto &c : cases) {
        ColumnRequest column;
        QString error;
        EXPECT_EQ(c.ok, parseColumn(QLatin1String(c.text), &column, &error)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.x, column.x);
            EXPECT_EQ(c.y, column.y);
        } else {
            EXPECT_TRUE(error.contains(QStringLiteral("X,Y"))) << error.toStdString();
        }
    }
}

// Per column and species: the peak, its depth below the top of the highest
// solid cell and the sheet dose, in cm^-3, µm and cm^-2 with 1 unit = 2 µm.
TEST(MeasurementsTest, ColumnDopantsGivePeakDepthAndSheetDose)
{
    const boost::shared_ptr<TotalVolume> volume =
        makeVolume(2, 2, 10, [](unsigned, unsigned, unsigned z) { return z < 8 ? 1u : 0u; }, 1.0f, 1.0f, 0.05f);
    volume->setUnitLength(2.0); // cells 0.1 µm high
    {
        Model::Automaton::CellLock lock(*volume);
        std::vector<float> &p = lock.dopants().make(Model::Automaton::DopantFields::Phosphorus, 40);
        const float column[8] = {0, 1e15f, 2e16f, 5e18f, 1e19f, 3e18f, 1e17f, 0};
        for (unsigned z = 0; z < 8; ++z)
            p[volume->cellIndex(1, 0, z)] = column[z];
    }
    ColumnStack s;
    QString error;
    ASSERT_TRUE(measureColumn(*volume, 1, 0, &s, &error));
    ASSERT_EQ(s.dopants.size(), 1u);
    const ColumnDopant &d = s.dopants[0];
    EXPECT_EQ(d.species, QStringLiteral("P"));
    EXPECT_EQ(d.peak, double(1e19f));
    EXPECT_EQ(d.peakCell, 4u);
    EXPECT_NEAR(d.peakDepth, 0.35, 1e-6); // top at 0.8 µm, cell 4's centre at 0.45 µm
    EXPECT_NEAR(d.sheetDose, (1e15 + 2e16 + 5e18 + 1e19 + 3e18 + 1e17) * 1e-5, 1e9);
    EXPECT_TRUE(columnText(s).last().contains(QStringLiteral("P: peak 1e+19 cm^-3 at 0.35 µm")));

    MeasurementFiles files;
    ASSERT_TRUE(buildMeasurements(*volume, {ColumnRequest{1, 0}}, QStringLiteral("m.json"), &files, &error));
    const QJsonObject column = QJsonDocument::fromJson(files.json).object()[QStringLiteral("columns")].toArray()[0].toObject();
    EXPECT_EQ(column[QStringLiteral("dopants")].toArray()[0].toObject()[QStringLiteral("peak_cell")].toInt(), 4);
    EXPECT_TRUE(files.dopantsCsv.startsWith("x,y,species,peak_concentration,peak_depth,peak_cell,sheet_dose\n1,0,P,1e+19,0.35,4,"));

    // A volume without dopants writes no dopant figures.
    const boost::shared_ptr<TotalVolume> plain = makeVolume(2, 2, 4, [](unsigned, unsigned, unsigned) { return 1u; });
    ASSERT_TRUE(buildMeasurements(*plain, {ColumnRequest{0, 0}}, QStringLiteral("m.json"), &files, &error));
    EXPECT_TRUE(files.dopantsCsv.isEmpty());
    EXPECT_FALSE(files.json.contains("dopants"));
}
