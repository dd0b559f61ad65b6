#include "Model/Analysis/crosssection.h"
#include "Model/Analysis/measurements.h"
#include "Model/Analysis/stlwriter.h"
#include "Model/Analysis/vtiwriter.h"
#include "testsupport.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstring>

using namespace Model::Analysis;
using Model::Automaton::TotalVolume;

namespace {

// Silicon 0-3 and oxide 4-5 in every column of a 2 x 3 x 8 volume of cells
// 1 x 2 x 0.5 units, its corner at (4, -2, 1) units.
boost::shared_ptr<TotalVolume> layered(double unitLength)
{
    const boost::shared_ptr<TotalVolume> volume = TestSupport::makeVolume(
        2, 3, 8, [](unsigned, unsigned, unsigned z) { return z < 4 ? 1u : z < 6 ? 3u : 0u; }, 1.0f, 2.0f, 0.5f,
        Util::Vector3D(4, -2, 1));
    volume->setUnitLength(unitLength);
    return volume;
}

std::vector<double> numbersOf(const QString &text)
{
    std::vector<double> out;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.push_back(word.toDouble());
    return out;
}

// The ImageData element's Origin and Spacing.
void vtiFrame(const QString &path, std::vector<double> *origin, std::vector<double> *spacing)
{
    // The XML head ends where the raw appended arrays begin.
    const QByteArray bytes = TestSupport::readAll(path);
    QXmlStreamReader xml(bytes.left(bytes.indexOf("<AppendedData")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("ImageData")) {
            *origin = numbersOf(xml.attributes().value(QLatin1String("Origin")).toString());
            *spacing = numbersOf(xml.attributes().value(QLatin1String("Spacing")).toString());
            return;
        }
    }
}

// The lowest and highest corner of a binary STL's triangles.
void stlBounds(const QString &path, double low[3], double high[3])
{
    const QByteArray bytes = TestSupport::readAll(path);
    ASSERT_GE(bytes.size(), 84);
    uint32_t count = 0;
    std::memcpy(&count, bytes.constData() + 80, 4);
    ASSERT_EQ(qint64(84) + qint64(count) * 50, bytes.size());
    std::fill(low, low + 3, 1e300);
    std::fill(high, high + 3, -1e300);
    for (uint32_t t = 0; t < count; ++t)
        for (int k = 0; k < 3; ++k) {
            float p[3];
            std::memcpy(p, bytes.constData() + 84 + size_t(t) * 50 + 12 + 12 * k, 12);
            for (int a = 0; a < 3; ++a) {
                low[a] = std::min(low[a], double(p[a]));
                high[a] = std::max(high[a], double(p[a]));
            }
        }
}

class LengthsInMicrometres : public ::testing::TestWithParam<double>
{
};

} // namespace

// Every length a file reports is the volume's frame times its unit length (um).
TEST_P(LengthsInMicrometres, ScaleWithTheUnitLength)
{
    const double u = GetParam();
    const boost::shared_ptr<TotalVolume> volume = layered(u);
    QTemporaryDir dir;
    QString error;

    MeasurementFiles files;
    ASSERT_TRUE(buildMeasurements(*volume, {{1, 2}}, dir.filePath("m.json"), &files, &error)) << error.toStdString();
    const QJsonObject top = QJsonDocument::fromJson(files.json).object();
    const QJsonObject v = top.value("volume").toObject();
    EXPECT_EQ(QString::fromUtf8("\u00b5m"), v.value("units").toString());
    EXPECT_DOUBLE_EQ(u, v.value("unit_length").toDouble());
    const QJsonArray cell = v.value("cell").toArray(), origin = v.value("origin").toArray();
    const double cellUnits[3] = {1, 2, 0.5}, originUnits[3] = {4, -2, 1};
    for (int a = 0; a < 3; ++a) {
        EXPECT_DOUBLE_EQ(cellUnits[a] * u, cell[a].toDouble()) << a;
        EXPECT_DOUBLE_EQ(originUnits[a] * u, origin[a].toDouble()) << a;
    }
    EXPECT_DOUBLE_EQ(1.0 * u * u * u, v.value("cell_volume").toDouble());
    const QJsonObject oxide = top.value("columns").toArray()[0].toObject().value("layers").toArray()[1].toObject();
    EXPECT_DOUBLE_EQ((1 + 4 * 0.5) * u, oxide.value("z_from").toDouble());
    EXPECT_DOUBLE_EQ(2 * 0.5 * u, oxide.value("thickness").toDouble());
    EXPECT_DOUBLE_EQ((1 + 6 * 0.5) * u, top.value("top_surface").toObject().value("max").toDouble());

    SectionGrid grid;
    ASSERT_TRUE(sliceVolume(*volume, SectionAxis::Y, 1, &grid, &error)) << error.toStdString();
    EXPECT_DOUBLE_EQ(1.0 * u, grid.cellWidth);
    EXPECT_DOUBLE_EQ(0.5 * u, grid.cellHeight);
    EXPECT_DOUBLE_EQ(1.0 * u, grid.originV);
    EXPECT_DOUBLE_EQ((-2 + 1.5 * 2) * u, grid.position);

    const QString vti = dir.filePath("v.vti");
    ASSERT_TRUE(writeVti(*volume, vti, &error)) << error.toStdString();
    std::vector<double> vOrigin, vSpacing;
    vtiFrame(vti, &vOrigin, &vSpacing);
    ASSERT_EQ(3u, vOrigin.size());
    ASSERT_EQ(3u, vSpacing.size());
    for (int a = 0; a < 3; ++a) {
        EXPECT_DOUBLE_EQ(originUnits[a] * u, vOrigin[a]) << a;
        EXPECT_DOUBLE_EQ(cellUnits[a] * u, vSpacing[a]) << a;
    }

    QStringList stl;
    ASSERT_TRUE(writeStl(*volume, dir.filePath("s"), &error, &stl)) << error.toStdString();
    double low[3], high[3];
    stlBounds(stlFileName(dir.filePath("s"), 3), low, high);
    const double oxideLow[3] = {4, -2, 1 + 4 * 0.5}, oxideHigh[3] = {4 + 2, -2 + 3 * 2, 1 + 6 * 0.5};
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(oxideLow[a] * u, low[a], 1e-6 * u) << a;
        EXPECT_NEAR(oxideHigh[a] * u, high[a], 1e-6 * u) << a;
    }
}

INSTANTIATE_TEST_SUITE_P(UnitLengths, LengthsInMicrometres, ::testing::Values(1.0, 0.25, 2.5));
