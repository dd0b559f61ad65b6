#pragma once

#include <QDialog>

class QPushButton;
class QTableView;

namespace Core {
namespace Operations {
class Workspace;
}
} // namespace Core

namespace Ui {

class ColorItemDelegate;
class MaterialTableViewItem;

// "Manage Materials": edits a copy of the materials catalogue (names of user
// materials, colours) and adds new materials. OK writes every row to the
// catalogue, saves "materials.xml" and redraws the scene in the new colours.
class ManageMaterialsDialog : public QDialog
{
    Q_OBJECT
public:
    // workspace may be null (no scene to clear and redraw).
    explicit ManageMaterialsDialog(Core::Operations::Workspace *workspace = nullptr, QWidget *parent = nullptr);

    // The presenter's entry point: runs the dialog modally; true when accepted.
    static bool manageMaterials(Core::Operations::Workspace *workspace, QWidget *parent = nullptr);

    MaterialTableViewItem *model() const { return m_model; }

public slots:
    void addMaterial();
    void accept() override;

private:
    Core::Operations::Workspace *m_workspace;
    QTableView *m_table;
    MaterialTableViewItem *m_model;
    ColorItemDelegate *m_colorDelegate;
    QPushButton *m_addButton;
};

} // namespace Ui
