#pragma once

#include "Core/Operations/BatchRun/processlistfile.h"

class QWidget;

namespace Ui {

class BatchRunPrompts;

// Settles a material conflict of a loading process list with the material
// conflict dialog, shown at once.
class ListConflictResolver : public Core::Operations::IListConflictResolver
{
public:
    ListConflictResolver(BatchRunPrompts &prompts, QWidget *parent) : m_prompts(prompts), m_parent(parent) {}

    bool resolve(const Model::Materials::Material &existing, const Model::Materials::Material &loaded,
                 Core::Operations::ConflictChoice &choice, unsigned &alternateId) override;

private:
    BatchRunPrompts &m_prompts;
    QWidget *m_parent;
};

} // namespace Ui
