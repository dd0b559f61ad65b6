#include "measurecolumndialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace Ui {
namespace Analysis {

MeasureColumnDialog::MeasureColumnDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MeasureColumnForm"));
    setWindowTitle(QStringLiteral("Measure Column"));
    m_x = new QSpinBox(this);
    m_x->setObjectName(QStringLiteral("sbxColumnX"));
    m_y = new QSpinBox(this);
    m_y->setObjectName(QStringLiteral("sbxColumnY"));
    QLabel *hint = new QLabel(QStringLiteral("Click a column in the view or type x, y. The layer stack shows in the "
                                             "console."),
                              this);
    hint->setObjectName(QStringLiteral("lblHint"));
    hint->setWordWrap(true);
    QFormLayout *form = new QFormLayout;
    form->addRow(QStringLiteral("x"), m_x);
    form->addRow(QStringLiteral("y"), m_y);
    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *measure = buttons->addButton(QStringLiteral("Measure"), QDialogButtonBox::ApplyRole);
    measure->setObjectName(QStringLiteral("btnMeasure"));
    measure->setDefault(true);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(measure, &QPushButton::clicked, this,
            [this]() { Q_EMIT measureRequested(unsigned(m_x->value()), unsigned(m_y->value())); });
}

void MeasureColumnDialog::setVolumeSize(unsigned sizeX, unsigned sizeY)
{
    m_x->setRange(0, int(sizeX) - 1);
    m_y->setRange(0, int(sizeY) - 1);
}

void MeasureColumnDialog::setColumn(unsigned x, unsigned y)
{
    m_x->setValue(int(x));
    m_y->setValue(int(y));
}

} // namespace Analysis
} // namespace Ui
