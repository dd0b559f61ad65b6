#pragma once

#include "vector4d.h"

#include <QString>

namespace Util {

// The nine named default colours with three schemes each. The active scheme is
// process-wide: 0 at start, 1 the low-colour scheme, 2 what the colours dialog stored.
class DefaultColors
{
public:
    enum Role {
        ObjectColor = 0,
        OutlineColor = 1,
        GridColor = 2,
        BackgroundColor = 3,
        SubstrateObjectColor = 4,
        SubstrateOutlineColor = 5,
        ConsoleBackgroundColor = 6,
        ConsoleTextColor = 7,
        ObjectTemporaryColor = 8
    };
    static constexpr int RoleCount = 9;
    static constexpr int SchemeCount = 3;

    static QString name(int role);
    static Vector4D color(int role, int scheme);
    // Colour of a role in the active scheme.
    static Vector4D color(int role);
    static void setColor(int role, int scheme, const Vector4D &value);

    static int activeScheme();
    static void setActiveScheme(int scheme);
};

} // namespace Util
