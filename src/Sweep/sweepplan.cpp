#include "sweepplan.h"

#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "Model/ModelExtraction/cantileverstructure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QHash>
#include <QSet>
#include <QTextStream>

#include <cmath>

namespace Sweep {

using Core::Operations::ParameterOverride;

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// The plan as collect reads it back; variants.csv is for people.
QString planFileName() { return QStringLiteral("sweep.json"); }

bool writeFile(const QString &fileName, const QByteArray &data, QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        setError(error, QStringLiteral("\"%1\" could not be written: %2").arg(fileName, file.errorString()));
        return false;
    }
    return true;
}

// START:STOP:STEP, STOP included within rounding; false when it is no range.
bool rangeValues(const QString &text, QStringList &values, QString *error)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return false;
    bool ok[3];
    const double start = parts.at(0).toDouble(&ok[0]);
    const double stop = parts.at(1).toDouble(&ok[1]);
    const double step = parts.at(2).toDouble(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2])
        return false;
    if (!std::isfinite(start) || !std::isfinite(stop) || !std::isfinite(step) || step == 0.0 ||
        (stop - start) / step < 0.0) {
        setError(error, QStringLiteral("the range %1 never reaches its end: STEP must be non-zero and lead from "
                                       "START to STOP")
                            .arg(text));
        values.clear();
        return true;
    }
    const double count = std::floor((stop - start) / step + 1e-9) + 1.0;
    if (count > GridAxis::maxValues) {
        setError(error, QStringLiteral("the range %1 has %2 values, more than %3").arg(text).arg(count).arg(
                            GridAxis::maxValues));
        values.clear();
        return true;
    }
    const bool whole = parts.at(0).indexOf(QLatin1Char('.')) < 0 && parts.at(2).indexOf(QLatin1Char('.')) < 0 &&
                       std::floor(start) == start && std::floor(step) == step;
    for (int i = 0; i < int(count); ++i) {
        const double v = start + i * step;
        // Twelve digits hide the rounding of start + i * step (0.30000000000000004).
        values << (whole ? QString::number(qint64(v)) : QString::number(v, 'g', 12));
    }
    return true;
}

QString statusFile(const QString &variantFolder) { return variantFolder + QStringLiteral("/status"); }

// The last problem torvane-batch reported, or its last line.
QString failureReason(const QString &logFile)
{
    QFile file(logFile);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("no log");
    QString reason;
    QString last;
    while (!file.atEnd()) {
        const QString line = QString::fromLocal8Bit(file.readLine()).trimmed();
        if (line.isEmpty())
            continue;
        last = line;
        if (line.startsWith(QLatin1String("torvane-batch: ")))
            reason = line.mid(15);
    }
    return reason.isEmpty() ? last : reason;
}

// A table column's name: no commas, which every tool would need quoted.
QString columnName(const QString &name)
{
    QString plain = name;
    plain.replace(QLatin1Char(','), QLatin1Char('_'));
    return plain;
}

QString numberText(double value) { return QString::number(value, 'g', 12); }

// One variant's figures by column name, in the order they were found.
struct Figures
{
    QStringList names;
    QMap<QString, QString> values;

    void add(const QString &name, const QString &value)
    {
        const QString column = columnName(name);
        if (!values.contains(column))
            names << column;
        values.insert(column, value);
    }
};

