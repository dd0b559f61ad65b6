#pragma once

#include "Util/vector4d.h"

#include <vector>

namespace Ui {

// The ground grid: lines at height z every spacing units over an extent.
class ViewGrid
{
public:
    struct Line
    {
        double x0, y0, x1, y1;
    };

    // The view draws at most this many lines per direction; a finer spacing
    // over the extent is drawn coarser rather than freezing the view.
    static constexpr int MaxLinesPerDirection = 20000;

    void setExtent(double x0, double y0, double x1, double y1);
    double spacing() const { return m_spacing; }
    // Refuses spacings that are not positive and finite; returns whether it changed.
    bool setSpacing(double spacing);
    double height() const { return m_z; }
    void setHeight(double z) { m_z = z; }

    // Lines along y at every x step, then lines along x at every y step,
    // covering floor(x0/s)*s..ceil(x1/s)*s by floor(y0/s)*s..ceil(y1/s)*s.
    std::vector<Line> lines() const;

    double x0() const { return m_x0; }
    double y0() const { return m_y0; }
    double x1() const { return m_x1; }
    double y1() const { return m_y1; }

private:
    double m_x0 = -300.0, m_y0 = -300.0, m_x1 = 300.0, m_y1 = 300.0;
    double m_z = 0.0;
    double m_spacing = 10.0;
};

} // namespace Ui
