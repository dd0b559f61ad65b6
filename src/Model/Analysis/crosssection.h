#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}

namespace Analysis {

// The plane of a cross-section: x = i is the y-z plane, y = j the x-z plane,
// z = k the x-y plane.
enum class SectionAxis { X = 0, Y = 1, Z = 2 };

// "x", "y" or "z" in either case. False with a sentence otherwise.
bool parseSectionAxis(const QString &text, SectionAxis *axis, QString *error = nullptr);
QString sectionAxisName(SectionAxis axis); // "x", "y", "z"

// What the optional particle view shows of the random-walk counts.
enum class ParticleView { None, NType, PType, Total };

// One plane of cells as a picture shows it: the horizontal picture axis is
// y for an x section and x otherwise; the vertical one is z, or y for a z
// section, and runs upward (row 0 at the bottom).
struct SectionGrid
{
    SectionAxis axis = SectionAxis::X;
    unsigned index = 0;
    unsigned width = 0;   // cells along the horizontal axis
    unsigned height = 0;  // cells along the vertical axis
    double cellWidth = 0.0, cellHeight = 0.0; // in micrometres (cell sizes times the unit length)
    double originH = 0.0, originV = 0.0;      // the plane's lower left corner, in micrometres
    double position = 0.0;                    // the plane's place on its own axis (cell centre), in micrometres
    std::vector<uint32_t> materials;          // row * width + column
    std::vector<int64_t> particles;           // the same layout; empty unless asked for and present
    std::vector<float> concentration;         // the same layout, cm^-3; empty unless asked for and present
};

// False with a sentence when the index lies outside the volume. Takes the
// cell lock. particles stays empty when the volume carries no such counts;
// concentration is the field of dopant species (DopantFields::Species; -1:
// none) and stays empty when the volume holds no field of it.
bool sliceVolume(Automaton::TotalVolume &volume, SectionAxis axis, unsigned index, SectionGrid *grid,
                 QString *error, ParticleView particles = ParticleView::None, int dopant = -1);

struct CrossSectionOptions
{
    // Pixels per cell along the horizontal axis; the vertical count follows
    // the cells' aspect ratio. 0 chooses one that makes the slice about 800
    // to 1600 pixels wide (one pixel per cell for wider volumes).
    int pixelsPerCell = 0;
    ParticleView particles = ParticleView::None;
    // A dopant species ("B", "P", "As", "Sb") whose concentration is drawn on
    // a log colour scale over the materials, in place of the particles; empty:
    // none. A species the volume holds no field of leaves the plain section.
    QString dopant;
};

struct CrossSection
{
    QImage image;
    QRect plot;          // the pixels the cells cover
    int cellPixelsH = 0; // pixels per cell, horizontally
    int cellPixelsV = 0; // and vertically
    SectionGrid grid;
    bool particlesShown = false;
    bool dopantShown = false;
};

// The slice drawn with axes in micrometres, a scale bar, a legend of
// the materials present and, when asked for and present, the particle counts
// on a log colour scale with its colour bar, or a dopant's concentration
// (six decades below its highest value) the same way. An unknown species is
// refused with a sentence. Text needs a QGuiApplication
// (the "offscreen" platform will do).
bool drawCrossSection(Automaton::TotalVolume &volume, SectionAxis axis, unsigned index,
                      const CrossSectionOptions &options, CrossSection *section, QString *error);
// Draws and writes it as PNG; a previous file of that name survives a failure.
bool writeCrossSection(Automaton::TotalVolume &volume, SectionAxis axis, unsigned index, const QString &fileName,
                       const CrossSectionOptions &options, QString *error);

// The top-left pixel of cell (column, row) of a drawn section.
QPoint sectionCellPixel(const CrossSection &section, unsigned column, unsigned row);

} // namespace Analysis
} // namespace Model