// Dotted names of every number, string and truth value of a JSON value.
// Members of an array are named by their "id", or by their "x_y" column, so
// that the same figure has the same name in every variant.
void flatten(const QJsonValue &value, const QString &name, Figures &out)
{
    auto join = [&name](const QString &key) { return name.isEmpty() ? key : name + QLatin1Char('.') + key; };
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            flatten(it.value(), join(it.key()), out);
    } else if (value.isArray()) {
        const QJsonArray array = value.toArray();
        for (int i = 0; i < array.size(); ++i) {
            const QJsonObject member = array.at(i).toObject();
            QString key = QString::number(i);
            if (member.contains(QLatin1String("id")))
                key = member.value(QLatin1String("id")).toVariant().toString();
            else if (member.contains(QLatin1String("x")) && member.contains(QLatin1String("y")))
                key = QStringLiteral("%1_%2").arg(member.value(QLatin1String("x")).toVariant().toString(),
                                                  member.value(QLatin1String("y")).toVariant().toString());
            flatten(array.at(i), join(key), out);
        }
    } else if (value.isDouble()) {
        out.add(name, numberText(value.toDouble()));
    } else if (value.isBool()) {
        out.add(name, QString::fromLatin1(value.toBool() ? "true" : "false"));
    } else if (value.isString()) {
        out.add(name, value.toString());
    }
}

// A measurement file's figures: first, per measured column, its stack of
// materials bottom to top and the thickness of each material by name (a
// column means the same material in every variant only by name, not by the
// layer's place), then everything else the file holds; the layers by place
// only when layers is true. prefixes receives the columns' names ("col_32_20").
void measuredFigures(const QJsonObject &measured, bool layers, Figures &out, QStringList &prefixes)
{
    for (const QJsonValue &entry : measured.value(QLatin1String("columns")).toArray()) {
        QJsonObject column = entry.toObject();
        const QString prefix = QStringLiteral("col_%1_%2").arg(column.value(QLatin1String("x")).toVariant().toString(),
                                                              column.value(QLatin1String("y")).toVariant().toString());
        prefixes << prefix;
        QStringList stack, materials;
        QList<bool> empty;
        QMap<QString, double> thickness;
        for (const QJsonValue &layerValue : column.value(QLatin1String("layers")).toArray()) {
            const QJsonObject layer = layerValue.toObject();
            const int id = layer.value(QLatin1String("material_id")).toInt();
            QString material = layer.value(QLatin1String("material")).toString();
            if (material.isEmpty())
                material = id == 0 ? QStringLiteral("empty") : QStringLiteral("Material %1").arg(id);
            stack << material;
            empty << (id == 0);
            if (id == 0)
                continue;
            if (!materials.contains(material))
                materials << material;
            thickness[material] += layer.value(QLatin1String("thickness")).toDouble();
        }
        // The space above the top layer says nothing about the stack.
        while (!empty.isEmpty() && empty.last()) {
            empty.removeLast();
            stack.removeLast();
        }
        out.add(prefix + QStringLiteral(".stack"), stack.isEmpty() ? QStringLiteral("empty")
                                                                    : stack.join(QStringLiteral(" / ")));
        for (const QString &material : materials)
            out.add(prefix + QStringLiteral(".thickness.") + material, numberText(thickness.value(material)));
        column.remove(QStringLiteral("x"));
        column.remove(QStringLiteral("y"));
        if (!layers)
            column.remove(QStringLiteral("layers"));
        flatten(column, prefix, out);
    }
    for (auto it = measured.begin(); it != measured.end(); ++it)
        if (it.key() != QLatin1String("columns"))
            flatten(it.value(), it.key(), out);
}

// The beams of a netlist as (effective mass, compliance) by beam number; read
// is false when the file cannot be opened.
QMap<int, QPair<double, double>> netlistBeams(const QString &fileName, bool *read)
{
    QMap<int, QPair<double, double>> beams;
    QFile file(fileName);
    *read = file.open(QIODevice::ReadOnly | QIODevice::Text);
    if (!*read)
        return beams;
    // "c1 1 0 1.2e-12" is beam 1's mass, "l1 1 0 3.4" its compliance.
    while (!file.atEnd()) {
        const QStringList words = QString::fromLatin1(file.readLine()).simplified().split(QLatin1Char(' '));
        if (words.size() < 4 || words.at(0).size() < 2)
            continue;
        const QChar kind = words.at(0).at(0).toLower();
        bool numbered = false, isValue = false;
        const int beam = words.at(0).mid(1).toInt(&numbered);
        const double value = words.at(3).toDouble(&isValue);
        if (!numbered || !isValue || (kind != QLatin1Char('c') && kind != QLatin1Char('l')))
            continue;
        (kind == QLatin1Char('c') ? beams[beam].first : beams[beam].second) = value;
    }
    return beams;
}

