#include "processdata.h"

#include "stepregistry.h"

#include "Util/vector3d.h"

#include <QAtomicInt>
#include <QtDebug>

namespace Core {
namespace Steps {

namespace {

QAtomicInt serialCounter(0);

// Registered once so that QVariant::typeName() of a mask reads the same everywhere.
const int maskTypeId = qRegisterMetaType<std::vector<bool>>("std::vector<bool>");

} // namespace

ProcessData::ProcessData(int type) : m_serial(serialCounter.fetchAndAddOrdered(1)), m_type(type) {}

ProcessData::ProcessData(int type, const Parameters &parameters, const Visibilities &visibility)
    : m_serial(serialCounter.fetchAndAddOrdered(1)), m_type(type), m_parameters(parameters),
      m_visibility(visibility)
{
}

QVariant ProcessData::getProcessParameter(const QString &name) const
{
    const Parameters::const_iterator found = m_parameters.constFind(name);
    if (found == m_parameters.constEnd()) {
        qDebug() << "Core/Steps/processdata" << "Core::Steps::ProcessData::getProcessParameter"
                 << "parameter not found:" << name;
        return QVariant();
    }
    return found.value();
}

bool ProcessData::getParameterVisibility(const QString &name) const
{
    const Visibilities::const_iterator found = m_visibility.constFind(name);
    if (found == m_visibility.constEnd()) {
        qDebug() << "Core/Steps/processdata" << "Core::Steps::ProcessData::getParameterVisibility"
                 << "parameter not found:" << name;
        return false;
    }
    return found.value();
}

void ProcessData::setParameter(const QString &name, const QVariant &value, bool visible)
{
    m_parameters.insert(name, value);
    m_visibility.insert(name, visible);
}

void ProcessData::setParameterValue(const QString &name, const QVariant &value)
{
    m_parameters.insert(name, value);
    if (!m_visibility.contains(name))
        m_visibility.insert(name, true);
}

void ProcessData::removeParameter(const QString &name)
{
    m_parameters.remove(name);
    m_visibility.remove(name);
}

void ProcessData::setMaterial(const QString &base, unsigned id, const QString &name, const QColor &color,
                              bool idVisible)
{
    setParameter(base + QStringLiteral("_Id"), QVariant(id), idVisible);
    setParameter(base, QVariant(name), true);
    setParameter(base + QStringLiteral("_Color"), QVariant(color), false);
}

QString ProcessData::displayName(int type)
{
    const StepDefinition *definition = StepRegistry::instance().ofType(type);
    return definition ? definition->name : QStringLiteral("Unknown process");
}

QString ProcessData::kindName(const QVariant &value)
{
    const int id = value.userType();
    switch (id) {
    case QMetaType::Bool:
        return QStringLiteral("bool");
    case QMetaType::Float:
        return QStringLiteral("float");
    case QMetaType::Double:
        return QStringLiteral("double");
    case QMetaType::Int:
        return QStringLiteral("int");
    case QMetaType::UInt:
        return QStringLiteral("uint");
    case QMetaType::QString:
        return QStringLiteral("QString");
    case QMetaType::QColor:
        return QStringLiteral("QColor");
    default:
        break;
    }
    if (id == maskTypeId)
        return QStringLiteral("vector");
    if (id == qMetaTypeId<Util::Vector3D>())
        return QStringLiteral("Util::Vector3D");
    return QString();
}

} // namespace Steps
} // namespace Core
