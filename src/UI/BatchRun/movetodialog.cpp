#include "movetodialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace UtilDialog {

MoveTo::MoveTo(const Core::Steps::ProcessList &list, int movingSerial, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MoveTo"));
    setWindowTitle(QStringLiteral("Dialog"));
    setModal(true);
    QVBoxLayout *layout = new QVBoxLayout(this);

    m_comboBox = new QComboBox(this);
    m_comboBox->setObjectName(QStringLiteral("comboBox"));
    for (int i = 0; i < list.size(); ++i) {
        const Core::Steps::ProcessData &step = list.at(i);
        if (step.getSerial() == movingSerial)
            continue;
        m_comboBox->addItem(QString::number(i + 1) + QLatin1Char(' ') + step.displayName(), step.getSerial());
    }
    layout->addWidget(m_comboBox);

    // Neither is checked at first: the person must not move by accident in one direction.
    QHBoxLayout *where = new QHBoxLayout;
    m_after = new QRadioButton(QStringLiteral("After"), this);
    m_after->setObjectName(QStringLiteral("radioButton"));
    m_before = new QRadioButton(QStringLiteral("Before"), this);
    m_before->setObjectName(QStringLiteral("radioButton_2"));
    m_after->setChecked(false);
    m_before->setChecked(false);
    where->addWidget(m_after);
    where->addWidget(m_before);
    layout->addLayout(where);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int MoveTo::stepCount() const { return m_comboBox->count(); }

int MoveTo::targetSerial() const
{
    if (m_comboBox->currentIndex() < 0)
        return -1;
    bool ok = false;
    const int serial = m_comboBox->currentData().toInt(&ok);
    return ok ? serial : -1;
}

bool MoveTo::after() const { return m_after->isChecked(); }

} // namespace UtilDialog
