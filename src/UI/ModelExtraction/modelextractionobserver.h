#pragma once

#include "Core/Operations/ModelExtraction/imodelextractionuser.h"

#include <QPointer>
#include <QWidget>

namespace Ui {
namespace ModelExtraction {

// Runs the extraction steps in the Extract Model dialog and asks with the
// usual file and message boxes.
class ModelExtractionObserver : public Core::Operations::IModelExtractionUser
{
public:
    explicit ModelExtractionObserver(QWidget *parent) : m_parent(parent) {}

    void runSteps(Core::Operations::RunModelExtraction &operation) override;
    QString chooseNetlistFile() override;
    void showInformation(const QString &title, const QString &text) override;
    void showWarning(const QString &title, const QString &text) override;

    // The folder the last netlist went to, shared by every run in this session.
    static QString netlistFolder();
    static void setNetlistFolder(const QString &folder);

private:
    QPointer<QWidget> m_parent;
};

} // namespace ModelExtraction
} // namespace Ui
