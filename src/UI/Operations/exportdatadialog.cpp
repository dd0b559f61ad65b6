#include "exportdatadialog.h"

#include "dialogfields.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

namespace {
QString &folder()
{
    static QString remembered;
    return remembered;
}
} // namespace

QString ExportDataDialog::rememberedFolder() { return folder().isEmpty() ? QDir::homePath() : folder(); }

void ExportDataDialog::setRememberedFolder(const QString &path) { folder() = path; }

ExportDataDialog::ExportDataDialog(const QStringList &fieldNames, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportDataForm"));
    setWindowTitle(QStringLiteral("Dialog"));
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;

    QWidget *fileRow = new QWidget(this);
    QHBoxLayout *row = new QHBoxLayout(fileRow);
    row->setContentsMargins(0, 0, 0, 0);
    m_file = new QLineEdit(fileRow);
    m_file->setObjectName(QStringLiteral("lineEdit"));
    m_file->setText(rememberedFolder() + QDir::separator() + QStringLiteral("output.csv"));
    m_browse = new QPushButton(QStringLiteral("..."), fileRow);
    m_browse->setObjectName(QStringLiteral("pushButton"));
    m_browse->setAutoDefault(false);
    row->addWidget(m_file);
    row->addWidget(m_browse);
    connect(m_browse, &QPushButton::clicked, this, &ExportDataDialog::chooseFile);

    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("comboBox"));
    m_field->addItems(fieldNames);

    DialogFields::addRow(grid, this, QStringLiteral("label"), QStringLiteral("Output filename"), fileRow);
    DialogFields::addRow(grid, this, QStringLiteral("label_2"), QStringLiteral("Data to Export"), m_field);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
}

QString ExportDataDialog::fileName() const { return m_file->text(); }

QString ExportDataDialog::fieldName() const { return m_field->currentText(); }

void ExportDataDialog::chooseFile()
{
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Choose Output File"), rememberedFolder(),
                                                        QStringLiteral("CSV File (*.csv)"));
    if (!chosen.isEmpty())
        m_file->setText(chosen);
}

void ExportDataDialog::accept()
{
    if (!m_file->text().isEmpty())
        setRememberedFolder(QFileInfo(m_file->text()).absolutePath());
    QDialog::accept();
}

} // namespace Operations
} // namespace Ui
