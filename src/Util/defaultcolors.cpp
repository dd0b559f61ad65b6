#include "defaultcolors.h"

#include <QMutex>
#include <QMutexLocker>

#include <array>

namespace Util {

namespace {

struct Table
{
    QMutex mutex;
    int active = 0;
    std::array<std::array<Vector4D, DefaultColors::SchemeCount>, DefaultColors::RoleCount> colors{{
        {{Vector4D(0, 0, 0, 1), Vector4D(1, 1, 1, 1), Vector4D(1, 0, 0, 1)}},
        {{Vector4D(1, 1, 1, 1), Vector4D(0, 0, 0, 1), Vector4D(1, 1, 1, 1)}},
        {{Vector4D(0.4, 0.4, 0.4, 1), Vector4D(0.4, 0.4, 0.4, 1), Vector4D(0.4, 0.4, 0.4, 1)}},
        {{Vector4D(0, 0, 0, 0), Vector4D(1, 1, 1, 0), Vector4D(0, 0, 0, 0)}},
        {{Vector4D(0.4, 0.4, 0.4, 1), Vector4D(0.4, 0.4, 0.4, 1), Vector4D(0.4, 0.4, 0.4, 1)}},
        {{Vector4D(0.6, 0.6, 0.6, 1), Vector4D(0.6, 0.6, 0.6, 1), Vector4D(0.6, 0.6, 0.6, 1)}},
        {{Vector4D(1, 1, 1, 1), Vector4D(0, 0, 0, 1), Vector4D(1, 1, 1, 1)}},
        {{Vector4D(0, 0, 0, 1), Vector4D(1, 1, 1, 1), Vector4D(0, 0, 0, 1)}},
        {{Vector4D(1, 1, 1, 1), Vector4D(0, 0, 0, 1), Vector4D(1, 1, 1, 1)}},
    }};
};

Table &table()
{
    static Table t;
    return t;
}

const char *const roleNames[DefaultColors::RoleCount] = {
    "Object Color",           "Outline Color",     "Grid Color",
    "Background Color",       "Substrate Object Color", "Substrate Outline Color",
    "Console Background Color", "Console Text Color", "Object Temporary Color"};

bool validRole(int role) { return role >= 0 && role < DefaultColors::RoleCount; }
bool validScheme(int scheme) { return scheme >= 0 && scheme < DefaultColors::SchemeCount; }

} // namespace

QString DefaultColors::name(int role)
{
    return validRole(role) ? QString::fromLatin1(roleNames[role]) : QString();
}

Vector4D DefaultColors::color(int role, int scheme)
{
    if (!validRole(role) || !validScheme(scheme))
        return Vector4D();
    Table &t = table();
    QMutexLocker lock(&t.mutex);
    return t.colors[role][scheme];
}

Vector4D DefaultColors::color(int role) { return color(role, activeScheme()); }

void DefaultColors::setColor(int role, int scheme, const Vector4D &value)
{
    if (!validRole(role) || !validScheme(scheme))
        return;
    Table &t = table();
    QMutexLocker lock(&t.mutex);
    t.colors[role][scheme] = value;
}

int DefaultColors::activeScheme()
{
    Table &t = table();
    QMutexLocker lock(&t.mutex);
    return t.active;
}

void DefaultColors::setActiveScheme(int scheme)
{
    if (!validScheme(scheme))
        return;
    Table &t = table();
    QMutexLocker lock(&t.mutex);
    t.active = scheme;
}

} // namespace Util
