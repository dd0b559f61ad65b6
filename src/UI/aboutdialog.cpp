#include "aboutdialog.h"

#include "Util/version.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace Ui {

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QLabel *title = new QLabel(QStringLiteral("<h2>Torvane</h2>"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    layout->addWidget(title);
    QLabel *version = new QLabel(QStringLiteral("Version %1").arg(Util::projectVersion()), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(version);
    QLabel *text = new QLabel(QStringLiteral("A simulator of microfabrication process steps on voxel cell volumes:\n"
                                             "deposition, etching, lithography, doping, oxidation and atomistic\n"
                                             "wet etching of silicon."),
                              this);
    text->setObjectName(QStringLiteral("lblDescription"));
    layout->addWidget(text);
    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace Ui
