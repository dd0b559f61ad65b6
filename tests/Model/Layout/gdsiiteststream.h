#pragma once

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

// Writes GDSII stream records by hand, for layouts no writer would produce
// (cycles, huge arrays, damage). Database unit 1 nm, user unit 1 µm.

class GdsiiStream
{
public:
    GdsiiStream()
    {
        record(0x00, 2, int16s({600}));
        record(0x01, 2, int16s(std::vector<int>(12, 1)));
        record(0x02, 6, "LIB");
        // 1e-3 user units and 1e-9 m per database unit, as excess-64 base-16 reals.
        record(0x03, 5, real8(1e-3) + real8(1e-9));
    }
    GdsiiStream &begin(const std::string &name)
    {
        record(0x05, 2, int16s(std::vector<int>(12, 1)));
        record(0x06, 6, name);
        return *this;
    }
    GdsiiStream &end()
    {
        record(0x07, 0, std::string());
        return *this;
    }
    GdsiiStream &box(int layer, int x0, int y0, int x1, int y1)
    {
        record(0x08, 0, std::string());
        record(0x0D, 2, int16s({layer}));
        record(0x0E, 2, int16s({0}));
        record(0x10, 3, int32s({x0, y0, x1, y0, x1, y1, x0, y1, x0, y0}));
        record(0x11, 0, std::string());
        return *this;
    }
    // A boundary through the points (x0, y0, x1, y1, ...); the closing point is added.
    GdsiiStream &polygon(int layer, std::vector<int> xy)
    {
        xy.push_back(xy[0]);
        xy.push_back(xy[1]);
        record(0x08, 0, std::string());
        record(0x0D, 2, int16s({layer}));
        record(0x0E, 2, int16s({0}));
        record(0x10, 3, int32s(xy));
        record(0x11, 0, std::string());
        return *this;
    }
    GdsiiStream &reference(const std::string &name, int x, int y)
    {
        record(0x0A, 0, std::string());
        record(0x12, 6, name);
        record(0x10, 3, int32s({x, y}));
        record(0x11, 0, std::string());
        return *this;
    }
    GdsiiStream &array(const std::string &name, int columns, int rows, int pitch)
    {
        record(0x0B, 0, std::string());
        record(0x12, 6, name);
        record(0x13, 2, int16s({columns, rows}));
        record(0x10, 3, int32s({0, 0, columns * pitch, 0, 0, rows * pitch}));
        record(0x11, 0, std::string());
        return *this;
    }
    QByteArray finish()
    {
        record(0x04, 0, std::string());
        return m_bytes;
    }
    void record(int type, int dataType, std::string payload)
    {
        if (payload.size() % 2)
            payload.push_back('\0');
        const size_t length = payload.size() + 4;
        m_bytes.append(char(length >> 8)).append(char(length & 0xff)).append(char(type)).append(char(dataType));
        m_bytes.append(payload.data(), int(payload.size()));
    }

private:
    static std::string int16s(const std::vector<int> &values)
    {
        std::string s;
        for (int v : values)
            s += {char((v >> 8) & 0xff), char(v & 0xff)};
        return s;
    }
    static std::string int32s(const std::vector<int> &values)
    {
        std::string s;
        for (int v : values)
            s += {char((v >> 24) & 0xff), char((v >> 16) & 0xff), char((v >> 8) & 0xff), char(v & 0xff)};
        return s;
    }
    static std::string real8(double value)
    {
        int exponent = 64;
        while (value >= 1) {
            value /= 16;
            ++exponent;
        }
        while (value < 1.0 / 16) {
            value *= 16;
            --exponent;
        }
        uint64_t mantissa = uint64_t(std::ldexp(value, 56) + 0.5);
        std::string s(1, char(exponent));
        for (int i = 6; i >= 0; --i)
            s += char((mantissa >> (8 * i)) & 0xff);
        return s;
    }
    QByteArray m_bytes;
};

} // namespace TestSupport
