#include "processlistfile.h"

#include "Core/Operations/Document/materialreconciler.h"
#include "Model/Materials/materialfactory.h"
#include "Util/filenames.h"
#include "Util/vector3d.h"
#include "Util/xmltokenguard.h"

#include <QColor>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtDebug>

#include <charconv>

namespace Core {
namespace Operations {

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Core::Steps::ProcessData;
using Core::Steps::ProcessList;

namespace {

// Shortest text that reads back to the same number.
template <typename T> QString shortestNumber(T value)
{
    char buffer[64];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

// Moves to the next start element; false at the end of the document or on an error.
bool nextStartElement(QXmlStreamReader &reader)
{
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return true;
    }
    return false;
}

QString attribute(const QXmlStreamReader &reader, const char *name)
{
    return reader.attributes().value(QLatin1String(name)).toString();
}

// A number kind read from text; text that is no number is kept as text, so a
// run reports the value as invalid rather than missing.
QVariant numberFromText(const QString &text, int type)
{
    QVariant value(text);
    if (value.convert(type))
        return value;
    return QVariant(text);
}

struct Rename
{
    const char *oldName;
    const char *newName;
};

// Names written before the list format had a version, by process type.
QList<Rename> renamesFor(int type)
{
    switch (type) {
    case ProcessData::Photolithography:
    case ProcessData::MooreDeposition:
    case ProcessData::MooreEtching:
    case ProcessData::Cvd:
    case ProcessData::IsotropicEtching:
    case ProcessData::SpinCoating:
    case ProcessData::CreateSubstrate:
    case ProcessData::Pvd:
    case ProcessData::SimpleRie:
    case ProcessData::IsotropicDeposition:
    case ProcessData::AnisotropicDeposition:
    case ProcessData::AnisotropicEtching:
        return {{"MaterialId", "Material_Id"}};
    case ProcessData::Electroplating:
        return {{"ConductingMaterialId", "Conducting Material_Id"}, {"DepositedMaterialId", "Deposited Material_Id"}};
    case ProcessData::Doping:
    case ProcessData::IonImplantation:
        return {{"DopedMaterialId", "Doped Material_Id"}};
    default:
        return {};
    }
}

ProcessData readStep(QXmlStreamReader &reader, bool &haveElement)
{
    const int type = attribute(reader, "process-type").toInt();
    ProcessData::Parameters parameters;
    ProcessData::Visibilities visibility;
    haveElement = nextStartElement(reader);
    while (haveElement && reader.name() == QLatin1String("Parameter")) {
        const QString name = attribute(reader, "parameter-name");
        const QString visible = attribute(reader, "parameter-visibility");
        parameters.insert(name, ProcessListFile::valueFromText(attribute(reader, "parameter-type"),
                                                               attribute(reader, "parameter-data")));
        visibility.insert(name, visible.isEmpty() || visible == QLatin1String("true"));
        haveElement = nextStartElement(reader);
    }
    return ProcessData(type, parameters, visibility);
}

void readMaterials(QXmlStreamReader &reader, MaterialReconciler::MaterialMap &map, IListConflictResolver *resolver)
{
    const MaterialReconciler::ConflictSettler settle = [&map, resolver](const Material &existing,
                                                                        const Material &loaded) {
        ConflictChoice choice = ConflictChoice::AddLoadedAsNew;
        unsigned alternateId = 0;
        return resolver && resolver->resolve(existing, loaded, choice, alternateId) &&
               MaterialReconciler::applyChoice(choice, existing, loaded, alternateId, map);
    };
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("Material"))
            MaterialReconciler::reconcileInto(MaterialFactory::readMaterial(reader), map, settle);
        reader.skipCurrentElement();
    }
}

} // namespace

QString ProcessListFile::upgradeText()
{
    return QStringLiteral("The process list you loaded is in an old format. It has been updated automatically. We "
                          "recommend you save this updated version.");
}

