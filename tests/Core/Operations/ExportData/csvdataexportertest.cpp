#include "Core/Operations/ExportData/csvdataexporter.h"
#include "Core/Operations/ExportData/exportdataoperation.h"
#include "Core/Operations/ExportData/iexportchoices.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Geometry::FieldPainter;
using Model::Geometry::ParticleCounter;
using Model::Geometry::ParticleCounterArray;

namespace {

QByteArray readAll(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Cell i holds counters 0..6 = i, 1, 1, 1, 1, 1, 1 (sum i + 6), except the last, which is all zero.
ParticleCounterArray counters(size_t cells)
{
    ParticleCounterArray a(new std::vector<ParticleCounter>(cells));
    for (size_t i = 0; i < cells; ++i)
        for (int l = 0; l < 7; ++l)
            (*a)[i].values[l] = i + 1 == cells ? 0 : l == 0 ? int32_t(i) : 1;
    return a;
}

const char *const TwoByOneByThree = "X: 0\n"
                                    "6.0000000000e+00 ; 7.0000000000e+00 ; 8.0000000000e+00 ; \n"
                                    "\n\n"
                                    "X: 1\n"
                                    "9.0000000000e+00 ; 1.0000000000e+01 ; 0.0000000000e+00 ; \n"
                                    "\n\n";

class FakeChoices : public IExportChoices
{
public:
    QString file, field;
    QStringList offered;
    bool chooseExport(const QStringList &names, QString *fileName, QString *fieldName) override
    {
        offered = names;
        if (file.isEmpty())
            return false;
        *fileName = file;
        *fieldName = field;
        return true;
    }
};

} // namespace

TEST(CSVDataExporter, WritesOneBlockPerXByteForByte)
{
    const QString name = QDir::current().absoluteFilePath(QStringLiteral("two.csv"));
    CSVDataExporter exporter(name);
    EXPECT_EQ(exporter.saveDataToFile(FieldPainter::nTypeProperty(), FieldPainter::toProperty(counters(6)), 2, 1, 3), 0);
    EXPECT_EQ(readAll(name), QByteArray(TwoByOneByThree));
}

TEST(CSVDataExporter, AllZeroCountersAndLargeIndices)
{
    const QString name = QStringLiteral("zero.csv");
    ParticleCounterArray zero(new std::vector<ParticleCounter>(1200 * 2, ParticleCounter{{0}}));
    CSVDataExporter exporter(name);
    ASSERT_EQ(exporter.saveDataToFile(FieldPainter::pTypeProperty(), FieldPainter::toProperty(zero), 1200, 1, 2), 0);
    const QByteArray text = readAll(name);
    EXPECT_TRUE(text.startsWith("X: 0\n0.0000000000e+00 ; 0.0000000000e+00 ; \n\n\n"));
    EXPECT_TRUE(text.contains("\nX: 1199\n")); // no digit grouping in the headers
}

struct BadExport
{
    const char *label;
    QString field;
    bool holdsCounters;
    bool writable;
};

class CSVDataExporterRefuses : public ::testing::TestWithParam<BadExport>
{
};

TEST_P(CSVDataExporterRefuses, AndLeavesNoData)
{
    const BadExport c = GetParam();
    const QString name = c.writable ? QStringLiteral("bad.csv") : QStringLiteral("no/such/folder/bad.csv");
    QFile::remove(name);
    CSVDataExporter exporter(name);
    const QVariant value = c.holdsCounters ? FieldPainter::toProperty(counters(6)) : QVariant(42);
    EXPECT_EQ(exporter.saveDataToFile(c.field, value, 2, 1, 3), -1);
    if (c.writable) {
        EXPECT_EQ(readAll(name), QByteArray());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Export, CSVDataExporterRefuses,
    ::testing::Values(BadExport{"wrong field name", QStringLiteral("Temperature"), true, true},
                      BadExport{"no counters in the value", FieldPainter::nTypeProperty(), false, true},
                      BadExport{"unwritable file", FieldPainter::nTypeProperty(), true, false}),
    [](const ::testing::TestParamInfo<BadExport> &info) {
        return QString::fromLatin1(info.param.label).replace(' ', '_').toStdString();
    });

TEST(ExportDataOperation, ExportsThePickedFieldAndReportsFailure)
{
    Workspace w;
    const boost::shared_ptr<TotalVolume> v(new TotalVolume(2, 1, 3, 1, 1, 1, Util::Vector3D(), 1u));
    v->setProperty(FieldPainter::nTypeProperty(), FieldPainter::toProperty(counters(6)));
    v->setProperty(QStringLiteral("Note"), QStringLiteral("text"));
    w.document().addObject(v);

    const boost::shared_ptr<FakeChoices> choices(new FakeChoices);
    choices->file = QDir::current().absoluteFilePath(QStringLiteral("op.csv"));
    choices->field = FieldPainter::nTypeProperty();
    boost::shared_ptr<ExportDataOperation> op(new ExportDataOperation(&w));
    op->setChoices(choices);
    w.startOperation(op);
    EXPECT_TRUE(choices->offered.contains(FieldPainter::nTypeProperty()));
    EXPECT_EQ(w.console().lastMessage(), QStringLiteral("Export Data:  data saved."));
    EXPECT_EQ(readAll(choices->file), QByteArray(TwoByOneByThree));

    choices->field = QStringLiteral("Note");
    op.reset(new ExportDataOperation(&w));
    op->setChoices(choices);
    w.startOperation(op);
    EXPECT_TRUE(w.console().lastMessage().startsWith(QStringLiteral("Export Data: The data was not saved")));

    choices->file.clear(); // the dialog was cancelled
    op.reset(new ExportDataOperation(&w));
    op->setChoices(choices);
    w.startOperation(op);
    EXPECT_EQ(w.console().lastMessage(), QStringLiteral("Export Data: Operation canceled."));
}
