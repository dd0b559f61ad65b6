#pragma once

#include "Core/Operations/Document/materialreconciler.h"
#include "Model/Materials/material.h"

#include <QDialog>

class QComboBox;
class QRadioButton;

namespace Ui {

// Asks what to do with a loaded material whose id the catalogue already uses
// for a material of another name.
class MaterialConflictDialog : public QDialog
{
    Q_OBJECT
public:
    MaterialConflictDialog(const Model::Materials::Material &existing, const Model::Materials::Material &loaded,
                           QWidget *parent = nullptr);
    ~MaterialConflictDialog() override;

    Core::Operations::ConflictChoice choice() const;
    // The id chosen in the replacement list (0 when the list is empty).
    unsigned alternateMaterialId() const;

private:
    QRadioButton *m_replaceLoadedByExisting;
    QRadioButton *m_replaceExistingByLoaded;
    QRadioButton *m_replaceLoadedByAnother;
    QRadioButton *m_addLoadedAsNew;
    QComboBox *m_alternate;
};

} // namespace Ui