QString ProcessListFile::valueText(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Float:
        return shortestNumber(value.toFloat());
    case QMetaType::Double:
        return shortestNumber(value.toDouble());
    case QMetaType::QColor: {
        const QColor color = value.value<QColor>();
        return color.name(color.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
    }
    default:
        break;
    }
    if (value.userType() == qMetaTypeId<std::vector<bool>>()) {
        const std::vector<bool> bits = value.value<std::vector<bool>>();
        QString text(int(bits.size()), QLatin1Char('0'));
        for (size_t i = 0; i < bits.size(); ++i) {
            if (bits[i])
                text[int(i)] = QLatin1Char('1');
        }
        return text;
    }
    if (value.userType() == qMetaTypeId<Util::Vector3D>()) {
        const Util::Vector3D v = value.value<Util::Vector3D>();
        return QStringLiteral("%1;%2;%3")
            .arg(QString::number(v.x, 'g', 10), QString::number(v.y, 'g', 10), QString::number(v.z, 'g', 10));
    }
    return value.toString();
}

QVariant ProcessListFile::valueFromText(const QString &kind, const QString &text)
{
    if (kind == QLatin1String("bool"))
        return QVariant(QVariant(text).toBool());
    if (kind == QLatin1String("float"))
        return numberFromText(text, QMetaType::Float);
    if (kind == QLatin1String("double"))
        return numberFromText(text, QMetaType::Double);
    if (kind == QLatin1String("int"))
        return numberFromText(text, QMetaType::Int);
    if (kind == QLatin1String("uint"))
        return numberFromText(text, QMetaType::UInt);
    if (kind == QLatin1String("QString"))
        return QVariant(text);
    if (kind == QLatin1String("QColor"))
        return QVariant(QColor(text));
    if (kind == QLatin1String("vector")) {
        std::vector<bool> bits(size_t(text.size()));
        for (int i = 0; i < text.size(); ++i)
            bits[size_t(i)] = text.at(i) == QLatin1Char('1');
        return QVariant::fromValue(bits);
    }
    if (kind == QLatin1String("Util::Vector3D")) {
        if (text.isEmpty())
            return QVariant::fromValue(Util::Vector3D());
        const QStringList pieces = text.split(QLatin1Char(';'));
        double xyz[3] = {0.0, 0.0, 0.0};
        for (int i = 0; i < 3 && i < pieces.size(); ++i)
            xyz[i] = pieces.at(i).trimmed().toDouble();
        return QVariant::fromValue(Util::Vector3D(xyz[0], xyz[1], xyz[2]));
    }
    return QVariant();
}

QString ProcessListFile::withExtension(const QString &fileName) { return Util::withExtension(fileName, extension()); }

bool ProcessListFile::save(const ProcessList &list, const QString &fileName, QString *error)
{
    // Written beside the old file and renamed over it only when complete, so a
    // failed save keeps the previous list.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("The process list \"%1\" cannot be written: %2").arg(fileName, file.errorString());
        return false;
    }
    QXmlStreamWriter writer(&file);
    writer.setAutoFormatting(true);
    writer.writeStartDocument(QStringLiteral("1.0"));
    writer.writeStartElement(QStringLiteral("Process-List"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));

    writer.writeStartElement(QStringLiteral("Materials"));
    for (const Material &material : MaterialFactory::instance()->getMaterials())
        MaterialFactory::writeMaterial(writer, material);
    writer.writeEndElement();

    for (const ProcessData &step : list) {
        writer.writeStartElement(QStringLiteral("Process-Data"));
        writer.writeAttribute(QStringLiteral("process-type"), QString::number(step.getType()));
        const ProcessData::Parameters &parameters = step.getParameters();
        for (ProcessData::Parameters::const_iterator it = parameters.constBegin(); it != parameters.constEnd(); ++it) {
            const QString kind = ProcessData::kindName(it.value());
            if (kind.isEmpty()) {
                // A value of a kind the format cannot hold (read from an unknown kind) is not written.
                qDebug() << "Core/Operations/BatchRun/processlistfile" << Q_FUNC_INFO << "parameter not written:"
                         << it.key();
                continue;
            }
            writer.writeEmptyElement(QStringLiteral("Parameter"));
            writer.writeAttribute(QStringLiteral("parameter-name"), it.key());
            writer.writeAttribute(QStringLiteral("parameter-type"), kind);
            writer.writeAttribute(QStringLiteral("parameter-data"), valueText(it.value()));
            writer.writeAttribute(QStringLiteral("parameter-visibility"),
                                  step.getVisibilities().value(it.key(), true) ? QStringLiteral("true")
                                                                               : QStringLiteral("false"));
        }
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();

    // Closing the file inside commit() forgets why writing failed, so the
    // buffered rest is written first while the reason can still be read.
    QString reason;
    if (writer.hasError() || !file.flush()) {
        reason = file.errorString();
        file.cancelWriting();
    } else if (!file.commit()) {
        reason = file.errorString();
    } else {
        return true;
    }
    if (reason.isEmpty())
        reason = QStringLiteral("the file system gave no reason");
    if (error)
        *error = QStringLiteral("The process list \"%1\" could not be written completely: %2").arg(fileName, reason);
    return false;
}