// Dotted names ordered by where each of their prefixes first appeared, so a
// figure only some variants have (a fourth layer) stands beside its kin, and
// numbered members (layers, material ids) in number order.
class NameOrder
{
public:
    void add(const QString &name)
    {
        if (m_leaves.contains(name))
            return;
        m_leaves.insert(name);
        const QStringList parts = name.split(QLatin1Char('.'));
        QString path;
        for (const QString &part : parts) {
            const QString child = path.isEmpty() ? part : path + QLatin1Char('.') + part;
            QStringList &children = m_children[path];
            if (!children.contains(child)) {
                bool numbered = false;
                const qint64 number = part.toLongLong(&numbered);
                int at = children.size();
                for (int i = 0; numbered && i < children.size(); ++i) {
                    bool siblingNumbered = false;
                    const qint64 sibling = children.at(i).section(QLatin1Char('.'), -1).toLongLong(&siblingNumbered);
                    if (siblingNumbered && sibling > number) {
                        at = i;
                        break;
                    }
                }
                children.insert(at, child);
            }
            path = child;
        }
    }
    QStringList names() const
    {
        QStringList out;
        walk(QString(), out);
        return out;
    }

private:
    void walk(const QString &path, QStringList &out) const
    {
        if (!path.isEmpty() && m_leaves.contains(path))
            out << path;
        for (const QString &child : m_children.value(path))
            walk(child, out);
    }

    QSet<QString> m_leaves;
    QHash<QString, QStringList> m_children;
};

// A quantity's unit in the long table; length: the volume's length unit.
QString unitOf(const QString &quantity, const QString &length)
{
    const QString last = quantity.section(QLatin1Char('.'), -1);
    if (last == QLatin1String("frequency_hz"))
        return QStringLiteral("Hz");
    if (last == QLatin1String("mass_kg"))
        return QStringLiteral("kg");
    if (last == QLatin1String("compliance_m_per_n"))
        return QStringLiteral("m/N");
    if (quantity.contains(QLatin1String(".thickness.")) || quantity.startsWith(QLatin1String("volume.cell.")) ||
        quantity.startsWith(QLatin1String("volume.origin.")) ||
        QStringList{QStringLiteral("thickness"), QStringLiteral("z_from"), QStringLiteral("z_to"),
                    QStringLiteral("min"), QStringLiteral("max"), QStringLiteral("mean")}
            .contains(last))
        return length;
    if (last == QLatin1String("volume") || last == QLatin1String("cell_volume"))
        return length + QStringLiteral("³");
    if (last == QLatin1String("cells") || last == QLatin1String("empty_cells") ||
        quantity.startsWith(QLatin1String("volume.size.")))
        return QStringLiteral("cells");
    return QString();
}

} // namespace

QString jobsFileName() { return QStringLiteral("jobs.txt"); }
QString variantsFileName() { return QStringLiteral("variants.csv"); }
QString resultsFileName() { return QStringLiteral("results.csv"); }
QString jobLogFileName() { return QStringLiteral("joblog.txt"); }
QString sbatchFileName() { return QStringLiteral("sweep.sbatch"); }
QString longResultsFileName() { return QStringLiteral("results-long.csv"); }
QString netlistFileName() { return QStringLiteral("model.cir"); }

