#include "UI/ModelExtraction/modelextractionobserver.h"

#include "UI/ModelExtraction/extractmodeldialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace Ui {
namespace ModelExtraction {

namespace {
QString &folder()
{
    static QString remembered;
    return remembered;
}
} // namespace

QString ModelExtractionObserver::netlistFolder() { return folder().isEmpty() ? QDir::homePath() : folder(); }

void ModelExtractionObserver::setNetlistFolder(const QString &path) { folder() = path; }

void ModelExtractionObserver::runSteps(Core::Operations::RunModelExtraction &operation)
{
    ExtractModelDialog dialog(operation, m_parent);
    dialog.exec();
}

QString ModelExtractionObserver::chooseNetlistFile()
{
    const QString fileName = QFileDialog::getSaveFileName(m_parent, QStringLiteral("Save netlist"), netlistFolder(),
                                                          QStringLiteral("Circuit files *.cir"));
    if (!fileName.isEmpty())
        setNetlistFolder(QFileInfo(fileName).absolutePath());
    return fileName;
}

void ModelExtractionObserver::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(m_parent, title, text);
}

void ModelExtractionObserver::showWarning(const QString &title, const QString &text)
{
    QMessageBox::warning(m_parent, title, text);
}

} // namespace ModelExtraction
} // namespace Ui
