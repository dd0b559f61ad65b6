#include "stlwriter.h"

#include "Model/Automaton/totalvolume.h"
#include "outputfiles.h"
#include "smoothsurface.h"

#include <QSaveFile>

#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace Model {
namespace Analysis {

using Automaton::CellLock;
using Automaton::TotalVolume;
using Automaton::Voxel;

namespace {

// One material's file while it is written: the triangles go through a
// buffer so the file sees large writes.
struct StlOut
{
    std::unique_ptr<QSaveFile> file;
    QByteArray buffer;
    bool ok = true;

    void flush()
    {
        if (ok && !buffer.isEmpty() && file->write(buffer) != buffer.size())
            ok = false;
        buffer.clear();
    }
};

const int FlushAt = 1 << 20;

// The six face directions: axis a with its sign; the face's corners run over
// the other two axes u, v in cyclic order (x: y, z; y: z, x; z: x, y).
struct Direction
{
    int axis;
    int sign;
};
const Direction Directions[6] = {{0, 1}, {0, -1}, {1, 1}, {1, -1}, {2, 1}, {2, -1}};

} // namespace

QString stlFileName(const QString &prefix, uint32_t materialId)
{
    return QStringLiteral("%1-%2.stl").arg(prefix).arg(materialId);
}

bool parseStlSurface(const QString &text, StlSurface *surface, QString *error)
{
    const QString wanted = text.trimmed().toLower();
    if (wanted == QLatin1String("cells"))
        *surface = StlSurface::Cells;
    else if (wanted == QLatin1String("smooth"))
        *surface = StlSurface::Smooth;
    else {
        if (error)
            *error = QStringLiteral("the STL surface \"%1\" is neither \"cells\" nor \"smooth\"").arg(text);
        return false;
    }
    return true;
}

QString stlSurfaceName(StlSurface surface)
{
    return surface == StlSurface::Smooth ? QStringLiteral("smooth") : QStringLiteral("cells");
}

namespace {

QByteArray stlHeader(uint32_t material, const char *what)
{
    // The header must not begin with "solid": readers would take the file for text.
    QByteArray header = QStringLiteral("Torvane %1 of material %2 (%3), um")
                            .arg(QLatin1String(what))
                            .arg(material)
                            .arg(materialName(material))
                            .toUtf8()
                            .left(80);
    header.append(QByteArray(80 - header.size(), ' '));
    return header;
}

// One file per material of the smooth surfaces; the triangle count goes into
// the header once the surface is done.
bool writeSmoothStl(TotalVolume &volume, const QString &prefix, QString *error, QStringList *written)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    CellLock lock(volume);
    Model::Analysis::SurfaceGrid grid;
    grid.cells = lock.cells();
    grid.size[0] = volume.getSizeX();
    grid.size[1] = volume.getSizeY();
    grid.size[2] = volume.getSizeZ();
    // Coordinates in micrometres: the volume's frame times its unit length.
    const Util::Vector3D position = volume.getPosition();
    const double corner[3] = {position.x, position.y, position.z};
    for (int a = 0; a < 3; ++a) {
        grid.cellSize[a] = cellMicrometres(volume, a);
        grid.origin[a] = micrometres(volume, corner[a]);
    }

