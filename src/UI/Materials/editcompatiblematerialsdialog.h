#pragma once

#include "Model/Process/processinfo.h"

#include <QDialog>
#include <QMap>

class QComboBox;
class QListWidget;
class QPushButton;

namespace Ui {

// "Edit Compatible Materials": moves materials between a process's compatible
// list and the rest of the catalogue. Edits a copy of the process catalogue;
// OK writes every process back and saves "processes.xml".
class EditCompatibleMaterialsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit EditCompatibleMaterialsDialog(QWidget *parent = nullptr);

    // The presenter's entry point: runs the dialog modally; true when accepted.
    static bool manageCompatibleMaterials(QWidget *parent = nullptr);

    unsigned currentProcessId() const { return m_current; }
    Model::Process::ProcessInfo editedProcess(unsigned id) const { return m_processes.value(id); }

public slots:
    void insertSelected();
    void removeSelected();
    void accept() override;

private slots:
    void processChosen(int index);

private:
    void refresh();

    QMap<unsigned, Model::Process::ProcessInfo> m_processes;
    unsigned m_current = 0;
    QComboBox *m_processBox;
    QListWidget *m_available;
    QListWidget *m_compatible;
};

} // namespace Ui
