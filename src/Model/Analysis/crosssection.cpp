#include "crosssection.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/fieldpainter.h"
#include "Model/Materials/materialfactory.h"
#include "outputfiles.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace Model {
namespace Analysis {

using Automaton::CellLock;
using Automaton::TotalVolume;
using Automaton::Voxel;
using Geometry::FieldPainter;
using Geometry::ParticleCounterArray;

namespace {

// QImage and QPainter stay well inside their limits below this.
const int MaxPlotPixels = 16000;
const QRgb EmptyColor = qRgb(255, 255, 255);

// 1, 2 or 5 times a power of ten, the smallest such not below value.
double niceStep(double value)
{
    if (!(value > 0.0) || !std::isfinite(value))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= value * (1.0 - 1e-9))
            return m * power;
    return 10.0 * power;
}

QString label(double value)
{
    if (std::fabs(value) < 1e-12)
        value = 0.0;
    return QString::number(value, 'g', 6);
}

QRgb materialColor(uint32_t id)
{
    if (id == 0)
        return EmptyColor;
    const boost::shared_ptr<Materials::MaterialFactory> catalogue = Materials::MaterialFactory::instance();
    const Materials::Material m = catalogue ? catalogue->getMaterial(id) : Materials::Material();
    if (m.isEmpty())
        return qRgb(0, 0, 0);
    const Util::Vector4D c = m.getColor();
    auto channel = [](double v) { return int(std::lround(std::max(0.0, std::min(1.0, v)) * 255.0)); };
    // A section is a solid cut: translucent materials are drawn opaque.
    return qRgb(channel(c.x), channel(c.y), channel(c.z));
}

// The log colour scale of the particle view: counts 1..max over the 256 entries.
int particleEntry(int64_t count, int64_t max)
{
    if (count <= 0)
        return -1;
    if (max <= 1)
        return 255;
    const double t = std::log10(double(count)) / std::log10(double(max));
    return std::max(0, std::min(255, int(std::floor(t * 255.0))));
}

QRgb scaleColor(int entry)
{
    float rgba[4];
    FieldPainter::scaleEntry(FieldPainter::RedToBlue, entry, rgba);
    return qRgb(int(rgba[0] * 255.0f + 0.5f), int(rgba[1] * 255.0f + 0.5f), int(rgba[2] * 255.0f + 0.5f));
}

QString particleTitle(ParticleView view)
{
    switch (view) {
    case ParticleView::NType:
        return QStringLiteral("N particles per cell");
    case ParticleView::PType:
        return QStringLiteral("P particles per cell");
    default:
        return QStringLiteral("Particles per cell");
    }
}

} // namespace

bool parseSectionAxis(const QString &text, SectionAxis *axis, QString *error)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("x"))
        *axis = SectionAxis::X;
    else if (t == QLatin1String("y"))
        *axis = SectionAxis::Y;
    else if (t == QLatin1String("z"))
        *axis = SectionAxis::Z;
    else {
        if (error)
            *error = QStringLiteral("unknown axis \"%1\": give x, y or z").arg(text);
        return false;
    }
    return true;
}

QString sectionAxisName(SectionAxis axis)
{
    return axis == SectionAxis::X ? QStringLiteral("x") : axis == SectionAxis::Y ? QStringLiteral("y")
                                                                                 : QStringLiteral("z");
}