bool ProcessListFile::load(const QString &fileName, LoadResult &result, IListConflictResolver *resolver)
{
    result = LoadResult();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        result.error = QStringLiteral("The process list \"%1\" cannot be opened: %2").arg(fileName, file.errorString());
        return false;
    }
    QXmlStreamReader reader;
    const Util::XmlTokenGuard guard(&file, reader);
    bool found = false;
    while (nextStartElement(reader)) {
        if (reader.name() == QLatin1String("Process-List")) {
            found = true;
            break;
        }
    }
    if (!found) {
        result.error = reader.hasError()
                           ? QStringLiteral("The process list \"%1\" is not valid XML: %2 (line %3)")
                                 .arg(fileName, reader.errorString())
                                 .arg(reader.lineNumber())
                           : QStringLiteral("\"%1\" is not a process list.").arg(fileName);
        return false;
    }
    result.version = attribute(reader, "version").toInt();

    MaterialReconciler::MaterialMap map;
    ProcessList list;
    bool haveElement = nextStartElement(reader);
    if (haveElement && reader.name() == QLatin1String("Materials")) {
        readMaterials(reader, map, resolver);
        haveElement = nextStartElement(reader);
    }
    while (haveElement) {
        if (reader.name() == QLatin1String("Process-Data"))
            list.append(readStep(reader, haveElement));
        else
            haveElement = nextStartElement(reader);
    }
    if (reader.hasError()) {
        result.error = QStringLiteral("The process list \"%1\" is not valid XML: %2 (line %3)")
                           .arg(fileName, reader.errorString())
                           .arg(reader.lineNumber());
        return false;
    }

    if (result.version < 1)
        result.upgraded = upgradeOldNames(list);
    refreshMaterials(list, map);
    result.list = list;
    return true;
}

bool ProcessListFile::upgradeOldNames(ProcessList &list)
{
    bool renamed = false;
    ProcessList rebuilt;
    for (const ProcessData &step : list) {
        const QList<Rename> renames = renamesFor(step.getType());
        if (renames.isEmpty()) {
            rebuilt.append(step);
            continue;
        }
        ProcessData::Parameters parameters;
        ProcessData::Visibilities visibility;
        const ProcessData::Parameters &old = step.getParameters();
        for (ProcessData::Parameters::const_iterator it = old.constBegin(); it != old.constEnd(); ++it) {
            QString name = it.key();
            for (const Rename &rename : renames) {
                if (name == QLatin1String(rename.oldName)) {
                    name = QLatin1String(rename.newName);
                    renamed = true;
                }
            }
            parameters.insert(name, it.value());
            visibility.insert(name, step.getVisibilities().value(it.key(), true));
        }
        rebuilt.append(ProcessData(step.getType(), parameters, visibility));
    }
    if (renamed)
        list = rebuilt;
    return renamed;
}

void ProcessListFile::refreshMaterials(ProcessList &list, const QMap<unsigned, unsigned> &map)
{
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    const QString suffix = QStringLiteral("_Id");
    for (ProcessData &step : list) {
        const QStringList names = step.getParameters().keys();
        for (const QString &name : names) {
            if (!name.endsWith(suffix))
                continue;
            const unsigned stored = step.getParameters().value(name).toUInt();
            const Material material = catalogue->getMaterial(map.value(stored, stored));
            const Util::Vector4D color = material.getColor();
            step.setMaterial(name.left(name.size() - suffix.size()), material.getId(), material.getName(),
                             QColor::fromRgbF(qBound(0.0, double(color.x), 1.0), qBound(0.0, double(color.y), 1.0),
                                              qBound(0.0, double(color.z), 1.0), qBound(0.0, double(color.w), 1.0)));
        }
    }
}

} // namespace Operations
} // namespace Core
