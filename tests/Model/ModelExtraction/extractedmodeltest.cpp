#include "Model/ModelExtraction/extractedmodel.h"
#include "Model/ModelExtraction/rectangularcuboidenvelope.h"

#include <gtest/gtest.h>

using Model::ModelExtraction::ExtractedModel;
using Model::ModelExtraction::RectangularCuboidEnvelope;

namespace {

class BoxFaceWinding : public ::testing::TestWithParam<int>
{
};

} // namespace

// Culling and lighting take the counter-clockwise side as the front: every face must be
// wound so that its corner order agrees with its outward normal.
TEST_P(BoxFaceWinding, RunsCounterClockwiseSeenFromOutside)
{
    const int face = GetParam();
    const RectangularCuboidEnvelope box(2, 3, 4, 5, 6, 7, 1u);
    double q[4][3];
    ExtractedModel::boxFace(box, face, q);
    const double *normal = ExtractedModel::faceNormal(face);

    double centre[3] = {0, 0, 0};
    for (int k = 0; k < 4; ++k)
        for (int a = 0; a < 3; ++a)
            centre[a] += q[k][a] / 4.0;
    // Each consecutive corner triple turns the same way (a planar, convex quad).
    for (int k = 0; k < 4; ++k) {
        const double *p0 = q[k], *p1 = q[(k + 1) % 4], *p2 = q[(k + 2) % 4];
        const double u[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        const double v[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
        const double cross[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        EXPECT_GT(cross[0] * normal[0] + cross[1] * normal[1] + cross[2] * normal[2], 0.0)
            << "face " << face << " corner " << k;
    }
    // The normal leaves the box: the face centre lies on the normal's side of the box centre.
    double boxCentre[3] = {0, 0, 0};
    for (int f = 0; f < 6; ++f) {
        double o[4][3];
        ExtractedModel::boxFace(box, f, o);
        for (int k = 0; k < 4; ++k)
            for (int a = 0; a < 3; ++a)
                boxCentre[a] += o[k][a] / 24.0;
    }
    double outward = 0.0;
    for (int a = 0; a < 3; ++a)
        outward += (centre[a] - boxCentre[a]) * normal[a];
    EXPECT_GT(outward, 0.0) << "face " << face;
}

INSTANTIATE_TEST_SUITE_P(SixFaces, BoxFaceWinding, ::testing::Range(0, 6));
