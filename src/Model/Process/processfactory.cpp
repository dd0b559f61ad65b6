#include "processfactory.h"

#include "Model/Materials/cataloguefile.h"
#include "Model/Materials/materialfactory.h"

#include <QDebug>
#include <QFile>
#include <QMutexLocker>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace Model {
namespace Process {

using Materials::CatalogueFile;

namespace {

QList<unsigned> idRange(unsigned first, unsigned last)
{
    QList<unsigned> ids;
    for (unsigned id = first; id <= last; ++id)
        ids.append(id);
    return ids;
}

} // namespace

ProcessFactory::ProcessFactory() : m_processes(defaultProcesses()) {}

boost::shared_ptr<ProcessFactory> ProcessFactory::instance()
{
    static const boost::shared_ptr<ProcessFactory> factory(new ProcessFactory);
    return factory;
}

boost::shared_ptr<ProcessFactory> ProcessFactory::initialize()
{
    boost::shared_ptr<ProcessFactory> factory = instance();
    if (factory->loadProcesses()) {
        factory->mergeDefaultProcesses();
        factory->saveProcesses();
    } else {
        factory->setDefaultProcesses();
        if (CatalogueFile::keepBeforeReplacing(fileName()))
            factory->saveProcesses();
    }
    return factory;
}

void initializeCatalogues()
{
    Materials::MaterialFactory::initialize();
    ProcessFactory::initialize();
}

QMap<unsigned, ProcessInfo> ProcessFactory::defaultProcesses()
{
    const QList<unsigned> doping = {1, 14, 15, 16};
    const QList<unsigned> siAndFilms = QList<unsigned>{1} + idRange(3, 13);
    const QList<unsigned> siAndAll = QList<unsigned>{1} + idRange(3, 16);
    const ProcessInfo table[] = {
        ProcessInfo(1, QStringLiteral("Si Wet Etching"), {1}),
        ProcessInfo(2, QStringLiteral("DRIE"), {1}),
        ProcessInfo(3, QStringLiteral("CVD"), {3, 16}),
        ProcessInfo(4, QStringLiteral("PVD"), idRange(4, 10)),
        ProcessInfo(5, QStringLiteral("Film Etching"), idRange(3, 13)),
        ProcessInfo(6, QStringLiteral("Photolithography"), idRange(3, 13)),
        ProcessInfo(7, QStringLiteral("Planarization")),
        ProcessInfo(8, QStringLiteral("Spin Coating / Soft Lithography"), {11, 12, 13}),
        ProcessInfo(9, QStringLiteral("Isotropic Deposition"), idRange(3, 10)),
        ProcessInfo(10, QStringLiteral("Isotropic Etching"), siAndFilms),
        ProcessInfo(11, QStringLiteral("Electroplating"), idRange(4, 10)),
        ProcessInfo(12, QStringLiteral("Simple Si Oxidation"), doping),
        ProcessInfo(13, QStringLiteral("Simple Doping"), doping),
        ProcessInfo(14, QStringLiteral("Ion Implantation"), doping),
        ProcessInfo(15, QStringLiteral("Ion Implantation"), doping),
        ProcessInfo(16, QStringLiteral("Anisotropic Deposition"), siAndAll),
        ProcessInfo(17, QStringLiteral("Anisotropic Etching"), siAndAll),
        ProcessInfo(18, QStringLiteral("Isotropic Deposition"), siAndAll),
    };
    QMap<unsigned, ProcessInfo> processes;
    for (const ProcessInfo &p : table)
        processes.insert(p.getId(), p);
    return processes;
}

void ProcessFactory::setDefaultProcesses()
{
    QMutexLocker lock(&m_mutex);
    m_processes = defaultProcesses();
}

void ProcessFactory::mergeDefaultProcesses()
{
    QMutexLocker lock(&m_mutex);
    const QMap<unsigned, ProcessInfo> defaults = defaultProcesses();
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        if (!m_processes.contains(it.key()))
            m_processes.insert(it.key(), it.value());
}

QString ProcessFactory::idsToString(const QList<unsigned> &ids)
{
    QStringList pieces;
    for (unsigned id : ids)
        pieces.append(QString::number(id));
    return pieces.join(QLatin1Char(';'));
}

QList<unsigned> ProcessFactory::idsFromString(const QString &text)
{
    QList<unsigned> ids;
    const QStringList pieces = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        bool ok = false;
        const unsigned id = piece.toUInt(&ok, 10);
        if (ok)
            ids.append(id);
    }
    return ids;
}

