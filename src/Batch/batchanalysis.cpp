#include "batchanalysis.h"

#include "Model/Analysis/outputfiles.h"
#include "Model/Analysis/stlwriter.h"
#include "Model/Analysis/vtiwriter.h"
#include "Model/Automaton/totalvolume.h"
#include "batchprogram.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace Batch {

using namespace Model::Analysis;

namespace {
const QString SectionOption = QStringLiteral("--section");
const QString ParticlesOption = QStringLiteral("--section-particles");
const QString DopantOption = QStringLiteral("--section-dopant");
const QString MeasureOption = QStringLiteral("--measure");
const QString ColumnOption = QStringLiteral("--column");
const QString VtiOption = QStringLiteral("--export-vti");
const QString VtiCompressionOption = QStringLiteral("--vti-compression");
const QString StlOption = QStringLiteral("--export-stl");
const QString StlSurfaceOption = QStringLiteral("--stl-surface");

QString absolute(const QString &file) { return QFileInfo(file).absoluteFilePath(); }
} // namespace

bool BatchAnalysis::isOption(const QString &option)
{
    return option == SectionOption || option == ParticlesOption || option == DopantOption || option == MeasureOption ||
           option == ColumnOption || option == VtiOption || option == VtiCompressionOption || option == StlOption ||
           option == StlSurfaceOption;
}

QString BatchAnalysis::add(const QString &option, const QString &value)
{
    QString error;
    if (option == SectionOption) {
        static const QRegularExpression form(QStringLiteral("^([^=]*)=([^:]*):(.+)$"));
        const QRegularExpressionMatch match = form.match(value);
        if (!match.hasMatch())
            return QStringLiteral("--section \"%1\": give AXIS=INDEX:FILE.png, for example x=32:section.png").arg(value);
        Section section;
        if (!parseSectionAxis(match.captured(1), &section.axis, &error))
            return QStringLiteral("--section \"%1\": %2").arg(value, error);
        bool ok = false;
        section.index = match.captured(2).trimmed().toUInt(&ok);
        if (!ok)
            return QStringLiteral("--section \"%1\": the index \"%2\" is not a cell number").arg(value, match.captured(2));
        section.file = match.captured(3);
        sections << section;
    } else if (option == ParticlesOption) {
        const QString v = value.toLower();
        if (v == QLatin1String("n"))
            sectionParticles = ParticleView::NType;
        else if (v == QLatin1String("p"))
            sectionParticles = ParticleView::PType;
        else if (v == QLatin1String("total"))
            sectionParticles = ParticleView::Total;
        else
            return QStringLiteral("--section-particles \"%1\": give n, p or total").arg(value);
    } else if (option == DopantOption) {
        if (Model::Automaton::DopantFields::speciesNamed(value) < 0)
            return QStringLiteral("--section-dopant \"%1\": give %2")
                .arg(value, Model::Automaton::DopantFields::speciesNames().join(QStringLiteral(", ")));
        sectionDopant = value.trimmed();
    } else if (option == MeasureOption) {
        measureFile = value;
    } else if (option == ColumnOption) {
        ColumnRequest column;
        if (!parseColumn(value, &column, &error))
            return QStringLiteral("--column: %1").arg(error);
        columns.push_back(column);
    } else if (option == VtiOption) {
        vtiFile = value;
    } else if (option == VtiCompressionOption) {
        if (value == QLatin1String("none"))
            vtiCompression = Model::Analysis::VtiCompression::None;
        else if (value == QLatin1String("zlib"))
            vtiCompression = Model::Analysis::VtiCompression::Zlib;
        else
            return QStringLiteral("--vti-compression \"%1\": give none or zlib").arg(value);
    } else if (option == StlOption) {
        stlPrefix = value;
    } else if (option == StlSurfaceOption) {
        if (!parseStlSurface(value, &stlSurface, &error))
            return QStringLiteral("--stl-surface: %1").arg(error);
        stlSurfaceGiven = true;
    }
    return QString();
}

QString BatchAnalysis::check() const
{
    if (!columns.empty() && measureFile.isEmpty())
        return QStringLiteral("--column needs --measure FILE.json: the layer stacks go into the measure file");
    if (sectionParticles != ParticleView::None && sections.isEmpty())
        return QStringLiteral("--section-particles needs a --section");
    if (!sectionDopant.isEmpty() && sections.isEmpty())
        return QStringLiteral("--section-dopant needs a --section");
    if (!sectionDopant.isEmpty() && sectionParticles != ParticleView::None)
        return QStringLiteral("--section-dopant and --section-particles cannot be shown together");
    if (stlSurfaceGiven && stlPrefix.isEmpty())
        return QStringLiteral("--stl-surface needs --export-stl PREFIX");
    return QString();
}

bool BatchAnalysis::any() const
{
    return !sections.isEmpty() || !measureFile.isEmpty() || !vtiFile.isEmpty() || !stlPrefix.isEmpty();
}

