#pragma once

#include "Core/Operations/BatchRun/parameteroverride.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Sweep {

// One axis of a sweep: a step's parameter and the values it takes.
struct GridAxis
{
    Core::Operations::ParameterOverride target; // position and parameter; no value
    QStringList values;

    // "POSITION:PARAMETER=V1,V2,..." or "POSITION:PARAMETER=START:STOP:STEP"
    // (STOP included when the steps reach it). False, with the reason, for
    // anything else, an empty list or more than maxValues values.
    static bool parse(const QString &text, GridAxis &axis, QString *error);
    static const int maxValues = 100000;
};

// Every combination of the axes' values, the first axis varying slowest.
QList<QStringList> variantValues(const QList<GridAxis> &axes);

// Resources of the Slurm job array.
struct SlurmOptions
{
    int limit = 0;         // tasks running at once; 0 = no limit
    QString partition;     // --partition
    QString time;          // --time, e.g. "00:30:00"
    QString memory;        // --mem, e.g. "2G"
    int cpusPerTask = 1;   // --cpus-per-task
    QString jobName = QStringLiteral("torvane-sweep");
};

// What torvane-sweep writes into its folder.
struct SweepPlan
{
    QString listFile;       // absolute path of the process list
    QString folder;         // absolute path of the sweep folder
    QString batchProgram;   // absolute path of torvane-batch
    QList<GridAxis> axes;
    bool measure = false;   // a measurement file per variant
    QStringList columns;    // "X,Y": layer stacks for the measurement file
    int threads = -1;       // engine threads of each variant's torvane-batch (--threads); -1: its default

    int variantCount() const;
    QString variantFolder(int variant) const; // FOLDER/variants/NNNN
    // The shell line that runs variant: torvane-batch with its --set values,
    // output into its folder, the exit status kept in its "status" file.
    QString jobLine(int variant, const QStringList &values) const;

    // Writes jobs.txt, variants.csv and the variant folders. False, with the
    // reason, when the folder cannot be written.
    bool write(QString *error) const;
    // The Slurm job-array script, one variant per array task.
    QString sbatchScript(const SlurmOptions &slurm) const;
};

// Checks a sweep before anything is written: the list loads and every value of
// every axis applies to it (the step exists and has that parameter).
bool checkAgainstList(const QString &listFile, const QList<GridAxis> &axes, QString *error);

// Reads a sweep folder and returns its table: variant, the axes' values,
// status ("ok", "failed" or "not run"), the reason of a failure, then every
// figure of the variants' measurement files. False, with the reason, when the
// folder holds no sweep.
bool collect(const QString &folder, QString &csv, QString *error);

// The file names inside a sweep folder.
QString jobsFileName();
QString variantsFileName();
QString resultsFileName();
QString jobLogFileName();
QString sbatchFileName();

// Quotes text for a POSIX shell.
QString shellQuote(const QString &text);
// Quotes a CSV field when it needs it.
QString csvField(const QString &text);

} // namespace Sweep
