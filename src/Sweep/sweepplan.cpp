#include "sweepplan.h"

#include "Core/Operations/BatchRun/processlistfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
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

// Dotted names of every number, string and truth value in a measurement file.
// Members of an array are named by their "id", or by their "x,y" column,
// so that the same figure has the same name in every variant.
void flatten(const QJsonValue &value, const QString &name, QList<QPair<QString, QString>> &out)
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
                key = QStringLiteral("%1,%2").arg(member.value(QLatin1String("x")).toVariant().toString(),
                                                  member.value(QLatin1String("y")).toVariant().toString());
            flatten(array.at(i), join(key), out);
        }
    } else if (value.isDouble()) {
        out.append(qMakePair(name, QString::number(value.toDouble(), 'g', 12)));
    } else if (value.isBool()) {
        out.append(qMakePair(name, QString::fromLatin1(value.toBool() ? "true" : "false")));
    } else if (value.isString()) {
        out.append(qMakePair(name, value.toString()));
    }
}

} // namespace

QString jobsFileName() { return QStringLiteral("jobs.txt"); }
QString variantsFileName() { return QStringLiteral("variants.csv"); }
QString resultsFileName() { return QStringLiteral("results.csv"); }
QString jobLogFileName() { return QStringLiteral("joblog.txt"); }
QString sbatchFileName() { return QStringLiteral("sweep.sbatch"); }

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

bool collect(const QString &folder, QString &csv, QString *error)
{
    QFile planFile(folder + QLatin1Char('/') + planFileName());
    if (!planFile.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("\"%1\" holds no sweep (no %2)").arg(folder, planFileName()));
        return false;
    }
    const QJsonObject plan = QJsonDocument::fromJson(planFile.readAll()).object();
    const QJsonArray axes = plan.value(QStringLiteral("axes")).toArray();
    const QJsonArray variants = plan.value(QStringLiteral("variants")).toArray();
    if (variants.isEmpty()) {
        setError(error, QStringLiteral("\"%1\" is not a sweep plan").arg(planFile.fileName()));
        return false;
    }

    SweepPlan layout;
    layout.folder = folder;
    QStringList figureNames;
    QList<QMap<QString, QString>> figures;
    QStringList rows;
    for (int v = 0; v < variants.size(); ++v) {
        const QString dir = layout.variantFolder(v);
        QStringList row;
        row << QString::number(v);
        for (const QJsonValue &value : variants.at(v).toArray())
            row << csvField(value.toString());

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
        QMap<QString, QString> values;
        QFile measureFile(dir + QStringLiteral("/measure.json"));
        if (measureFile.open(QIODevice::ReadOnly)) {
            QJsonParseError parseError;
            const QJsonDocument measured = QJsonDocument::fromJson(measureFile.readAll(), &parseError);
            if (parseError.error != QJsonParseError::NoError) {
                if (state == QLatin1String("ok"))
                    state = QStringLiteral("failed");
                reason = QStringLiteral("the measurement file cannot be read: %1").arg(parseError.errorString());
            }
            QList<QPair<QString, QString>> flat;
            flatten(measured.isArray() ? QJsonValue(measured.array()) : QJsonValue(measured.object()), QString(),
                    flat);
            for (const auto &figure : flat) {
                if (!figureNames.contains(figure.first))
                    figureNames << figure.first;
                values.insert(figure.first, figure.second);
            }
        }
        row << state << code << csvField(reason);
        rows << row.join(QLatin1Char(','));
        figures.append(values);
    }

    QStringList header;
    header << QStringLiteral("variant");
    for (const QJsonValue &axis : axes)
        header << csvField(axis.toString());
    header << QStringLiteral("status") << QStringLiteral("exit_code") << QStringLiteral("reason");
    for (const QString &name : figureNames)
        header << csvField(name);
    csv = header.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (int v = 0; v < rows.size(); ++v) {
        QString line = rows.at(v);
        for (const QString &name : figureNames)
            line += QLatin1Char(',') + csvField(figures.at(v).value(name));
        csv += line + QLatin1Char('\n');
    }
    return writeFile(folder + QLatin1Char('/') + resultsFileName(), csv.toUtf8(), error);
}

} // namespace Sweep
