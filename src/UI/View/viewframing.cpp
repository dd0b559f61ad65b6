#include "viewframing.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Ui {

void SceneBox::add(const std::array<double, 3> &a, const std::array<double, 3> &b)
{
    for (int i = 0; i < 3; ++i) {
        const double lo = std::min(a[i], b[i]), hi = std::max(a[i], b[i]);
        low[i] = empty ? lo : std::min(low[i], lo);
        high[i] = empty ? hi : std::max(high[i], hi);
    }
    empty = false;
}

bool frameBox(const SceneBox &box, const ViewCamera::Matrix &m, int width, int height, int depth, double margin,
              ViewFraming *framing)
{
    if (box.empty || width <= 0 || height <= 0 || depth <= 0 || !(margin > 0))
        return false;
    std::array<double, 3> centre;
    for (int i = 0; i < 3; ++i)
        centre[i] = 0.5 * (box.low[i] + box.high[i]);
    // The eight corners in eye space (the rotation only: the pan is zero and
    // the centre sits at the pivot); the matrix is column-major.
    double extent[2] = {0, 0};
    double diagonal = 0;
    for (int corner = 0; corner < 8; ++corner) {
        double p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = ((corner >> i) & 1 ? box.high[i] : box.low[i]) - centre[i];
        for (int row = 0; row < 2; ++row)
            extent[row] = std::max(extent[row], std::fabs(m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2]));
        diagonal = std::max(diagonal, std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]));
    }
    // Half extents against half the view; a flat box seen edge-on still has its depth to fit.
    double zoom = std::numeric_limits<double>::max();
    if (extent[0] > 0)
        zoom = std::min(zoom, margin * 0.5 * width / extent[0]);
    if (extent[1] > 0)
        zoom = std::min(zoom, margin * 0.5 * height / extent[1]);
    if (diagonal > 0)
        zoom = std::min(zoom, 0.5 * depth / diagonal);
    // A box without size sets no zoom at all.
    if (!(zoom > 0) || zoom >= double(std::numeric_limits<float>::max()))
        return false;
    framing->zoom = float(zoom);
    for (int i = 0; i < 3; ++i)
        framing->axisPosition[i] = float(-centre[i]);
    return true;
}

} // namespace Ui