QString shellQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool GridAxis::parse(const QString &text, GridAxis &axis, QString *error)
{
    const int equals = text.indexOf(QLatin1Char('='));
    GridAxis parsed;
    if (equals < 0 || !ParameterOverride::parseTarget(text.left(equals), parsed.target, nullptr)) {
        setError(error, QStringLiteral("\"%1\" is not POSITION:PARAMETER=V1,V2,... or POSITION:PARAMETER="
                                       "START:STOP:STEP")
                            .arg(text));
        return false;
    }
    const QString list = text.mid(equals + 1);
    QString rangeError;
    if (!rangeValues(list, parsed.values, &rangeError)) {
        for (const QString &value : list.split(QLatin1Char(',')))
            parsed.values << value.trimmed();
    }
    if (!rangeError.isEmpty()) {
        setError(error, QStringLiteral("%1: %2").arg(parsed.target.target(), rangeError));
        return false;
    }
    if (parsed.values.size() > maxValues) {
        setError(error, QStringLiteral("%1: more than %2 values").arg(parsed.target.target()).arg(maxValues));
        return false;
    }
    if (parsed.values.isEmpty() || parsed.values.contains(QString())) {
        setError(error, QStringLiteral("%1: an empty value in \"%2\"").arg(parsed.target.target(), list));
        return false;
    }
    axis = parsed;
    return true;
}

QList<QStringList> variantValues(const QList<GridAxis> &axes)
{
    QList<QStringList> variants;
    variants.append(QStringList());
    for (const GridAxis &axis : axes) {
        QList<QStringList> next;
        for (const QStringList &prefix : variants)
            for (const QString &value : axis.values)
                next.append(prefix + QStringList(value));
        variants = next;
    }
    return variants;
}

int SweepPlan::variantCount() const
{
    qint64 count = 1;
    for (const GridAxis &axis : axes)
        count *= axis.values.size();
    return int(qMin<qint64>(count, std::numeric_limits<int>::max()));
}

QString SweepPlan::variantFolder(int variant) const
{
    return QStringLiteral("%1/variants/%2").arg(folder).arg(variant, 4, 10, QLatin1Char('0'));
}

QString SweepPlan::jobLine(int variant, const QStringList &values) const
{
    const QString dir = variantFolder(variant);
    QStringList words;
    words << shellQuote(batchProgram) << shellQuote(listFile) << QStringLiteral("--out")
          << shellQuote(dir + QStringLiteral("/result.tvn"));
    if (measure || !columns.isEmpty())
        words << QStringLiteral("--measure") << shellQuote(dir + QStringLiteral("/measure.json"));
    for (const QString &column : columns)
        words << QStringLiteral("--column") << shellQuote(column);
    if (threads >= 0)
        words << QStringLiteral("--threads") << QString::number(threads);
    if (netlist)
        words << QStringLiteral("--netlist") << shellQuote(dir + QLatin1Char('/') + netlistFileName());
    for (int i = 0; i < axes.size() && i < values.size(); ++i) {
        ParameterOverride set = axes.at(i).target;
        set.value = values.at(i);
        words << QStringLiteral("--set") << shellQuote(set.target() + QLatin1Char('=') + set.value);
    }
    // The status file tells collect how the variant ended; the line keeps
    // torvane-batch's own exit status for the scheduler's log.
    return QStringLiteral("%1 > %2 2>&1; s=$?; echo $s > %3; exit $s")
        .arg(words.join(QLatin1Char(' ')), shellQuote(dir + QStringLiteral("/log.txt")),
             shellQuote(statusFile(dir)));
}

