#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class QImage;

namespace Core {
namespace Operations {

// A mask over the volume's x-y columns, read from an image: width columns
// along x, height rows along y, bit x * height + y. A 1 bit is opaque (blocks
// light, protects the column); a 0 bit is transparent.
struct MaskImage
{
    std::vector<bool> bits;
    unsigned width = 0;
    unsigned height = 0;

    bool isEmpty() const { return width == 0 || height == 0; }

    // Opaque pure red or opaque pure black pixels are 1; the image's top row
    // lies at the largest y.
    static MaskImage fromImage(const QImage &image);
    // False, and out unchanged, when the file cannot be read as an image.
    static bool load(const QString &fileName, MaskImage &out);

    // One byte per volume column (x, y) at x * sizeY + y: the mask bit inside
    // the image, 0 (transparent) outside it, and 0 everywhere when the bit
    // count does not match width * height.
    static std::vector<uint8_t> columnGrid(const std::vector<bool> &bits, unsigned width, unsigned height,
                                           unsigned sizeX, unsigned sizeY);
};

} // namespace Operations
} // namespace Core
