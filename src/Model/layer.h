#pragma once

#include <boost/shared_ptr.hpp>

#include <QList>

namespace Model {

class Object;

// A numbered group of scene objects in insertion order.
class Layer
{
public:
    explicit Layer(int number = 0) : m_number(number) {}

    int getNumber() const { return m_number; }
    QList<boost::shared_ptr<Object>> &objects() { return m_objects; }
    const QList<boost::shared_ptr<Object>> &objects() const { return m_objects; }

private:
    int m_number;
    QList<boost::shared_ptr<Object>> m_objects;
};

} // namespace Model
