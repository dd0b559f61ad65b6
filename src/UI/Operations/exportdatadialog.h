#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace Ui {
namespace Operations {

// The output file and the field of a CSV export. The folder of the last
// accepted file is remembered for the next export of the run.
class ExportDataDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ExportDataDialog(const QStringList &fieldNames, QWidget *parent = nullptr);

    QString fileName() const;
    QString fieldName() const;

    // The folder proposed next ("the user's home directory" at first).
    static QString rememberedFolder();
    static void setRememberedFolder(const QString &folder);

public Q_SLOTS:
    void accept() override;

private Q_SLOTS:
    void chooseFile();

private:
    QLineEdit *m_file;
    QPushButton *m_browse;
    QComboBox *m_field;
};

} // namespace Operations
} // namespace Ui
