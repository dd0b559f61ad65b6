#pragma once

#include "Model/Analysis/crosssection.h"
#include "Model/Analysis/measurements.h"
#include "Model/Analysis/vtiwriter.h"
#include "Model/Analysis/stlwriter.h"

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Batch {

// What torvane-batch writes about the final volume after the list has run:
// cross-sections, the measure file with its column stacks, VTK and STL files.
struct BatchAnalysis
{
    struct Section
    {
        Model::Analysis::SectionAxis axis = Model::Analysis::SectionAxis::X;
        unsigned index = 0;
        QString file;
    };

    QList<Section> sections;
    Model::Analysis::ParticleView sectionParticles = Model::Analysis::ParticleView::None;
    QString sectionDopant; // a species whose concentration the sections show; empty: none
    QString measureFile;
    std::vector<Model::Analysis::ColumnRequest> columns;
    QString vtiFile;
    Model::Analysis::VtiCompression vtiCompression = Model::Analysis::VtiCompression::None;
    QString stlPrefix;
    Model::Analysis::StlSurface stlSurface = Model::Analysis::StlSurface::Cells;
    bool stlSurfaceGiven = false;

    // Whether option is one of ours (it then takes one value).
    static bool isOption(const QString &option);
    // Takes one option's value; the sentence why it is refused, or empty.
    QString add(const QString &option, const QString &value);
    // Why the options do not fit together (columns without a measure file), or empty.
    QString check() const;
    bool any() const;
    // Whether drawing is asked for (a cross-section needs a QGuiApplication).
    bool needsGui() const { return !sections.isEmpty(); }
    // Each output's folder exists and is writable: checked before the run so
    // a long list does not end in a refusal.
    bool checkOutputs(QString *error) const;
    // Checks every request against the volume before writing anything; on a
    // bad request nothing is written and the result is ExitUsage.
    // Otherwise writes everything, reporting each file through line; a file
    // that cannot be written gives ExitNotWritten. problem gets the sentences.
    int write(Model::Automaton::TotalVolume &volume, const std::function<void(const QString &)> &line,
              const std::function<void(const QString &)> &problem) const;

    static QString usage();
};

} // namespace Batch
