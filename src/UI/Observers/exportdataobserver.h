#pragma once

#include "Core/Operations/ExportData/iexportchoices.h"

#include <QPointer>
#include <QWidget>

namespace Ui {
namespace Observers {

// Asks for the export file and field with the export dialog.
class ExportDataObserver : public Core::Operations::IExportChoices
{
public:
    explicit ExportDataObserver(QWidget *parent) : m_parent(parent) {}
    bool chooseExport(const QStringList &fieldNames, QString *fileName, QString *fieldName) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace Observers
} // namespace Ui