bool sliceVolume(TotalVolume &volume, SectionAxis axis, unsigned index, SectionGrid *grid, QString *error,
                 ParticleView particles, int dopant)
{
    const unsigned sx = volume.getSizeX(), sy = volume.getSizeY(), sz = volume.getSizeZ();
    const unsigned along = axis == SectionAxis::X ? sx : axis == SectionAxis::Y ? sy : sz;
    if (index >= along) {
        if (error)
            *error = QStringLiteral("the section %1 = %2 lies outside the volume (%1 runs from 0 to %3)")
                         .arg(sectionAxisName(axis))
                         .arg(index)
                         .arg(along - 1);
        return false;
    }
    const double cell[3] = {cellMicrometres(volume, 0), cellMicrometres(volume, 1), cellMicrometres(volume, 2)};
    const Util::Vector3D p = volume.getPosition();
    const double origin[3] = {micrometres(volume, p.x), micrometres(volume, p.y), micrometres(volume, p.z)};
    // Picture axes: horizontal h and vertical v as volume axes.
    const int a = int(axis);
    const int h = axis == SectionAxis::X ? 1 : 0;
    const int v = axis == SectionAxis::Z ? 1 : 2;
    const unsigned size[3] = {sx, sy, sz};
    SectionGrid g;
    g.axis = axis;
    g.index = index;
    g.width = size[h];
    g.height = size[v];
    g.cellWidth = cell[h];
    g.cellHeight = cell[v];
    g.originH = origin[h];
    g.originV = origin[v];
    g.position = origin[a] + (double(index) + 0.5) * cell[a];
    g.materials.resize(size_t(g.width) * g.height);

    CellLock lock(volume);
    const Voxel *cells = lock.cells();
    ParticleCounterArray nCounts, pCounts;
    if (particles == ParticleView::NType || particles == ParticleView::Total)
        nCounts = particleCounts(volume, FieldPainter::nTypeProperty());
    if (particles == ParticleView::PType || particles == ParticleView::Total)
        pCounts = particleCounts(volume, FieldPainter::pTypeProperty());
    if (nCounts || pCounts)
        g.particles.resize(g.materials.size());
    const Automaton::DopantFields &dopants = lock.dopants();
    const float *field = dopant >= 0 && dopant < Automaton::DopantFields::SpeciesCount && dopants.has(dopant)
                             ? dopants.field(dopant).data()
                             : nullptr;
    if (field)
        g.concentration.resize(g.materials.size());
    unsigned c[3];
    c[a] = index;
    for (unsigned row = 0; row < g.height; ++row) {
        c[v] = row;
        for (unsigned column = 0; column < g.width; ++column) {
            c[h] = column;
            const size_t i = volume.cellIndex(c[0], c[1], c[2]);
            const size_t at = size_t(row) * g.width + column;
            g.materials[at] = cells[i].material;
            if (!g.particles.empty())
                g.particles[at] = int64_t(nCounts ? (*nCounts)[i].total() : 0) +
                                  int64_t(pCounts ? (*pCounts)[i].total() : 0);
            if (field)
                g.concentration[at] = field[i];
        }
    }
    *grid = std::move(g);
    return true;
}

QPoint sectionCellPixel(const CrossSection &section, unsigned column, unsigned row)
{
    return QPoint(section.plot.left() + int(column) * section.cellPixelsH,
                  section.plot.top() + int(section.grid.height - 1 - row) * section.cellPixelsV);
}

