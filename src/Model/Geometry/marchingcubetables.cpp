#include "marchingcubetables.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace Model {
namespace Geometry {

namespace {

const uint8_t kCorners[8][3] = {{0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0},
                                {0, 1, 1}, {1, 1, 1}, {1, 0, 1}, {0, 0, 1}};
const uint8_t kEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                               {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
// The cube's six faces as corner cycles.
const uint8_t kFaces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                              {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5}};

int edgeBetween(int a, int b)
{
    for (int e = 0; e < 12; ++e)
        if ((kEdges[e][0] == a && kEdges[e][1] == b) || (kEdges[e][0] == b && kEdges[e][1] == a))
            return e;
    return -1;
}

struct Tables
{
    uint16_t edges[256];
    int8_t triangles[256][16];
    int maxTriangles = 0;

    Tables()
    {
        std::memset(triangles, -1, sizeof triangles);
        for (int c = 0; c < 256; ++c) {
            edges[c] = 0;
            for (int e = 0; e < 12; ++e)
                if (((c >> kEdges[e][0]) & 1) != ((c >> kEdges[e][1]) & 1))
                    edges[c] |= uint16_t(1u << e);
            buildCase(c);
        }
    }

    void buildCase(int c)
    {
        auto filled = [c](int corner) { return (c >> corner) & 1; };
        // Each cut edge gets exactly two partners, one per cube face it lies on.
        std::array<std::vector<int>, 12> partners;
        for (const uint8_t *q : kFaces) {
            int cut[4], n = 0;
            for (int k = 0; k < 4; ++k)
                if (filled(q[k]) != filled(q[(k + 1) % 4]))
                    cut[n++] = k; // cut edge between q[k] and q[k+1]
            auto edgeOf = [q](int k) { return edgeBetween(q[k], q[(k + 1) % 4]); };
            if (n == 2) {
                partners[edgeOf(cut[0])].push_back(edgeOf(cut[1]));
                partners[edgeOf(cut[1])].push_back(edgeOf(cut[0]));
            } else if (n == 4) {
                // Diagonal case: cut each filled corner off on its own.
                for (int k = 0; k < 4; ++k)
                    if (filled(q[k])) {
                        const int a = edgeOf((k + 3) % 4), b = edgeOf(k);
                        partners[a].push_back(b);
                        partners[b].push_back(a);
                    }
            }
        }

        int out = 0;
        bool used[12] = {false};
        for (int start = 0; start < 12; ++start) {
            if (used[start] || partners[start].empty())
                continue;
            std::vector<int> loop;
            int previous = -1, e = start;
            do {
                used[e] = true;
                loop.push_back(e);
                const int next = partners[e][0] != previous ? partners[e][0] : partners[e][1];
                previous = e;
                e = next;
            } while (e != start);
            orient(c, loop);
            for (size_t k = 1; k + 1 < loop.size() && out + 3 < 16; ++k) {
                triangles[c][out++] = int8_t(loop[0]);
                triangles[c][out++] = int8_t(loop[k]);
                triangles[c][out++] = int8_t(loop[k + 1]);
            }
        }
    }

    // Turns the loop so that its triangles face the empty side.
    static void orient(int c, std::vector<int> &loop)
    {
        double p[12][3];
        double away[3] = {0, 0, 0};
        for (size_t k = 0; k < loop.size(); ++k) {
            const uint8_t *a = kCorners[kEdges[loop[k]][0]];
            const uint8_t *b = kCorners[kEdges[loop[k]][1]];
            const double sign = ((c >> kEdges[loop[k]][0]) & 1) ? 1.0 : -1.0; // filled -> empty
            for (int i = 0; i < 3; ++i) {
                p[k][i] = 0.5 * (a[i] + b[i]);
                away[i] += sign * (double(b[i]) - double(a[i]));
            }
        }
        double normal[3] = {0, 0, 0}; // Newell's polygon normal
        for (size_t k = 0; k < loop.size(); ++k) {
            const double *u = p[k], *v = p[(k + 1) % loop.size()];
            normal[0] += (u[1] - v[1]) * (u[2] + v[2]);
            normal[1] += (u[2] - v[2]) * (u[0] + v[0]);
            normal[2] += (u[0] - v[0]) * (u[1] + v[1]);
        }
        if (normal[0] * away[0] + normal[1] * away[1] + normal[2] * away[2] < 0)
            std::reverse(loop.begin() + 1, loop.end());
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

const uint16_t *MarchingCubeTables::edgeTable() { return tables().edges; }
const int8_t (*MarchingCubeTables::triangleTable())[16] { return tables().triangles; }
const uint8_t (*MarchingCubeTables::edgeCorners())[2] { return kEdges; }
const uint8_t (*MarchingCubeTables::cornerOffsets())[3] { return kCorners; }

} // namespace Geometry
} // namespace Model
