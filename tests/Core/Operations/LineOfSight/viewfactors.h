#pragma once

// References the line-of-sight tests compare with, computed here from
// geometry alone: two-dimensional view factors (Hottel's crossed strings) and
// the radiosity balance of a long slot, the classic way to get the flux in a
// trench with diffuse re-emission (Coburn and Winters, Appl. Phys. Lett. 55,
// 2730 (1989); Clausing's transmission problem). Nothing here traces a particle.

#include <algorithm>
#include <cmath>
#include <vector>

namespace ViewFactors {

// Diffuse source, unity sticking, long trench of width w and depth h:
// the flux at the bottom, a distance x from the centre line, relative to the
// open field: (sin a - sin b) / 2 over the two edges of the opening.
inline double trenchBottom(double w, double h, double x)
{
    const double a = w / 2 - x, b = w / 2 + x;
    return 0.5 * (a / std::sqrt(a * a + h * h) + b / std::sqrt(b * b + h * h));
}

// Its mean over the bottom strip [x1, x2] (exact integral).
inline double trenchBottomMean(double w, double h, double x1, double x2)
{
    const auto antiderivative = [&](double x) {
        const double a = w / 2 - x, b = w / 2 + x;
        return 0.5 * (-std::sqrt(a * a + h * h) + std::sqrt(b * b + h * h));
    };
    return (antiderivative(x2) - antiderivative(x1)) / (x2 - x1);
}

// On a side wall at depth d below the top: (1 - d / sqrt(d^2 + w^2)) / 2.
inline double trenchWall(double w, double d) { return 0.5 * (1 - d / std::sqrt(d * d + w * w)); }

// Its mean over the depths [d1, d2] (exact integral).
inline double trenchWallMean(double w, double d1, double d2)
{
    return 0.5 - (std::sqrt(d2 * d2 + w * w) - std::sqrt(d1 * d1 + w * w)) / (2 * (d2 - d1));
}

struct Point
{
    double x, y;
};
inline double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// View factor from segment (a1, a2) to segment (b1, b2) of a convex enclosure.
inline double crossedStrings(Point a1, Point a2, Point b1, Point b2)
{
    const double crossed = distance(a1, b2) + distance(a2, b1);
    const double uncrossed = distance(a1, b1) + distance(a2, b2);
    return std::fabs(crossed - uncrossed) / (2 * distance(a1, a2));
}

// The incident flux (relative to the open field) on the bottom of a long
// slot w wide and h deep lit by a diffuse source, where the walls stick with
// wallSticking and the bottom with bottomSticking and whatever does not stick
// is re-emitted diffusely: G_i = F_i,opening + sum_j F_ij (1 - s_j) G_j,
// solved directly. Returns the bottom's mean.
inline double slotBottom(double w, double h, double wallSticking, double bottomSticking, int perUnit = 4)
{
    struct Segment
    {
        Point a, b;
        double sticking;
        bool bottom;
    };
    std::vector<Segment> segments;
    const int nw = std::max(8, int(std::ceil(h * perUnit))), nb = std::max(8, int(std::ceil(w * perUnit)));
    for (int i = 0; i < nw; ++i) {
        const double y1 = h * i / nw, y2 = h * (i + 1) / nw;
        segments.push_back({{0, y1}, {0, y2}, wallSticking, false});
        segments.push_back({{w, y2}, {w, y1}, wallSticking, false});
    }
    for (int i = 0; i < nb; ++i)
        segments.push_back({{w * i / nb, 0}, {w * (i + 1) / nb, 0}, bottomSticking, true});
    const int n = int(segments.size());
    // (I - F (1 - s)) G = F_opening
    std::vector<double> m(size_t(n) * (n + 1), 0.0);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double f = i == j ? 0.0 : crossedStrings(segments[i].a, segments[i].b, segments[j].a, segments[j].b);
            m[size_t(i) * (n + 1) + j] = (i == j ? 1.0 : 0.0) - f * (1 - segments[j].sticking);
        }
        m[size_t(i) * (n + 1) + n] = crossedStrings(segments[i].a, segments[i].b, {0, h}, {w, h});
    }
    for (int c = 0; c < n; ++c) { // Gaussian elimination with partial pivoting
        int pivot = c;
        for (int r = c + 1; r < n; ++r)
            if (std::fabs(m[size_t(r) * (n + 1) + c]) > std::fabs(m[size_t(pivot) * (n + 1) + c]))
                pivot = r;
        for (int k = 0; k <= n; ++k)
            std::swap(m[size_t(c) * (n + 1) + k], m[size_t(pivot) * (n + 1) + k]);
        for (int r = 0; r < n; ++r) {
            if (r == c)
                continue;
            const double factor = m[size_t(r) * (n + 1) + c] / m[size_t(c) * (n + 1) + c];
            for (int k = c; k <= n; ++k)
                m[size_t(r) * (n + 1) + k] -= factor * m[size_t(c) * (n + 1) + k];
        }
    }
    double sum = 0;
    int count = 0;
    for (int i = 0; i < n; ++i)
        if (segments[i].bottom) {
            sum += m[size_t(i) * (n + 1) + n] / m[size_t(i) * (n + 1) + i];
            ++count;
        }
    return sum / count;
}

// The flux on a vertical face that sees the whole sky side in front of it,
// relative to a horizontal one: E[tan(theta) max(0, cos(phi))] = E[tan theta] / pi
// over the source's distribution of polar angles theta (density per theta
// given, unnormalised), by the midpoint rule.
template <class Density>
double cliffFace(Density density)
{
    const double pi = 3.14159265358979323846;
    const int n = 200000;
    double weighted = 0, total = 0;
    for (int i = 0; i < n; ++i) {
        const double theta = (i + 0.5) * (pi / 2) / n;
        const double p = density(theta);
        weighted += p * std::tan(theta);
        total += p;
    }
    return weighted / total / pi;
}

} // namespace ViewFactors
