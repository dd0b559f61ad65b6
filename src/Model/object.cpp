#include "object.h"

#include "Util/defaultcolors.h"

#include <atomic>

namespace Model {

int Object::nextId()
{
    // Objects are created by worker threads too (document loading in a batch run).
    static std::atomic<int> counter{0};
    return ++counter;
}

Object::Object()
    : m_color(Util::DefaultColors::color(Util::DefaultColors::ObjectColor, 0)),
      m_outlineColor(Util::DefaultColors::color(Util::DefaultColors::OutlineColor, 0)),
      m_id(nextId())
{
}

Object::Object(const Object &other)
    : m_color(other.m_color), m_outlineColor(other.m_outlineColor), m_id(nextId())
{
}

Object::~Object() = default;

Util::Vector4D Object::getColor() const { return m_color; }

Util::Vector3D Object::getOutlineColor() const { return Util::Vector3D(m_outlineColor); }

void Object::setColor(const Util::Vector4D &color) { m_color = color; }

void Object::setOutlineColor(const Util::Vector4D &color) { m_outlineColor = color; }

void Object::setSelected(bool selected) { m_selected = selected; }

bool Object::isSelected() const { return m_selected; }

} // namespace Model
