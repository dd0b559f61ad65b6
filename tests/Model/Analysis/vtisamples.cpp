// Writes the .vti files test_vti_vtk.py reads with VTK's own reader:
// folder/sample.vti (5 x 4 x 3 cells, cell size 1 x 2 x 0.5, origin
// (1, -2, 3), material [0, 1, 3, 9][(x + 2y + 3z) % 4], N particle count
// 100x + 10y + z, boron (x + 10y + 100z) 1e15 cm^-3) and folder/plain.vti (the same cells, no particles), each
// also zlib-compressed (sample-zlib.vti, plain-zlib.vti); large.vti and
// large-zlib.vti hold 70 x 60 x 80 cells of material (7x + 3y + z) % 5.
#include "Model/Analysis/vtiwriter.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/fieldpainter.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using Model::Automaton::TotalVolume;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: analysis_vti_samples FOLDER\n");
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const unsigned sx = 5, sy = 4, sz = 3;
    static const uint32_t ids[4] = {0, 1, 3, 9};
    std::vector<uint32_t> materials(sx * sy * sz);
    Model::Geometry::ParticleCounterArray counts(new std::vector<Model::Geometry::ParticleCounter>(materials.size()));
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < sz; ++z) {
                const size_t i = (size_t(x) * sy + y) * sz + z;
                materials[i] = ids[(x + 2 * y + 3 * z) % 4];
                for (int k = 0; k < 7; ++k)
                    (*counts)[i].values[k] = k == 6 ? int32_t(100 * x + 10 * y + z) : 1;
            }
    TotalVolume plain(sx, sy, sz, 1.0f, 2.0f, 0.5f, Util::Vector3D(1.0, -2.0, 3.0), materials);
    TotalVolume sample(sx, sy, sz, 1.0f, 2.0f, 0.5f, Util::Vector3D(1.0, -2.0, 3.0), materials);
    sample.setProperty(Model::Geometry::FieldPainter::nTypeProperty(),
                       Model::Geometry::FieldPainter::toProperty(counts));
    {
        // Boron of (x + 10y + 100z) * 1e15 cm^-3.
        Model::Automaton::CellLock lock(sample);
        std::vector<float> &boron = lock.dopants().make(Model::Automaton::DopantFields::Boron, materials.size());
        for (unsigned x = 0; x < sx; ++x)
            for (unsigned y = 0; y < sy; ++y)
                for (unsigned z = 0; z < sz; ++z)
                    boron[(size_t(x) * sy + y) * sz + z] = float(x + 10 * y + 100 * z) * 1e15f;
    }
    QString error;
    using Model::Analysis::VtiCompression;
    if (!Model::Analysis::writeVti(sample, folder.filePath(QStringLiteral("sample.vti")), &error) ||
        !Model::Analysis::writeVti(plain, folder.filePath(QStringLiteral("plain.vti")), &error) ||
        !Model::Analysis::writeVti(sample, folder.filePath(QStringLiteral("sample-zlib.vti")), &error,
                                   VtiCompression::Zlib) ||
        !Model::Analysis::writeVti(plain, folder.filePath(QStringLiteral("plain-zlib.vti")), &error,
                                   VtiCompression::Zlib)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    // More than one zlib block and more z layers than one pass takes: material (7x + 3y + z) % 5.
    const unsigned lx = 70, ly = 60, lz = 80;
    std::vector<uint32_t> large(size_t(lx) * ly * lz);
    for (unsigned x = 0; x < lx; ++x)
        for (unsigned y = 0; y < ly; ++y)
            for (unsigned z = 0; z < lz; ++z)
                large[(size_t(x) * ly + y) * lz + z] = (7 * x + 3 * y + z) % 5;
    TotalVolume big(lx, ly, lz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), large);
    if (!Model::Analysis::writeVti(big, folder.filePath(QStringLiteral("large.vti")), &error) ||
        !Model::Analysis::writeVti(big, folder.filePath(QStringLiteral("large-zlib.vti")), &error,
                                   VtiCompression::Zlib)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