    std::map<uint32_t, bool> materials;
    const uint64_t cells = volume.getCellCount();
    for (uint64_t i = 0; i < cells; ++i)
        if (grid.cells[i].material != 0)
            materials[grid.cells[i].material] = true;
    if (materials.empty())
        return fail(QStringLiteral("the volume holds no material: there is no surface to write"));
    std::vector<std::unique_ptr<QSaveFile>> files;
    for (const auto &entry : materials) {
        const QString name = stlFileName(prefix, entry.first);
        if (!checkWritable(name, error))
            return false;
        files.emplace_back(new QSaveFile(name));
        QSaveFile &file = *files.back();
        if (!file.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("\"%1\" could not be written: %2").arg(name, file.errorString()));
        QByteArray buffer = stlHeader(entry.first, "smooth surface");
        const uint32_t none = 0;
        buffer.append(reinterpret_cast<const char *>(&none), 4);
        buffer.reserve(FlushAt + 256);
        bool ok = true;
        const uint64_t triangles =
            smoothSurface(grid, entry.first, [&](const SurfaceTriangle &triangle) {
                static const char attribute[2] = {0, 0};
                buffer.append(reinterpret_cast<const char *>(triangle.normal), sizeof(triangle.normal));
                buffer.append(reinterpret_cast<const char *>(triangle.corner), sizeof(triangle.corner));
                buffer.append(attribute, 2);
                if (buffer.size() >= FlushAt) {
                    ok = ok && file.write(buffer) == buffer.size();
                    buffer.clear();
                }
            });
        ok = ok && file.write(buffer) == buffer.size();
        if (triangles > 0xFFFFFFFFull)
            return fail(QStringLiteral("the surface of material %1 has more triangles than an STL file can hold")
                            .arg(entry.first));
        const uint32_t count = uint32_t(triangles);
        ok = ok && file.seek(80) && file.write(reinterpret_cast<const char *>(&count), 4) == 4;
        if (!ok)
            return fail(QStringLiteral("\"%1\" could not be written: %2").arg(name, file.errorString()));
    }
    for (const std::unique_ptr<QSaveFile> &file : files) {
        if (!file->commit())
            return fail(QStringLiteral("\"%1\" could not be written: %2").arg(file->fileName(), file->errorString()));
        if (written)
            *written << file->fileName();
    }
    return true;
}

} // namespace