bool drawCrossSection(TotalVolume &volume, SectionAxis axis, unsigned index, const CrossSectionOptions &options,
                      CrossSection *section, QString *error)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return fail(QStringLiteral("drawing a cross-section needs a QGuiApplication (the offscreen platform will do)"));
    if (options.pixelsPerCell < 0 || options.pixelsPerCell > 1000)
        return fail(QStringLiteral("%1 pixels per cell is out of range (1 to 1000)").arg(options.pixelsPerCell));
    int dopant = -1;
    if (!options.dopant.isEmpty()) {
        dopant = Automaton::DopantFields::speciesNamed(options.dopant);
        if (dopant < 0)
            return fail(QStringLiteral("unknown dopant \"%1\": give %2")
                            .arg(options.dopant, Automaton::DopantFields::speciesNames().join(QStringLiteral(", "))));
    }
    CrossSection s;
    if (!sliceVolume(volume, axis, index, &s.grid, error, dopant >= 0 ? ParticleView::None : options.particles, dopant))
        return false;
    const SectionGrid &g = s.grid;
    s.cellPixelsH = options.pixelsPerCell > 0 ? options.pixelsPerCell
                                              : std::max(1, int(std::lround(1200.0 / double(g.width))));
    const double aspect = g.cellHeight / g.cellWidth;
    s.cellPixelsV = std::max(1, int(std::lround(double(s.cellPixelsH) * aspect)));
    const double plotW = double(g.width) * s.cellPixelsH, plotH = double(g.height) * s.cellPixelsV;
    if (plotW > MaxPlotPixels || plotH > MaxPlotPixels)
        return fail(QStringLiteral("the section would be %1 x %2 pixels, more than %3 a side: ask for fewer pixels "
                                   "per cell")
                        .arg(plotW)
                        .arg(plotH)
                        .arg(MaxPlotPixels));

    QFont font;
    font.setPixelSize(14);
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(font), boldMetrics(bold);

    // The legend: every material present, ascending id, empty cells last.
    std::set<uint32_t> present(g.materials.begin(), g.materials.end());
    std::vector<std::pair<uint32_t, QString>> legend;
    for (uint32_t id : present)
        if (id)
            legend.emplace_back(id, QStringLiteral("%1 (%2)").arg(materialName(id)).arg(id));
    if (present.count(0))
        legend.emplace_back(0, QStringLiteral("empty"));
    int legendW = boldMetrics.horizontalAdvance(QStringLiteral("Materials"));
    for (const auto &entry : legend)
        legendW = std::max(legendW, 26 + metrics.horizontalAdvance(entry.second));
    const int rowH = 22;
    int64_t maxCount = 0;
    for (int64_t c : g.particles)
        maxCount = std::max(maxCount, c);
    s.particlesShown = !g.particles.empty() && maxCount > 0;
    // A dopant's scale spans six decades below its highest value in the section.
    double highest = 0.0;
    for (float c : g.concentration)
        highest = std::max(highest, double(c));
    s.dopantShown = !g.concentration.empty() && highest > 0.0;
    const double lowest = highest * 1e-6;
    const QString dopantTitle = s.dopantShown ? QStringLiteral("%1 (cm^-3)").arg(Automaton::DopantFields::speciesName(dopant)) : QString();
    const int barH = 200;
    const int barBlock = s.particlesShown || s.dopantShown ? 30 + barH + 30 : 0;
    if (s.particlesShown)
        legendW = std::max(legendW, 60 + metrics.horizontalAdvance(QString::number(maxCount)));
    if (s.particlesShown)
        legendW = std::max(legendW, boldMetrics.horizontalAdvance(particleTitle(options.particles)));
    if (s.dopantShown)
        legendW = std::max({legendW, 60 + metrics.horizontalAdvance(QStringLiteral("max 9.999e+99")),
                            boldMetrics.horizontalAdvance(dopantTitle)});
    const int legendH = barBlock + 26 + int(legend.size()) * rowH;

    const int left = 90, top = 48, bottom = 104, gap = 30;
    s.plot = QRect(left, top, int(plotW), int(plotH));
    const int width = left + int(plotW) + gap + legendW + 20;
    const int height = top + std::max(int(plotH), legendH) + bottom;
    s.image = QImage(width, height, QImage::Format_RGB32);
    if (s.image.isNull())
        return fail(QStringLiteral("there is not enough memory for a %1 x %2 picture").arg(width).arg(height));
    s.image.fill(Qt::white);

    // Cells first, written straight into the scan lines.
    std::map<uint32_t, QRgb> colors;
    for (uint32_t id : present)
        colors[id] = materialColor(id);
    for (unsigned row = 0; row < g.height; ++row) {
        const int y0 = s.plot.top() + int(g.height - 1 - row) * s.cellPixelsV;
        QRgb *line = reinterpret_cast<QRgb *>(s.image.scanLine(y0));
        for (unsigned column = 0; column < g.width; ++column) {
            const size_t at = size_t(row) * g.width + column;
            QRgb color = colors[g.materials[at]];
            if (s.particlesShown) {
                const int e = particleEntry(g.particles[at], maxCount);
                if (e >= 0)
                    color = scaleColor(e);
            }
            if (s.dopantShown && double(g.concentration[at]) >= lowest) {
                const double t = std::log10(double(g.concentration[at]) / lowest) / 6.0;
                color = scaleColor(std::max(0, std::min(255, int(std::floor(t * 255.0)))));
            }
            std::fill_n(line + s.plot.left() + int(column) * s.cellPixelsH, s.cellPixelsH, color);
        }
        for (int k = 1; k < s.cellPixelsV; ++k)
            std::copy_n(line + s.plot.left(), int(plotW),
                        reinterpret_cast<QRgb *>(s.image.scanLine(y0 + k)) + s.plot.left());
    }

    QPainter painter(&s.image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawRect(s.plot.adjusted(-1, -1, 0, 0));

    const QString hName = axis == SectionAxis::X ? QStringLiteral("y") : QStringLiteral("x");
    const QString vName = axis == SectionAxis::Z ? QStringLiteral("y") : QStringLiteral("z");
    const QString aName = sectionAxisName(axis);
    painter.setFont(bold);
    painter.drawText(QRect(left, 0, int(plotW) + gap + legendW, top - 8), Qt::AlignLeft | Qt::AlignBottom,
                     QString::fromUtf8("Cross-section %1 = %2 (%3-%4 plane at %1 = %5 \u00b5m)")
                         .arg(aName)
                         .arg(index)
                         .arg(hName, vName, label(g.position)));
    painter.setFont(font);

    // Ticks at round values of micrometres along both axes.
    const double spanH = g.width * g.cellWidth, spanV = g.height * g.cellHeight;
    const double stepH = niceStep(spanH / std::max(2.0, plotW / 110.0));
    const double stepV = niceStep(spanV / std::max(2.0, plotH / 60.0));
    const double pxH = s.cellPixelsH / g.cellWidth, pxV = s.cellPixelsV / g.cellHeight;
    for (double t = std::ceil(g.originH / stepH - 1e-9) * stepH; t <= g.originH + spanH + 1e-9 * stepH; t += stepH) {
        const int x = s.plot.left() + int(std::lround((t - g.originH) * pxH));
        painter.drawLine(x, s.plot.bottom() + 1, x, s.plot.bottom() + 6);
        painter.drawText(QRect(x - 50, s.plot.bottom() + 8, 100, 18), Qt::AlignHCenter | Qt::AlignTop, label(t));
    }
    for (double t = std::ceil(g.originV / stepV - 1e-9) * stepV; t <= g.originV + spanV + 1e-9 * stepV; t += stepV) {
        const int y = s.plot.bottom() + 1 - int(std::lround((t - g.originV) * pxV));
        painter.drawLine(s.plot.left() - 7, y, s.plot.left() - 2, y);
        painter.drawText(QRect(0, y - 9, s.plot.left() - 10, 18), Qt::AlignRight | Qt::AlignVCenter, label(t));
    }
    painter.drawText(QRect(s.plot.left(), s.plot.bottom() + 28, int(plotW), 20), Qt::AlignHCenter | Qt::AlignTop,
                     QString::fromUtf8("%1 (\u00b5m)").arg(hName));
    painter.save();
    painter.translate(18, s.plot.top() + plotH / 2.0);
    painter.rotate(-90.0);
    painter.drawText(QRect(-150, -10, 300, 20), Qt::AlignCenter, QString::fromUtf8("%1 (\u00b5m)").arg(vName));
    painter.restore();

    // Scale bar: a round length near a fifth of the width, never wider than the plot.
    double barLength = niceStep(spanH / 5.0);
    while (barLength * pxH > plotW && barLength > 0.0)
        barLength /= 2.0;
    const int barPixels = std::max(1, int(std::lround(barLength * pxH)));
    const int barY = s.plot.bottom() + 62;
    painter.fillRect(QRect(s.plot.left(), barY, barPixels, 6), Qt::black);
    painter.drawLine(s.plot.left(), barY - 4, s.plot.left(), barY + 9);
    painter.drawLine(s.plot.left() + barPixels - 1, barY - 4, s.plot.left() + barPixels - 1, barY + 9);
    painter.drawText(QRect(s.plot.left() + barPixels + 10, barY - 7, 300, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8("%1 \u00b5m").arg(label(barLength)));

    const int lx = s.plot.right() + gap;
    int ly = s.plot.top();
    if (s.particlesShown) {
        painter.setFont(bold);
        painter.drawText(QRect(lx, ly, legendW, 20), Qt::AlignLeft | Qt::AlignVCenter,
                         particleTitle(options.particles));
        painter.setFont(font);
        const int barTop = ly + 30;
        for (int k = 0; k < barH; ++k)
            painter.fillRect(QRect(lx, barTop + barH - 1 - k, 22, 1), QColor(scaleColor(k * 255 / (barH - 1))));
        painter.drawRect(QRect(lx - 1, barTop - 1, 23, barH + 1));
        // Powers of ten along the log scale, with the largest count at the top.
        const double decades = maxCount > 1 ? std::log10(double(maxCount)) : 0.0;
        for (double p = 0.0; p <= decades + 1e-9; p += 1.0) {
            const int y = decades > 0.0 ? barTop + barH - 1 - int(std::lround(p / decades * (barH - 1))) : barTop;
            painter.drawLine(lx + 22, y, lx + 27, y);
            painter.drawText(QRect(lx + 30, y - 9, legendW - 30, 18), Qt::AlignLeft | Qt::AlignVCenter,
                             label(std::pow(10.0, p)));
        }
        painter.drawText(QRect(lx + 30, barTop - 20, legendW - 30, 18), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("max %1").arg(maxCount));
        ly += barBlock;
    }
    if (s.dopantShown) {
        painter.setFont(bold);
        painter.drawText(QRect(lx, ly, legendW, 20), Qt::AlignLeft | Qt::AlignVCenter, dopantTitle);
        painter.setFont(font);
        const int barTop = ly + 30;
        for (int k = 0; k < barH; ++k)
            painter.fillRect(QRect(lx, barTop + barH - 1 - k, 22, 1), QColor(scaleColor(k * 255 / (barH - 1))));
        painter.drawRect(QRect(lx - 1, barTop - 1, 23, barH + 1));
        // Whole powers of ten within the six decades.
        const double from = std::log10(lowest);
        for (double p = std::ceil(from - 1e-9); p <= from + 6.0 + 1e-9; p += 1.0) {
            const int y = barTop + barH - 1 - int(std::lround((p - from) / 6.0 * (barH - 1)));
            painter.drawLine(lx + 22, y, lx + 27, y);
            painter.drawText(QRect(lx + 30, y - 9, legendW - 30, 18), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("1e%1").arg(int(p)));
        }
        painter.drawText(QRect(lx + 30, barTop - 20, legendW - 30, 18), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("max %1").arg(QString::number(highest, 'g', 4)));
        ly += barBlock;
    }
    painter.setFont(bold);
    painter.drawText(QRect(lx, ly, legendW, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Materials"));
    painter.setFont(font);
    ly += 26;
    for (const auto &entry : legend) {
        painter.fillRect(QRect(lx, ly + 2, 18, 18), QColor(colors[entry.first]));
        painter.drawRect(QRect(lx, ly + 2, 17, 17));
        painter.drawText(QRect(lx + 26, ly, legendW - 26, rowH), Qt::AlignLeft | Qt::AlignVCenter, entry.second);
        ly += rowH;
    }
    painter.end();
    *section = std::move(s);
    return true;
}

bool writeCrossSection(TotalVolume &volume, SectionAxis axis, unsigned index, const QString &fileName,
                       const CrossSectionOptions &options, QString *error)
{
    if (!checkWritable(fileName, error))
        return false;
    CrossSection section;
    if (!drawCrossSection(volume, axis, index, options, &section, error))
        return false;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!section.image.save(&buffer, "PNG")) {
        if (error)
            *error = QStringLiteral("the picture could not be encoded as PNG");
        return false;
    }
    return saveFiles({qMakePair(fileName, png)}, error);
}

} // namespace Analysis
} // namespace Model
