#include "layoutmask.h"

#include "Util/slabrunner.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Model {
namespace Layout {

namespace {

const double Pi = 3.14159265358979323846;
const double CoordinateLimit = 2147483647.0; // what 32-bit database coordinates can hold

// x' = a x + b y + tx, y' = c x + d y + ty.
struct Affine
{
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    void apply(double x, double y, double &ox, double &oy) const
    {
        ox = a * x + b * y + tx;
        oy = c * x + d * y + ty;
    }
    Affine then(const Affine &inner) const // this * inner
    {
        Affine r;
        r.a = a * inner.a + b * inner.c;
        r.b = a * inner.b + b * inner.d;
        r.c = c * inner.a + d * inner.c;
        r.d = c * inner.b + d * inner.d;
        r.tx = a * inner.tx + b * inner.ty + tx;
        r.ty = c * inner.tx + d * inner.ty + ty;
        return r;
    }
};

struct Box
{
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0;
    double x1 = -std::numeric_limits<double>::infinity(), y1 = x1;

    bool empty() const { return !(x0 <= x1 && y0 <= y1); }
    void add(double x, double y)
    {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    void add(const Box &o)
    {
        if (o.empty())
            return;
        add(o.x0, o.y0);
        add(o.x1, o.y1);
    }
    Box transformed(const Affine &t) const
    {
        Box r;
        if (empty())
            return r;
        const double xs[2] = {x0, x1}, ys[2] = {y0, y1};
        for (double x : xs)
            for (double y : ys) {
                double ox, oy;
                t.apply(x, y, ox, oy);
                r.add(ox, oy);
            }
        return r;
    }
    bool overlaps(const Box &o) const { return !empty() && !o.empty() && x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
};

// The placement of a reference in its parent: reflect about x, magnify, rotate, translate.
Affine referenceTransform(const LayoutElement &e, double x, double y)
{
    const double radians = e.angle * Pi / 180.0;
    double cs = std::cos(radians), sn = std::sin(radians);
    // Exact quarter turns keep axis-aligned layouts exact.
    const double quarter = e.angle / 90.0;
    if (quarter == std::floor(quarter)) {
        const long q = ((long(std::fmod(quarter, 4.0)) % 4) + 4) % 4;
        const double c4[4] = {1, 0, -1, 0}, s4[4] = {0, 1, 0, -1};
        cs = c4[q];
        sn = s4[q];
    }
    const double m = e.magnification, r = e.reflected ? -1.0 : 1.0;
    Affine t;
    t.a = m * cs;
    t.b = -m * sn * r;
    t.c = m * sn;
    t.d = m * cs * r;
    t.tx = x;
    t.ty = y;
    return t;
}

typedef std::vector<std::pair<double, double>> Polygon;

// A path as the union of one rectangle per segment and a miter wedge on both
// sides of each bend (the inner one lies inside the rectangles anyway).
void pathPolygons(const LayoutElement &e, std::vector<Polygon> &out)
{
    const double h = std::fabs(double(e.width)) / 2.0;
    if (h <= 0)
        return;
    std::vector<std::pair<double, double>> p;
    for (const LayoutPoint &q : e.points)
        if (p.empty() || p.back().first != q.x || p.back().second != q.y)
            p.emplace_back(double(q.x), double(q.y));
    double beginExt = 0, endExt = 0;
    if (e.pathType == 2)
        beginExt = endExt = h;
    else if (e.pathType == 4) {
        beginExt = e.beginExtension;
        endExt = e.endExtension;
    }
    if (p.size() == 1) {
        if (e.pathType == 2) // a square of the path's width
            out.push_back({{p[0].first - h, p[0].second - h},
                           {p[0].first + h, p[0].second - h},
                           {p[0].first + h, p[0].second + h},
                           {p[0].first - h, p[0].second + h}});
        return;
    }
    const size_t n = p.size();
    std::vector<std::pair<double, double>> normal(n - 1), dir(n - 1);
    for (size_t i = 0; i + 1 < n; ++i) {
        const double dx = p[i + 1].first - p[i].first, dy = p[i + 1].second - p[i].second;
        const double len = std::hypot(dx, dy);
        dir[i] = {dx / len, dy / len};
        normal[i] = {-dy / len * h, dx / len * h};
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        double sx = p[i].first, sy = p[i].second, ex = p[i + 1].first, ey = p[i + 1].second;
        if (i == 0) {
            sx -= dir[i].first * beginExt;
            sy -= dir[i].second * beginExt;
        }
        if (i + 2 == n) {
            ex += dir[i].first * endExt;
            ey += dir[i].second * endExt;
        }
        const double nx = normal[i].first, ny = normal[i].second;
        out.push_back({{sx + nx, sy + ny}, {ex + nx, ey + ny}, {ex - nx, ey - ny}, {sx - nx, sy - ny}});
    }
    for (size_t i = 1; i + 1 < n; ++i) {
        const double vx = p[i].first, vy = p[i].second;
        const auto n1 = normal[i - 1], n2 = normal[i];
        const double denominator = h * h + n1.first * n2.first + n1.second * n2.second;
        for (double side : {1.0, -1.0}) {
            const double ax = vx + side * n1.first, ay = vy + side * n1.second;
            const double bx = vx + side * n2.first, by = vy + side * n2.second;
            if (denominator > 1e-3 * h * h) {
                const double f = side * h * h / denominator;
                out.push_back({{vx, vy}, {ax, ay}, {vx + f * (n1.first + n2.first), vy + f * (n1.second + n2.second)}, {bx, by}});
            } else {
                out.push_back({{vx, vy}, {ax, ay}, {bx, by}});
            }
        }
    }
    if (e.pathType == 1) {
        const int segments = 32;
        for (size_t end : {size_t(0), n - 1}) {
            Polygon circle;
            for (int k = 0; k < segments; ++k) {
                const double t = 2 * Pi * k / segments;
                circle.emplace_back(p[end].first + h * std::cos(t), p[end].second + h * std::sin(t));
            }
            out.push_back(circle);
        }
    }
}

void elementPolygons(const LayoutElement &e, std::vector<Polygon> &out)
{
    if (e.kind == LayoutElement::Path) {
        pathPolygons(e, out);
        return;
    }
    Polygon polygon;
    for (const LayoutPoint &q : e.points)
        polygon.emplace_back(double(q.x), double(q.y));
    // The closing point repeats the first.
    if (polygon.size() > 1 && polygon.front() == polygon.back())
        polygon.pop_back();
    out.push_back(std::move(polygon));
}

Box elementBox(const LayoutElement &e)
{
    Box box;
    for (const LayoutPoint &q : e.points)
        box.add(q.x, q.y);
    if (e.kind == LayoutElement::Path && !box.empty()) {
        const double h = std::fabs(double(e.width)) / 2.0;
        const double grow = h + std::max({h, std::fabs(double(e.beginExtension)), std::fabs(double(e.endExtension))});
        box.x0 -= grow;
        box.y0 -= grow;
        box.x1 += grow;
        box.y1 += grow;
    }
    return box;
}

bool keyMatches(const LayerKey &key, int layer, int datatype)
{
    return key.layer == layer && (datatype < 0 || key.datatype == datatype);
}

class Flattener
{
public:
    Flattener(const GdsiiLibrary &library, const MaskPlacement &placement, const LayoutLimits &limits, QString &error)
        : m_library(library), m_placement(placement), m_limits(limits), m_error(error),
          m_boxes(library.structures().size()), m_state(library.structures().size(), 0)
    {
    }

    // The bounding box of the chosen layer's shapes in a structure's own
    // coordinates; checks for missing structures, cycles and nesting depth.
    bool box(int s, unsigned depth)
    {
        if (m_state[size_t(s)] == 2)
            return true;
        const LayoutStructure &structure = m_library.structures()[size_t(s)];
        if (m_state[size_t(s)] == 1)
            return fail(QStringLiteral("Structure \"%1\" refers to itself through its references; a reference cycle "
                                       "cannot be drawn.")
                            .arg(name(s)));
        if (depth > m_limits.maxDepth)
            return fail(QStringLiteral("References nest deeper than %1 levels below structure \"%2\".")
                            .arg(m_limits.maxDepth)
                            .arg(name(s)));
        m_state[size_t(s)] = 1;
        Box result;
        for (const LayoutElement &e : structure.elements) {
            if (e.kind == LayoutElement::Reference || e.kind == LayoutElement::ArrayReference) {
                if (e.structure < 0)
                    return fail(QStringLiteral("Structure \"%1\" refers to \"%2\", which the layout does not hold.")
                                    .arg(name(s), QString::fromStdString(e.structureName)));
                if (!box(e.structure, depth + 1))
                    return false;
                const Box child = m_boxes[size_t(e.structure)];
                if (child.empty())
                    continue;
                if (e.kind == LayoutElement::Reference) {
                    result.add(child.transformed(referenceTransform(e, e.points[0].x, e.points[0].y)));
                } else {
                    // The array's corner copies bound all of its copies.
                    for (int c : {0, e.columns - 1})
                        for (int r : {0, e.rows - 1}) {
                            double x, y;
                            arrayPosition(e, c, r, x, y);
                            result.add(child.transformed(referenceTransform(e, x, y)));
                        }
                }
            } else if (keyMatches(e.key, m_placement.layer, m_placement.datatype)) {
                result.add(elementBox(e));
            }
        }
        m_boxes[size_t(s)] = result;
        m_state[size_t(s)] = 2;
        return true;
    }

    const Box &structureBox(int s) const { return m_boxes[size_t(s)]; }

    // Emits the shapes of structure s placed by t (database units to cell
    // units) that can reach window (cell units).
    bool collect(int s, const Affine &t, const Box &window, std::vector<double> &vertices, std::vector<size_t> &starts)
    {
        const LayoutStructure &structure = m_library.structures()[size_t(s)];
        std::vector<Polygon> polygons;
        for (const LayoutElement &e : structure.elements) {
            if (!countPlacements(1, s))
                return false;
            if (e.kind == LayoutElement::Reference || e.kind == LayoutElement::ArrayReference) {
                const Box &child = m_boxes[size_t(e.structure)];
                if (child.empty())
                    continue;
                if (e.kind == LayoutElement::Reference) {
                    const Affine placed = t.then(referenceTransform(e, e.points[0].x, e.points[0].y));
                    if (child.transformed(placed).overlaps(window) && !collect(e.structure, placed, window, vertices, starts))
                        return false;
                    continue;
                }
                if (!countPlacements(uint64_t(e.columns) * uint64_t(e.rows), s, &e))
                    return false;
                for (int c = 0; c < e.columns; ++c)
                    for (int r = 0; r < e.rows; ++r) {
                        double x, y;
                        arrayPosition(e, c, r, x, y);
                        const Affine placed = t.then(referenceTransform(e, x, y));
                        if (child.transformed(placed).overlaps(window) &&
                            !collect(e.structure, placed, window, vertices, starts))
                            return false;
                    }
                continue;
            }
            if (!keyMatches(e.key, m_placement.layer, m_placement.datatype))
                continue;
            if (!elementBox(e).transformed(t).overlaps(window))
                continue;
            polygons.clear();
            elementPolygons(e, polygons);
            for (const Polygon &polygon : polygons) {
                if (polygon.size() < 3)
                    continue;
                if (vertices.size() / 2 + polygon.size() > m_limits.maxVertices)
                    return fail(QStringLiteral("The shapes over the volume have more than %1 vertices.")
                                    .arg(qulonglong(m_limits.maxVertices)));
                starts.push_back(vertices.size());
                for (const auto &q : polygon) {
                    double x, y;
                    t.apply(q.first, q.second, x, y);
                    vertices.push_back(x);
                    vertices.push_back(y);
                }
            }
        }
        return true;
    }

    bool fail(const QString &sentence)
    {
        if (m_error.isEmpty())
            m_error = sentence;
        return false;
    }

private:
    QString name(int s) const { return QString::fromStdString(m_library.structures()[size_t(s)].name); }

    static void arrayPosition(const LayoutElement &e, int c, int r, double &x, double &y)
    {
        const double ox = e.points[0].x, oy = e.points[0].y;
        const double cx = (double(e.points[1].x) - ox) / e.columns, cy = (double(e.points[1].y) - oy) / e.columns;
        const double rx = (double(e.points[2].x) - ox) / e.rows, ry = (double(e.points[2].y) - oy) / e.rows;
        x = ox + c * cx + r * rx;
        y = oy + c * cy + r * ry;
    }

    bool countPlacements(uint64_t n, int s, const LayoutElement *array = nullptr)
    {
        if (n <= m_limits.maxPlacements - std::min(m_placements, m_limits.maxPlacements)) {
            m_placements += n;
            return true;
        }
        if (array)
            return fail(QStringLiteral("An array reference in structure \"%1\" places %2 x %3 copies of \"%4\"; "
                                       "a mask takes at most %5 placements.")
                            .arg(name(s))
                            .arg(array->columns)
                            .arg(array->rows)
                            .arg(QString::fromStdString(array->structureName))
                            .arg(qulonglong(m_limits.maxPlacements)));
        return fail(QStringLiteral("Structure \"%1\" places more than %2 elements and references; the mask is not drawn.")
                        .arg(name(s))
                        .arg(qulonglong(m_limits.maxPlacements)));
    }

    const GdsiiLibrary &m_library;
    const MaskPlacement &m_placement;
    const LayoutLimits &m_limits;
    QString &m_error;
    std::vector<Box> m_boxes;
    std::vector<char> m_state;
    uint64_t m_placements = 0;
};

// Cells of the slab's columns whose centres lie inside polygons (even-odd per
// polygon, union over polygons). Cell (i, j) has its centre at (i + 0.5, j + 0.5).
// Each edge adds its crossings with the column centre lines it spans, so the
// work follows the crossings, not vertices times columns.
void fillColumns(const std::vector<double> &vertices, const std::vector<size_t> &starts, const std::vector<Box> &boxes,
                 const MaskGrid &grid, const Util::SlabRange &range, std::vector<uint8_t> &cells)
{
    std::vector<std::pair<unsigned, double>> crossings;
    for (size_t k = 0; k < starts.size(); ++k) {
        const Box &b = boxes[k];
        const double firstColumn = std::max(double(range.first), std::ceil(b.x0 - 0.5));
        const double lastColumn = std::min(double(range.last) - 1, std::floor(b.x1 - 0.5));
        if (firstColumn > lastColumn)
            continue;
        const size_t begin = starts[k], end = k + 1 < starts.size() ? starts[k + 1] : vertices.size();
        const size_t count = (end - begin) / 2;
        crossings.clear();
        for (size_t i = 0; i < count; ++i) {
            const size_t j = (i + 1 == count) ? 0 : i + 1;
            const double ax = vertices[begin + 2 * i], ay = vertices[begin + 2 * i + 1];
            const double bx = vertices[begin + 2 * j], by = vertices[begin + 2 * j + 1];
            if (ax == bx)
                continue;
            // Centre lines u with min <= u < max: the half-open rule keeps a
            // vertex on a line from counting twice.
            const double lo = std::min(ax, bx), hi = std::max(ax, bx);
            const double x0 = std::max(firstColumn, std::ceil(lo - 0.5));
            const double x1 = std::min(lastColumn, std::ceil(hi - 0.5) - 1);
            for (double x = x0; x <= x1; x += 1) {
                const double u = x + 0.5;
                crossings.emplace_back(unsigned(x), ay + (u - ax) * (by - ay) / (bx - ax));
            }
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size();) {
            const unsigned x = crossings[i].first;
            size_t n = i;
            while (n < crossings.size() && crossings[n].first == x)
                ++n;
            uint8_t *column = cells.data() + size_t(x) * grid.sizeY;
            for (size_t c = i; c + 1 < n; c += 2) {
                const double y0 = std::max(0.0, std::ceil(crossings[c].second - 0.5));
                const double y1 = std::min(double(grid.sizeY), std::ceil(crossings[c + 1].second - 0.5));
                for (double y = y0; y < y1; y += 1)
                    column[size_t(y)] = 1;
            }
            i = n;
        }
    }
}

} // namespace

bool rasterizeLayout(const GdsiiLibrary &library, const MaskPlacement &placement, const MaskGrid &grid,
                     std::vector<bool> &bits, QString &error, const LayoutLimits &limits)
{
    error.clear();
    if (grid.sizeX == 0 || grid.sizeY == 0 || !(grid.cellSizeX > 0) || !(grid.cellSizeY > 0) ||
        !std::isfinite(grid.cellSizeX) || !std::isfinite(grid.cellSizeY)) {
        error = QStringLiteral("The volume has no cells to draw the mask on.");
        return false;
    }
    if (!(std::isfinite(placement.scale) && placement.scale > 0) || !std::isfinite(placement.originX) ||
        !std::isfinite(placement.originY)) {
        error = QStringLiteral("The layout's origin must be finite and its scale a finite number above zero.");
        return false;
    }
    if (library.structures().empty()) {
        error = QStringLiteral("The layout holds no structures.");
        return false;
    }
    int s;
    QString structureName = QString::fromStdString(placement.structure);
    if (placement.structure.empty()) {
        s = library.topStructures().front();
        structureName = QString::fromStdString(library.structures()[size_t(s)].name);
    } else if ((s = library.structureIndex(placement.structure)) < 0) {
        error = QStringLiteral("The layout holds no structure named \"%1\".").arg(structureName);
        return false;
    }
    const std::vector<LayerKey> keys = library.layers(s);
    if (std::none_of(keys.begin(), keys.end(),
                     [&](const LayerKey &k) { return keyMatches(k, placement.layer, placement.datatype); })) {
        error = QStringLiteral("Structure \"%1\" has no shapes on layer %2.")
                    .arg(structureName, layerName(placement.layer, placement.datatype));
        return false;
    }

    Flattener flattener(library, placement, limits, error);
    if (!flattener.box(s, 0))
        return false;
    const Box &layoutBox = flattener.structureBox(s);
    if (layoutBox.empty() || layoutBox.x0 < -CoordinateLimit || layoutBox.x1 > CoordinateLimit ||
        layoutBox.y0 < -CoordinateLimit || layoutBox.y1 > CoordinateLimit) {
        error = QStringLiteral("The shapes of structure \"%1\" reach beyond the coordinates a layout can hold.")
                    .arg(structureName);
        return false;
    }

    // Database units to cell units: cell i spans [i, i + 1).
    const double micronsPerUnit = library.micronsPerDatabaseUnit();
    const double cellX = grid.cellSizeX * placement.scale, cellY = grid.cellSizeY * placement.scale;
    Affine toCells;
    toCells.a = micronsPerUnit / cellX;
    toCells.d = micronsPerUnit / cellY;
    toCells.tx = -placement.originX / cellX;
    toCells.ty = -placement.originY / cellY;
    Box window;
    window.add(0, 0);
    window.add(grid.sizeX, grid.sizeY);

    std::vector<double> vertices;
    std::vector<size_t> starts;
    if (layoutBox.transformed(toCells).overlaps(window) && !flattener.collect(s, toCells, window, vertices, starts))
        return false;
    if (starts.empty()) {
        error = QStringLiteral("No shape of layer %1 in structure \"%2\" lies over the volume: the layer spans "
                               "x %3 to %4 µm and y %5 to %6 µm of the layout, the volume x %7 to %8 µm and "
                               "y %9 to %10 µm.")
                    .arg(layerName(placement.layer, placement.datatype), structureName)
                    .arg(layoutBox.x0 * micronsPerUnit)
                    .arg(layoutBox.x1 * micronsPerUnit)
                    .arg(layoutBox.y0 * micronsPerUnit)
                    .arg(layoutBox.y1 * micronsPerUnit)
                    .arg(placement.originX)
                    .arg(placement.originX + grid.sizeX * cellX)
                    .arg(placement.originY)
                    .arg(placement.originY + grid.sizeY * cellY);
        return false;
    }

    std::vector<Box> boxes(starts.size());
    for (size_t k = 0; k < starts.size(); ++k) {
        const size_t end = k + 1 < starts.size() ? starts[k + 1] : vertices.size();
        for (size_t i = starts[k]; i < end; i += 2)
            boxes[k].add(vertices[i], vertices[i + 1]);
    }
    std::vector<uint8_t> cells(size_t(grid.sizeX) * grid.sizeY, 0);
    const Util::SlabPlan plan =
        Util::planSlabs(0, grid.sizeX, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 16);
    Util::runSlabs(plan, [&](const Util::SlabRange &range, unsigned) {
        fillColumns(vertices, starts, boxes, grid, range, cells);
    });
    bits.assign(cells.size(), false);
    for (size_t i = 0; i < cells.size(); ++i)
        if (cells[i])
            bits[i] = true;
    return true;
}

bool rasterizeLayoutFile(const QString &fileName, const MaskPlacement &placement, const MaskGrid &grid,
                         std::vector<bool> &bits, QString &error, const LayoutLimits &limits)
{
    GdsiiLibrary library;
    if (!GdsiiLibrary::readFile(fileName, library, error))
        return false;
    return rasterizeLayout(library, placement, grid, bits, error, limits);
}

QString layerName(int layer, int datatype)
{
    return datatype < 0 ? QString::number(layer) : QStringLiteral("%1/%2").arg(layer).arg(datatype);
}

bool parseLayerName(const QString &text, int &layer, int &datatype)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,5})\\s*(?:/\\s*(\\d{1,5})\\s*)?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    const int l = m.captured(1).toInt();
    const int d = m.captured(2).isEmpty() ? -1 : m.captured(2).toInt();
    if (l > 65535 || d > 65535)
        return false;
    layer = l;
    datatype = d;
    return true;
}

} // namespace Layout
} // namespace Model
