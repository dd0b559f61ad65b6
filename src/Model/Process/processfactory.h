#pragma once

#include "processinfo.h"

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>

class QXmlStreamReader;

namespace Model {
namespace Process {

// The process-wide process catalogue: process ids, names and compatible
// materials. Every operation takes the catalogue mutex and returns copies.
//
// instance() alone never touches the disk: it starts with the built-in table.
// initialize() is the start-up step that loads "processes.xml", completes it
// with missing built-in processes and writes it back.
class ProcessFactory
{
public:
    static boost::shared_ptr<ProcessFactory> instance();
    static boost::shared_ptr<ProcessFactory> initialize();

    static QString fileName() { return QStringLiteral("processes.xml"); }

    bool loadProcesses();
    bool saveProcesses();
    void setDefaultProcesses();
    void mergeDefaultProcesses();

    ProcessInfo getProcess(unsigned id) const;
    QList<ProcessInfo> getProcesses() const;
    bool setProcess(const ProcessInfo &process);

    // The "3;16" text of a compatible-materials list and its reading, which
    // drops empty and non-numeric pieces.
    static QString idsToString(const QList<unsigned> &ids);
    static QList<unsigned> idsFromString(const QString &text);

private:
    ProcessFactory();
    ProcessFactory(const ProcessFactory &) = delete;
    ProcessFactory &operator=(const ProcessFactory &) = delete;

    static QMap<unsigned, ProcessInfo> defaultProcesses();
    static ProcessInfo readProcess(QXmlStreamReader &reader);

    mutable QMutex m_mutex;
    QMap<unsigned, ProcessInfo> m_processes;
};

// Start-up of both catalogues, materials first: compatible lists name materials.
void initializeCatalogues();

} // namespace Process
} // namespace Model
