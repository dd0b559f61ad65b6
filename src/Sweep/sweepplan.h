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
    bool netlist = false;   // each variant's cantilevers as a netlist (model.cir)

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

// How collect builds its tables.
struct CollectOptions
{
    // Keep the figures that are the same in every variant, and each column's
    // layers by place (col_X_Y.layers.N.*), which name different materials in
    // different variants.
    bool allColumns = false;
    bool longTable = false;  // also write results-long.csv
};

// What collect gives.
struct CollectedTables
{
    QString csv;         // the wide table, one row per variant (results.csv)
    QString longCsv;     // one row per variant and quantity (results-long.csv); with longTable only
    QStringList leftOut; // figures left out as the same in every variant that has figures
};

// Reads a sweep folder and writes its table: variant, the axes' values,
// status ("ok", "failed" or "not run"), exit code, the reason of a failure,
// then the figures: with a netlist each beam's first-mode frequency (Hz),
// effective mass (kg) and compliance (m/N), or the reason there is none; per
// measured column the stack of materials and each material's thickness by
// name (col_X_Y.thickness.Poly-Si, in the volume's length unit); then every
// other figure of the measurement files, named by its dotted path without
// commas. A figure the same in every variant with figures, and the layers by
// place, are left out unless allColumns. False, with the reason, when the folder holds no sweep.
bool collect(const QString &folder, const CollectOptions &options, CollectedTables &tables, QString *error);
// The wide table with the default options.
bool collect(const QString &folder, QString &csv, QString *error);

// A beam's first-mode frequency in Hz from the netlist's effective mass (kg,
// the capacitor) and compliance (m/N, the inductor): 1 / (2 pi sqrt(m c)).
double firstModeFrequency(double mass, double compliance);

// The fields of one CSV line as csvField writes them.
QStringList csvFields(const QString &line);

// The file names inside a sweep folder.
QString jobsFileName();
QString variantsFileName();
QString resultsFileName();
QString jobLogFileName();
QString sbatchFileName();
QString longResultsFileName();
QString netlistFileName(); // inside a variant's folder

// Quotes text for a POSIX shell.
QString shellQuote(const QString &text);
// Quotes a CSV field when it needs it.
QString csvField(const QString &text);

} // namespace Sweep
