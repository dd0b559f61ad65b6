#include "maskimage.h"

#include <QImage>
#include <QImageReader>

namespace Core {
namespace Operations {

MaskImage MaskImage::fromImage(const QImage &image)
{
    MaskImage mask;
    if (image.isNull())
        return mask;
    const QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
    const unsigned w = unsigned(rgb.width()), h = unsigned(rgb.height());
    mask.width = w;
    mask.height = h;
    mask.bits.assign(size_t(w) * h, false);
    for (unsigned j = 0; j < h; ++j) {
        const QRgb *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(int(j)));
        for (unsigned i = 0; i < w; ++i) {
            const QRgb p = line[i];
            if (p == qRgba(255, 0, 0, 255) || p == qRgba(0, 0, 0, 255))
                mask.bits[size_t(i) * h + (h - 1 - j)] = true;
        }
    }
    return mask;
}

bool MaskImage::load(const QString &fileName, MaskImage &out)
{
    if (fileName.isEmpty())
        return false;
    QImageReader reader(fileName);
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    out = fromImage(image);
    return true;
}

std::vector<uint8_t> MaskImage::columnGrid(const std::vector<bool> &bits, unsigned width, unsigned height,
                                           unsigned sizeX, unsigned sizeY)
{
    std::vector<uint8_t> grid(size_t(sizeX) * sizeY, 0);
    if (bits.size() != uint64_t(width) * height)
        return grid;
    const unsigned xs = std::min(sizeX, width), ys = std::min(sizeY, height);
    for (unsigned x = 0; x < xs; ++x)
        for (unsigned y = 0; y < ys; ++y)
            grid[size_t(x) * sizeY + y] = bits[size_t(x) * height + y] ? 1 : 0;
    return grid;
}

} // namespace Operations
} // namespace Core
