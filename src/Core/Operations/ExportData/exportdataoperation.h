#pragma once

#include "Core/Operations/operation.h"

#include <boost/shared_ptr.hpp>

#include <QString>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class IExportChoices;
class Workspace;

// "Export Data" (factory 37): writes a particle-count field of a cell volume to a CSV file.
class ExportDataOperation : public Operation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 37;

    explicit ExportDataOperation(Workspace *workspace);
    ~ExportDataOperation() override;

    void setChoices(const boost::shared_ptr<IExportChoices> &choices) { m_choices = choices; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    void setFieldName(const QString &fieldName) { m_fieldName = fieldName; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getVolume() const { return m_volume; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;

private:
    void takeVolume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume, const QString &message);
    void say(const QString &text);

    Workspace *m_workspace;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    boost::shared_ptr<IExportChoices> m_choices;
    QString m_fileName;
    QString m_fieldName;
    bool m_done = false;
};

} // namespace Operations
} // namespace Core