bool writeStl(TotalVolume &volume, const QString &prefix, QString *error, QStringList *written, StlSurface surface)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (prefix.isEmpty())
        return fail(QStringLiteral("no file name prefix given"));
    if (surface == StlSurface::Smooth)
        return writeSmoothStl(volume, prefix, error, written);
    const unsigned size[3] = {volume.getSizeX(), volume.getSizeY(), volume.getSizeZ()};
    // Coordinates in micrometres: the volume's frame times its unit length.
    const double cell[3] = {cellMicrometres(volume, 0), cellMicrometres(volume, 1), cellMicrometres(volume, 2)};
    const Util::Vector3D position = volume.getPosition();
    const double origin[3] = {micrometres(volume, position.x), micrometres(volume, position.y),
                              micrometres(volume, position.z)};
    // Neighbour steps in the cell array along x, y, z.
    const long step[3] = {long(size[1]) * size[2], long(size[2]), 1};

    CellLock lock(volume);
    const Voxel *cells = lock.cells();
    // A face of cell i towards direction d belongs to the surface of i's
    // material when the neighbour there holds something else.
    auto faceOf = [&](size_t i, const unsigned c[3], int d, uint32_t m) {
        const Direction &dir = Directions[d];
        const unsigned at = c[dir.axis];
        if (dir.sign > 0 ? at + 1 == size[dir.axis] : at == 0)
            return true;
        const size_t nb = dir.sign > 0 ? i + step[dir.axis] : i - step[dir.axis];
        return cells[nb].material != m;
    };

    // Calls face(material, cell index, cell, direction) for every surface face, in cell order.
    auto eachFace = [&](auto face) {
        size_t i = 0;
        unsigned c[3];
        for (c[0] = 0; c[0] < size[0]; ++c[0])
            for (c[1] = 0; c[1] < size[1]; ++c[1])
                for (c[2] = 0; c[2] < size[2]; ++c[2], ++i) {
                    const uint32_t m = cells[i].material;
                    if (m == 0)
                        continue;
                    for (int d = 0; d < 6; ++d)
                        if (faceOf(i, c, d, m))
                            face(m, c, d);
                }
    };

    // First pass: the triangle count of each material, for the headers.
    std::map<uint32_t, uint64_t> faces;
    {
        uint32_t lastMaterial = 0;
        uint64_t *count = nullptr;
        eachFace([&](uint32_t m, const unsigned *, int) {
            if (!count || m != lastMaterial) {
                count = &faces[m];
                lastMaterial = m;
            }
            ++*count;
        });
    }
    if (faces.empty())
        return fail(QStringLiteral("the volume holds no material: there is no surface to write"));
    std::map<uint32_t, StlOut> outs;
    for (const auto &entry : faces) {
        if (entry.second * 2 > 0xFFFFFFFFull)
            return fail(QStringLiteral("the surface of material %1 has more triangles than an STL file can hold")
                            .arg(entry.first));
        const QString name = stlFileName(prefix, entry.first);
        if (!checkWritable(name, error))
            return false;
        StlOut &out = outs[entry.first];
        out.file.reset(new QSaveFile(name));
        if (!out.file->open(QIODevice::WriteOnly))
            return fail(QStringLiteral("\"%1\" could not be written: %2").arg(name, out.file->errorString()));
        // The header must not begin with "solid": readers would take the file for text.
        QByteArray header = QStringLiteral("Torvane surface of material %1 (%2), um")
                                .arg(entry.first)
                                .arg(materialName(entry.first))
                                .toUtf8()
                                .left(80);
        header.append(QByteArray(80 - header.size(), ' '));
        const uint32_t triangles = uint32_t(entry.second * 2);
        out.buffer = header;
        out.buffer.append(reinterpret_cast<const char *>(&triangles), 4);
        out.buffer.reserve(FlushAt + 256);
    }

    // Second pass: the triangles, in cell order.
    StlOut *last = nullptr;
    uint32_t lastMaterial = 0;
    eachFace([&](uint32_t m, const unsigned *c, int d) {
        if (!last || m != lastMaterial) {
            last = &outs[m];
            lastMaterial = m;
        }
        const Direction &dir = Directions[d];
        const int a = dir.axis, u = (a + 1) % 3, v = (a + 2) % 3;
        // Corner offsets (du, dv), counter-clockwise seen from the outside.
        static const int plus[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        static const int minus[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
        const int(*corner)[2] = dir.sign > 0 ? plus : minus;
        float p[4][3];
        for (int k = 0; k < 4; ++k) {
            p[k][a] = float(origin[a] + double(c[a] + (dir.sign > 0 ? 1 : 0)) * cell[a]);
            p[k][u] = float(origin[u] + double(c[u] + unsigned(corner[k][0])) * cell[u]);
            p[k][v] = float(origin[v] + double(c[v] + unsigned(corner[k][1])) * cell[v]);
        }
        float record[2][12];
        for (int t = 0; t < 2; ++t) {
            float *r = record[t];
            r[0] = r[1] = r[2] = 0.0f;
            r[a] = float(dir.sign);
            const int ids[2][3] = {{0, 1, 2}, {0, 2, 3}};
            for (int k = 0; k < 3; ++k)
                std::memcpy(r + 3 + 3 * k, p[ids[t][k]], sizeof(float) * 3);
        }
        static const char attribute[2] = {0, 0};
        for (int t = 0; t < 2; ++t) {
            last->buffer.append(reinterpret_cast<const char *>(record[t]), sizeof(record[t]));
            last->buffer.append(attribute, 2);
        }
        if (last->buffer.size() >= FlushAt)
            last->flush();
    });
    for (auto &entry : outs) {
        entry.second.flush();
        if (!entry.second.ok)
            return fail(QStringLiteral("\"%1\" could not be written: %2")
                            .arg(entry.second.file->fileName(), entry.second.file->errorString()));
    }
    for (auto &entry : outs) {
        if (!entry.second.file->commit())
            return fail(QStringLiteral("\"%1\" could not be written: %2")
                            .arg(entry.second.file->fileName(), entry.second.file->errorString()));
        if (written)
            *written << entry.second.file->fileName();
    }
    return true;
}

} // namespace Analysis
} // namespace Model