bool SweepPlan::write(QString *error) const
{
    if (!QDir().mkpath(folder + QStringLiteral("/variants"))) {
        setError(error, QStringLiteral("the folder \"%1\" could not be made").arg(folder));
        return false;
    }
    const QList<QStringList> variants = variantValues(axes);
    QByteArray jobs;
    QByteArray table = "variant";
    QJsonArray axesJson;
    for (const GridAxis &axis : axes) {
        table += ',' + csvField(axis.target.target()).toUtf8();
        axesJson.append(axis.target.target());
    }
    table += '\n';
    QJsonArray variantsJson;
    for (int v = 0; v < variants.size(); ++v) {
        if (!QDir().mkpath(variantFolder(v))) {
            setError(error, QStringLiteral("the folder \"%1\" could not be made").arg(variantFolder(v)));
            return false;
        }
        jobs += jobLine(v, variants.at(v)).toUtf8() + '\n';
        table += QByteArray::number(v);
        for (const QString &value : variants.at(v))
            table += ',' + csvField(value).toUtf8();
        table += '\n';
        variantsJson.append(QJsonArray::fromStringList(variants.at(v)));
    }
    QJsonObject plan;
    plan.insert(QStringLiteral("list"), listFile);
    plan.insert(QStringLiteral("axes"), axesJson);
    plan.insert(QStringLiteral("variants"), variantsJson);
    plan.insert(QStringLiteral("netlist"), netlist);
    return writeFile(folder + QLatin1Char('/') + jobsFileName(), jobs, error) &&
           writeFile(folder + QLatin1Char('/') + variantsFileName(), table, error) &&
           writeFile(folder + QLatin1Char('/') + planFileName(), QJsonDocument(plan).toJson(), error);
}

QString SweepPlan::sbatchScript(const SlurmOptions &slurm) const
{
    const int count = variantCount();
    QString script = QStringLiteral("#!/bin/bash\n");
    script += QStringLiteral("#SBATCH --job-name=%1\n").arg(slurm.jobName);
    script += QStringLiteral("#SBATCH --array=0-%1%2\n")
                  .arg(count - 1)
                  .arg(slurm.limit > 0 ? QStringLiteral("%%1").arg(slurm.limit) : QString());
    script += QStringLiteral("#SBATCH --cpus-per-task=%1\n").arg(slurm.cpusPerTask);
    if (!slurm.partition.isEmpty())
        script += QStringLiteral("#SBATCH --partition=%1\n").arg(slurm.partition);
    if (!slurm.time.isEmpty())
        script += QStringLiteral("#SBATCH --time=%1\n").arg(slurm.time);
    if (!slurm.memory.isEmpty())
        script += QStringLiteral("#SBATCH --mem=%1\n").arg(slurm.memory);
    // Slurm's own output files go beside the variants; each variant logs itself.
    script += QStringLiteral("#SBATCH --output=%1/slurm-%A_%a.out\n").arg(folder);
    script += QStringLiteral("# One variant per array task: task N runs line N+1 of jobs.txt.\n");
    script += QStringLiteral("line=$(sed -n \"$((SLURM_ARRAY_TASK_ID + 1))p\" %1)\n")
                  .arg(shellQuote(folder + QLatin1Char('/') + jobsFileName()));
    script += QStringLiteral("if [ -z \"$line\" ]; then echo \"no job line for task $SLURM_ARRAY_TASK_ID\" >&2; "
                             "exit 1; fi\n");
    script += QStringLiteral("exec bash -c \"$line\"\n");
    return script;
}

bool checkAgainstList(const QString &listFile, const QList<GridAxis> &axes, QString *error)
{
    Core::Operations::ProcessListFile::LoadResult loaded;
    if (!Core::Operations::ProcessListFile::load(listFile, loaded, nullptr)) {
        setError(error, loaded.error);
        return false;
    }
    for (const GridAxis &axis : axes) {
        for (const QString &value : axis.values) {
            Core::Steps::ProcessList list = loaded.list;
            ParameterOverride set = axis.target;
            set.value = value;
            if (!set.apply(list, error))
                return false;
        }
    }
    return true;
}

double firstModeFrequency(double mass, double compliance)
{
    return Model::ModelExtraction::CantileverStructure::firstModeFrequency(mass, compliance);
}

QStringList csvFields(const QString &line)
{
    QStringList fields(QString{});
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"') && quoted && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"'))
            fields.last() += line.at(++i);
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(',') && !quoted)
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
}