// Reads the process whose start element the reader stands on. An invalid one
// comes back empty and its children are left to the caller's scan, which
// ignores anything that is not a "Process".
ProcessInfo ProcessFactory::readProcess(QXmlStreamReader &reader)
{
    if (reader.name() != QLatin1String("Process"))
        return ProcessInfo();
    const QXmlStreamAttributes attributes = reader.attributes();
    bool ok = true;
    unsigned id = 0;
    if (attributes.hasAttribute(QLatin1String("process-id"))) {
        bool idOk = false;
        id = attributes.value(QLatin1String("process-id")).toUInt(&idOk, 10);
        ok = ok && idOk;
    }
    if (attributes.hasAttribute(QLatin1String("version"))) {
        bool versionOk = false;
        attributes.value(QLatin1String("version")).toUInt(&versionOk, 10);
        ok = ok && versionOk;
    }
    const QString name = attributes.value(QLatin1String("name")).toString();
    if (!ok || id == 0 || name.isEmpty())
        return ProcessInfo();

    ProcessInfo process(id, name);
    // The list is the first child element "CompatibleMaterials"; the scan stops
    // at the end of this "Process" so a following process is never swallowed.
    bool listRead = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == QLatin1String("Process"))
            break;
        if (!reader.isStartElement())
            continue;
        if (!listRead && reader.name() == QLatin1String("CompatibleMaterials")) {
            process.setCompatibleMaterialIds(
                idsFromString(reader.readElementText(QXmlStreamReader::SkipChildElements)));
            listRead = true;
        } else {
            reader.skipCurrentElement();
        }
    }
    if (reader.hasError())
        return ProcessInfo();
    return process;
}

bool ProcessFactory::loadProcesses()
{
    QMutexLocker lock(&m_mutex);
    // Parsed into a scratch map so that a broken file leaves the catalogue as it was.
    QMap<unsigned, ProcessInfo> loaded;
    const bool ok = CatalogueFile::read(fileName(), QStringLiteral("Processes"), "Model/Process/processfactory", Q_FUNC_INFO,
                                        [this, &loaded](QXmlStreamReader &reader) {
                                            const ProcessInfo item = readProcess(reader);
                                            if (!item.isEmpty())
                                                loaded.insert(item.getId(), item);
                                        });
    if (!ok)
        return false;
    m_processes = loaded;
    return true;
}

bool ProcessFactory::saveProcesses()
{
    QMutexLocker lock(&m_mutex);
    const QMap<unsigned, ProcessInfo> &processes = m_processes;
    return CatalogueFile::write(fileName(), [&processes](QXmlStreamWriter &writer) {
        writer.writeStartElement(QStringLiteral("Processes"));
        for (const ProcessInfo &p : processes) {
            writer.writeStartElement(QStringLiteral("Process"));
            writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
            writer.writeAttribute(QStringLiteral("name"), p.getName());
            writer.writeAttribute(QStringLiteral("process-id"), QString::number(p.getId()));
            writer.writeTextElement(QStringLiteral("CompatibleMaterials"), idsToString(p.getCompatibleMaterialIds()));
            writer.writeEndElement();
        }
        writer.writeEndElement();
    });
}

ProcessInfo ProcessFactory::getProcess(unsigned id) const
{
    QMutexLocker lock(&m_mutex);
    return m_processes.value(id, ProcessInfo());
}

QList<ProcessInfo> ProcessFactory::getProcesses() const
{
    QMutexLocker lock(&m_mutex);
    return m_processes.values();
}

bool ProcessFactory::setProcess(const ProcessInfo &process)
{
    if (process.getId() == 0)
        return false;
    QMutexLocker lock(&m_mutex);
    m_processes.insert(process.getId(), process);
    return true;
}

} // namespace Process
} // namespace Model
