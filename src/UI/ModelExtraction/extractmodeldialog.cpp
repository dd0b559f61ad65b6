#include "UI/ModelExtraction/extractmodeldialog.h"

#include "Core/Operations/ModelExtraction/runmodelextraction.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace Ui {
namespace ModelExtraction {

ExtractModelDialog::ExtractModelDialog(Core::Operations::RunModelExtraction &operation, QWidget *parent)
    : QDialog(parent), m_operation(operation)
{
    setObjectName(QStringLiteral("ExtractModelForm"));
    setWindowTitle(QStringLiteral("Extract Model"));
    QGridLayout *grid = new QGridLayout(this);
    const char *labels[3] = {"Preprocessing", "Feature Detection", "Model Extraction"};
    const char *buttons[3] = {"Run Step 1", "Run Step 2", "Run Step 3"};
    const char *names[3] = {"runStepOneButton", "runStepTwoButton", "runStepThreeButton"};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(QString::fromLatin1(labels[i]), this), i, 0);
        m_buttons[i] = new QPushButton(QString::fromLatin1(buttons[i]), this);
        m_buttons[i]->setObjectName(QString::fromLatin1(names[i]));
        m_buttons[i]->setAutoDefault(false);
        m_buttons[i]->setEnabled(i + 1 == operation.nextStep());
        grid->addWidget(m_buttons[i], i, 1);
    }
    connect(m_buttons[0], &QPushButton::clicked, this, &ExtractModelDialog::runStepOneClicked);
    connect(m_buttons[1], &QPushButton::clicked, this, &ExtractModelDialog::runStepTwoClicked);
    connect(m_buttons[2], &QPushButton::clicked, this, &ExtractModelDialog::runStepThreeClicked);
}

void ExtractModelDialog::advance(int step, bool succeeded)
{
    if (!succeeded)
        return;
    m_buttons[step - 1]->setEnabled(false);
    m_buttons[step]->setEnabled(true);
}

void ExtractModelDialog::runStepOneClicked()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = m_operation.runStepOne();
    QApplication::restoreOverrideCursor();
    advance(1, ok);
}

void ExtractModelDialog::runStepTwoClicked() { advance(2, m_operation.runStepTwo()); }

void ExtractModelDialog::runStepThreeClicked() { m_operation.runStepThree(); }

} // namespace ModelExtraction
} // namespace Ui
