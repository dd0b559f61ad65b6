#pragma once

#include <QColor>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

#include <vector>

namespace Core {
namespace Steps {

// One step of a process list: the process type and the values its option
// dialog collected, with which of them the batch dialog shows. Copies keep the
// serial; every newly constructed step takes the next one.
class ProcessData
{
public:
    enum Type {
        Photolithography = 0,
        SiWetEtching = 1,
        MooreDeposition = 2,
        MooreEtching = 3,
        Cvd = 4,
        IsotropicEtching = 5,
        Planarization = 6,
        Electroplating = 7,
        Doping = 8,
        SpinCoating = 9,
        SaveImage = 10,
        CreateSubstrate = 11,
        Pvd = 12,
        SimpleRie = 13,
        IonImplantation = 14,
        SiOxidation = 15,
        IsotropicDeposition = 16,
        AnisotropicDeposition = 17,
        AnisotropicEtching = 18,
        RandomWalkDoping = 19,
        SputterDeposition = 20,
        IonEnhancedEtching = 21,
        BoschDrie = 22,
        DopantImplant = 23,
        DopantAnneal = 24,
        AnisotropicWetEtch = 25
    };

    // QString's operator< compares UTF-16 code units, the order the file keeps.
    typedef QMap<QString, QVariant> Parameters;
    typedef QMap<QString, bool> Visibilities;

    explicit ProcessData(int type = -1);
    ProcessData(int type, const Parameters &parameters, const Visibilities &visibility);

    int getSerial() const { return m_serial; }
    int getType() const { return m_type; }
    void setType(int type) { m_type = type; }

    // An invalid value, and a line in the debug log, when the step lacks name.
    QVariant getProcessParameter(const QString &name) const;
    // False, and a line in the debug log, when the step lacks name.
    bool getParameterVisibility(const QString &name) const;
    void setParameter(const QString &name, const QVariant &value, bool visible);
    // Replaces the value and keeps the visibility (visible when new).
    void setParameterValue(const QString &name, const QVariant &value);
    bool hasParameter(const QString &name) const { return m_parameters.contains(name); }
    void removeParameter(const QString &name);

    // The material triple: base + "_Id" (hidden unless idVisible), base (the
    // name, visible) and base + "_Color" (hidden).
    void setMaterial(const QString &base, unsigned id, const QString &name, const QColor &color,
                     bool idVisible = false);

    const Parameters &getParameters() const { return m_parameters; }
    const Visibilities &getVisibilities() const { return m_visibility; }

    bool isExpanded() const { return m_expanded; }
    void setExpanded(bool expanded) { m_expanded = expanded; }

    QString displayName() const { return displayName(m_type); }
    // The step's list name; "Unknown process" for a type no step has.
    static QString displayName(int type);

    // The name of a value's kind in a process-list file ("vector",
    // "Util::Vector3D", "QColor" ...); empty for a kind the file cannot hold.
    static QString kindName(const QVariant &value);

private:
    int m_serial;
    int m_type;
    Parameters m_parameters;
    Visibilities m_visibility;
    bool m_expanded = false;
};

typedef QList<ProcessData> ProcessList;

} // namespace Steps
} // namespace Core

Q_DECLARE_METATYPE(std::vector<bool>)
