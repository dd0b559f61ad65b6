#pragma once

#include "UI/View/viewcamera.h"

#include <array>

namespace Ui {

// An axis-aligned box in scene units.
struct SceneBox
{
    std::array<double, 3> low{{0, 0, 0}};
    std::array<double, 3> high{{0, 0, 0}};
    bool empty = true;

    void add(const std::array<double, 3> &a, const std::array<double, 3> &b);
};

// Where the camera goes so a box fills the view: its centre at the pivot of
// the turning (the axis position is minus the centre, the screen pan zero)
// and the zoom (pixels per scene unit) at which its outline, seen through the
// rotation, takes margin of the view's width or height, whichever binds
// first, and its depth fits the view's depth range.
struct ViewFraming
{
    std::array<float, 3> axisPosition{{0, 0, 0}};
    float zoom = 1.0f;
};

// False for an empty box or a view without pixels. depth: the view's depth
// range in pixels (the projection spans depth / zoom scene units).
bool frameBox(const SceneBox &box, const ViewCamera::Matrix &rotation, int width, int height, int depth,
              double margin, ViewFraming *framing);

} // namespace Ui
