#include "viewgrid.h"

#include <cmath>

namespace Ui {

void ViewGrid::setExtent(double x0, double y0, double x1, double y1)
{
    m_x0 = x0;
    m_y0 = y0;
    m_x1 = x1;
    m_y1 = y1;
}

bool ViewGrid::setSpacing(double spacing)
{
    if (!(spacing > 0.0) || !std::isfinite(spacing))
        return false;
    m_spacing = spacing;
    return true;
}

std::vector<ViewGrid::Line> ViewGrid::lines() const
{
    const double s = m_spacing;
    const double gx0 = std::floor(m_x0 / s) * s, gx1 = std::ceil(m_x1 / s) * s;
    const double gy0 = std::floor(m_y0 / s) * s, gy1 = std::ceil(m_y1 / s) * s;
    const long nx = std::lround((gx1 - gx0) / s), ny = std::lround((gy1 - gy0) / s);
    const long stepX = nx / MaxLinesPerDirection + 1, stepY = ny / MaxLinesPerDirection + 1;
    std::vector<Line> result;
    result.reserve(size_t(nx / stepX + ny / stepY + 2));
    // Positions from integer counts so rounding never drops the last line.
    for (long i = 0; i <= nx; i += stepX) {
        const double x = gx0 + double(i) * s;
        result.push_back({x, gy0, x, gy1});
    }
    for (long j = 0; j <= ny; j += stepY) {
        const double y = gy0 + double(j) * s;
        result.push_back({gx0, y, gx1, y});
    }
    return result;
}

} // namespace Ui