bool BatchAnalysis::checkOutputs(QString *error) const
{
    QStringList files;
    for (const Section &s : sections)
        files << s.file;
    if (!measureFile.isEmpty())
        files << measureFile;
    if (!vtiFile.isEmpty())
        files << vtiFile;
    if (!stlPrefix.isEmpty())
        files << stlFileName(stlPrefix, 1);
    for (const QString &file : files) {
        QString why;
        if (!checkWritable(file, &why)) {
            *error = QStringLiteral("cannot write \"%1\": %2").arg(file, why);
            return false;
        }
    }
    return true;
}

int BatchAnalysis::write(Model::Automaton::TotalVolume &volume, const std::function<void(const QString &)> &line,
                         const std::function<void(const QString &)> &problem) const
{
    // Every request is checked against the final volume before any file is written.
    QString error;
    for (const Section &s : sections) {
        SectionGrid grid;
        if (!sliceVolume(volume, s.axis, s.index, &grid, &error)) {
            problem(QStringLiteral("--section %1=%2: %3; no analysis file was written")
                        .arg(sectionAxisName(s.axis))
                        .arg(s.index)
                        .arg(error));
            return ExitUsage;
        }
    }
    for (const ColumnRequest &c : columns) {
        ColumnStack stack;
        if (!measureColumn(volume, c.x, c.y, &stack, &error)) {
            problem(QStringLiteral("--column %1,%2: %3; no analysis file was written").arg(c.x).arg(c.y).arg(error));
            return ExitUsage;
        }
    }

    int result = ExitSuccess;
    auto failed = [&](const QString &text) {
        problem(text);
        result = ExitNotWritten;
    };
    CrossSectionOptions options;
    options.particles = sectionParticles;
    options.dopant = sectionDopant;
    for (const Section &s : sections) {
        if (writeCrossSection(volume, s.axis, s.index, s.file, options, &error))
            line(QStringLiteral("cross-section %1 = %2 written to %3")
                     .arg(sectionAxisName(s.axis))
                     .arg(s.index)
                     .arg(absolute(s.file)));
        else
            failed(QStringLiteral("the cross-section \"%1\" could not be written: %2").arg(s.file, error));
    }
    if (!measureFile.isEmpty()) {
        QStringList written;
        if (writeMeasurements(volume, columns, measureFile, &error, &written)) {
            for (const QString &file : written)
                line(QStringLiteral("measurements written to %1").arg(absolute(file)));
            for (const ColumnRequest &c : columns) {
                ColumnStack stack;
                measureColumn(volume, c.x, c.y, &stack, nullptr);
                for (const QString &text : columnText(stack))
                    line(text);
            }
        } else {
            failed(QStringLiteral("the measurements \"%1\" could not be written: %2").arg(measureFile, error));
        }
    }
    if (!vtiFile.isEmpty()) {
        if (writeVti(volume, vtiFile, &error, vtiCompression))
            line(QStringLiteral("VTK image data written to %1").arg(absolute(vtiFile)));
        else
            failed(QStringLiteral("the VTK file \"%1\" could not be written: %2").arg(vtiFile, error));
    }
    if (!stlPrefix.isEmpty()) {
        QStringList written;
        if (writeStl(volume, stlPrefix, &error, &written, stlSurface)) {
            for (const QString &file : written)
                line(QStringLiteral("surface written to %1").arg(absolute(file)));
        } else {
            failed(QStringLiteral("the STL surfaces \"%1-*.stl\" could not be written: %2").arg(stlPrefix, error));
        }
    }
    return result;
}

QString BatchAnalysis::usage()
{
    return QStringLiteral(
        "Analysis of the final volume (after the list; no display needed):\n"
        "  --section AXIS=INDEX:FILE.png  cross-section at x, y or z = INDEX (cells from 0) as PNG; repeatable\n"
        "  --section-particles n|p|total  show random-walk particle counts in the sections (log scale)\n"
        "  --section-dopant B|P|As|Sb     show that dopant's concentration in the sections (cm^-3, log scale)\n"
        "  --measure FILE.json            material volumes, layer stacks and top surface as JSON, with\n"
        "                                 FILE-materials.csv, FILE-top-surface.csv and FILE-columns.csv\n"
        "                                 (FILE-dopants.csv: each column's dopant peak, depth, sheet dose)\n"
        "  --column X,Y                   layer stack of cell column X,Y into the measure file; repeatable\n"
        "  --export-vti FILE.vti          the cells as VTK image data (ParaView), cell data \"material\"\n"
        "  --vti-compression none|zlib    raw binary (default, fastest) or zlib blocks (smaller)\n"
        "  --export-stl PREFIX            one binary STL surface per material: PREFIX-<material id>.stl\n"
        "  --stl-surface cells|smooth     the STL files hold the cells' faces (the default) or a smooth,\n"
        "                                 closed surface through them (marching tetrahedra)\n"
        "Lengths in sections, measure files, VTK and STL are in micrometres: the volume's units times\n"
        "its unit length (Create Substrate's \"Unit Length\", 1 by default).\n");
}

} // namespace Batch