bool collect(const QString &folder, const CollectOptions &options, CollectedTables &tables, QString *error)
{
    QFile planFile(folder + QLatin1Char('/') + planFileName());
    if (!planFile.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("\"%1\" holds no sweep (no %2)").arg(folder, planFileName()));
        return false;
    }
    const QJsonObject plan = QJsonDocument::fromJson(planFile.readAll()).object();
    const QJsonArray axes = plan.value(QStringLiteral("axes")).toArray();
    const QJsonArray variants = plan.value(QStringLiteral("variants")).toArray();
    const bool netlist = plan.value(QStringLiteral("netlist")).toBool();
    if (variants.isEmpty()) {
        setError(error, QStringLiteral("\"%1\" is not a sweep plan").arg(planFile.fileName()));
        return false;
    }

    struct Row
    {
        QStringList fixed; // variant, the axes' values, status, exit code, reason
        Figures figures;
        QStringList columns; // the measured columns' names
        bool measured = false; // figures were read (a run that went to its end)
        QString lengthUnit = QString::fromUtf8("\u00b5m");
    };
    SweepPlan layout;
    layout.folder = folder;
    NameOrder order;
    if (netlist) {
        order.add(QStringLiteral("beams"));
        order.add(QStringLiteral("netlist_reason"));
    }
    QList<Row> rows;
    for (int v = 0; v < variants.size(); ++v) {
        const QString dir = layout.variantFolder(v);
        Row row;
        row.fixed << QString::number(v);
        for (const QJsonValue &value : variants.at(v).toArray())
            row.fixed << value.toString();

        QFile status(statusFile(dir));
        QString state = QStringLiteral("not run");
        QString code;
        QString reason;
        if (status.open(QIODevice::ReadOnly)) {
            code = QString::fromLatin1(status.readAll()).trimmed();
            state = code == QLatin1String("0") ? QStringLiteral("ok") : QStringLiteral("failed");
            if (state != QLatin1String("ok"))
                reason = failureReason(dir + QStringLiteral("/log.txt"));
        }
        if (netlist && state != QLatin1String("not run")) {
            bool read = false;
            const QMap<int, QPair<double, double>> beams = netlistBeams(dir + QLatin1Char('/') + netlistFileName(), &read);
            if (read && !beams.isEmpty()) {
                row.figures.add(QStringLiteral("beams"), QString::number(beams.size()));
                for (auto it = beams.begin(); it != beams.end(); ++it) {
                    const QString beam = QStringLiteral("beam_%1.").arg(it.key());
                    const double mass = it.value().first, compliance = it.value().second;
                    const double frequency = firstModeFrequency(mass, compliance);
                    row.figures.add(beam + QStringLiteral("frequency_hz"),
                                    frequency > 0 ? QString::number(frequency, 'g', 6) : QString());
                    row.figures.add(beam + QStringLiteral("mass_kg"), QString::number(mass, 'g', 6));
                    row.figures.add(beam + QStringLiteral("compliance_m_per_n"), QString::number(compliance, 'g', 6));
                }
                row.measured = true;
            } else if (reason == Core::Operations::RunModelExtraction::noModelDataText()) {
                // Every step ran; the volume holds no free-standing beam (one never released, say).
                row.figures.add(QStringLiteral("beams"), QStringLiteral("0"));
                row.figures.add(QStringLiteral("netlist_reason"), QStringLiteral("no cantilever was found"));
                row.measured = true;
            } else {
                row.figures.add(QStringLiteral("netlist_reason"), code != QLatin1String("0")
                                                                      ? QStringLiteral("no netlist: the run failed")
                                                                      : QStringLiteral("no netlist was written"));
            }
        }
        QFile measureFile(dir + QStringLiteral("/measure.json"));
        if (measureFile.open(QIODevice::ReadOnly)) {
            QJsonParseError parseError;
            const QJsonDocument measured = QJsonDocument::fromJson(measureFile.readAll(), &parseError);
            if (parseError.error != QJsonParseError::NoError || !measured.isObject()) {
                if (state == QLatin1String("ok"))
                    state = QStringLiteral("failed");
                reason = QStringLiteral("the measurement file cannot be read: %1").arg(parseError.errorString());
            } else {
                measuredFigures(measured.object(), options.allColumns, row.figures, row.columns);
                row.measured = true;
                const QString unit = measured.object().value(QLatin1String("volume")).toObject()
                                         .value(QLatin1String("units")).toString();
                if (!unit.isEmpty())
                    row.lengthUnit = unit;
            }
        }
        row.fixed << state << code << reason;
        for (const QString &name : row.figures.names)
            order.add(name);
        rows.append(row);
    }

    QStringList names = order.names();
    // A material a variant's column lacks is there 0 thick, not unknown.
    for (Row &row : rows)
        for (const QString &name : names) {
            const QString prefix = name.section(QLatin1Char('.'), 0, 0);
            if (name.section(QLatin1Char('.'), 1, 1) == QLatin1String("thickness") && row.columns.contains(prefix) &&
                !row.figures.values.contains(name))
                row.figures.add(name, QStringLiteral("0"));
        }

    // Figures the same in every variant that has figures say nothing about the sweep.
    QStringList kept;
    int measuredRows = 0;
    for (const Row &row : rows)
        measuredRows += row.measured ? 1 : 0;
    for (const QString &name : names) {
        bool same = true;
        QString first;
        bool seen = false;
        for (const Row &row : rows) {
            if (!row.measured)
                continue;
            const QString value = row.figures.values.value(name);
            if (!seen) {
                first = value;
                seen = true;
            } else if (value != first) {
                same = false;
                break;
            }
        }
        if (options.allColumns || measuredRows < 2 || !same)
            kept << name;
        else
            tables.leftOut << name;
    }

    QStringList header;
    header << QStringLiteral("variant");
    QStringList axisNames;
    for (const QJsonValue &axis : axes)
        axisNames << axis.toString();
    header << axisNames;
    const QStringList fixedQuantities{QStringLiteral("status"), QStringLiteral("exit_code"), QStringLiteral("reason")};
    header << fixedQuantities;
    header << kept;
    auto line = [](const QStringList &fields) {
        QStringList quoted;
        for (const QString &field : fields)
            quoted << csvField(field);
        return quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
    };
    tables.csv = line(header);
    QStringList longHeader;
    longHeader << QStringLiteral("variant") << axisNames << QStringLiteral("quantity") << QStringLiteral("value")
               << QStringLiteral("unit");
    tables.longCsv = line(longHeader);
    const int axisCount = axisNames.size();
    for (const Row &row : rows) {
        QStringList fields = row.fixed;
        for (const QString &name : kept)
            fields << row.figures.values.value(name);
        tables.csv += line(fields);
        if (!options.longTable)
            continue;
        // Tidy: one row per quantity a variant has, so an empty cell of the
        // wide table is a missing row here.
        const QStringList identity = row.fixed.mid(0, 1 + axisCount);
        for (int i = 0; i < fixedQuantities.size(); ++i)
            if (!row.fixed.at(1 + axisCount + i).isEmpty())
                tables.longCsv += line(identity + QStringList{fixedQuantities.at(i), row.fixed.at(1 + axisCount + i),
                                                              QString()});
        for (const QString &name : kept) {
            const QString value = row.figures.values.value(name);
            if (!value.isEmpty())
                tables.longCsv += line(identity + QStringList{name, value, unitOf(name, row.lengthUnit)});
        }
    }
    if (!writeFile(folder + QLatin1Char('/') + resultsFileName(), tables.csv.toUtf8(), error))
        return false;
    return !options.longTable ||
           writeFile(folder + QLatin1Char('/') + longResultsFileName(), tables.longCsv.toUtf8(), error);
}

bool collect(const QString &folder, QString &csv, QString *error)
{
    CollectedTables tables;
    if (!collect(folder, CollectOptions(), tables, error))
        return false;
    csv = tables.csv;
    return true;
}

} // namespace Sweep
