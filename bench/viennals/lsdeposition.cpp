// The trench of torvane_scale_bench's BM_TrenchDeposition as a ViennaLS level
// set, grown by an isotropic film of 10 cells with lsAdvect. Built and run by
// bench/viennals-side-by-side.sh against the peer's own sources (MIT licence);
// it is not part of Torvane's build.
//   lsdeposition NX NY NZ THREADS
// prints one line: ms=<advection time> rss_mib=<peak resident memory> and the
// film thickness on the top surface, on the trench floor and on its wall.
#include <lsAdvect.hpp>
#include <lsBooleanOperation.hpp>
#include <lsDomain.hpp>
#include <lsMakeGeometry.hpp>
#include <lsToSurfaceMesh.hpp>

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ls = viennals;
using T = float; // as the peer's own examples
constexpr int D = 3;

class Isotropic : public ls::VelocityField<T>
{
public:
    T getScalarVelocity(const std::array<T, 3> &, int, const std::array<T, 3> &, unsigned long) override { return 1; }
};

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: lsdeposition NX NY NZ THREADS\n");
        return 1;
    }
    const double nx = std::atof(argv[1]), ny = std::atof(argv[2]), nz = std::atof(argv[3]);
    omp_set_num_threads(std::atoi(argv[4]));
    // The same cuts as the Torvane trench: surface at 5/16 of the height, the
    // trench over the middle quarter of x down to half of that.
    const double top = std::floor(nz * 5 / 16), floorZ = std::floor(nz * 5 / 32);
    const double x0 = std::floor(nx * 3 / 8), x1 = std::floor(nx * 5 / 8);

    double bounds[2 * D] = {0, nx, 0, ny, 0, nz};
    ls::BoundaryConditionEnum boundary[D] = {ls::BoundaryConditionEnum::REFLECTIVE_BOUNDARY,
                                             ls::BoundaryConditionEnum::REFLECTIVE_BOUNDARY,
                                             ls::BoundaryConditionEnum::INFINITE_BOUNDARY};
    auto substrate = ls::SmartPointer<ls::Domain<T, D>>::New(bounds, boundary, 1.0);
    T origin[D] = {0, 0, top}, normal[D] = {0, 0, 1};
    ls::MakeGeometry<T, D>(substrate, ls::SmartPointer<ls::Plane<T, D>>::New(origin, normal)).apply();
    auto trench = ls::SmartPointer<ls::Domain<T, D>>::New(bounds, boundary, 1.0);
    T lo[D] = {x0, -1, floorZ}, hi[D] = {x1, ny + 1, top + 1};
    ls::MakeGeometry<T, D>(trench, ls::SmartPointer<ls::Box<T, D>>::New(lo, hi)).apply();
    ls::BooleanOperation<T, D>(substrate, trench, ls::BooleanOperationEnum::RELATIVE_COMPLEMENT).apply();

    auto film = ls::SmartPointer<ls::Domain<T, D>>::New(substrate);
    ls::Advect<T, D> advect;
    advect.insertNextLevelSet(substrate);
    advect.insertNextLevelSet(film);
    advect.setVelocityField(ls::SmartPointer<Isotropic>::New());
    advect.setAdvectionTime(10.0);
    const auto start = std::chrono::steady_clock::now();
    advect.apply();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    // The film's surface on three probe lines through the middle of y.
    auto mesh = ls::SmartPointer<ls::Mesh<T>>::New();
    ls::ToSurfaceMesh<T, D>(film, mesh).apply();
    double topZ = -1, floorTop = 1e30, wallX = 1e30;
    const double yMid = ny / 2, xTop = nx / 8, xMid = nx / 2, zMid = top - std::floor((top - floorZ) / 4);
    for (const auto &node : mesh->getNodes()) {
        const double x = node[0], y = node[1], z = node[2];
        if (std::fabs(y - yMid) > 1)
            continue;
        if (std::fabs(x - xTop) < 1)
            topZ = std::max(topZ, z);
        if (std::fabs(x - xMid) < 1 && z < top)
            floorTop = std::min(floorTop, z);
        if (std::fabs(z - zMid) < 1 && x > x0 && x < xMid)
            wallX = std::min(wallX, x);
    }
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    std::printf("ms=%.0f rss_mib=%.0f film_top=%.2f film_floor=%.2f film_wall=%.2f\n", ms,
                double(usage.ru_maxrss) / 1024, topZ - top, floorTop - floorZ, wallX - x0);
    return 0;
}
