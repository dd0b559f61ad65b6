#include "changedefaultcolorsdialog.h"

#include "Util/defaultcolors.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {

namespace {
QColor toColor(const Util::Vector4D &c) { return QColor::fromRgbF(c.x, c.y, c.z, c.w); }
} // namespace

int ChangeDefaultColorsDialog::role(int shown)
{
    static const int roles[4] = {Util::DefaultColors::BackgroundColor, Util::DefaultColors::GridColor,
                                 Util::DefaultColors::ObjectColor, Util::DefaultColors::OutlineColor};
    return shown >= 0 && shown < 4 ? roles[shown] : Util::DefaultColors::BackgroundColor;
}

ChangeDefaultColorsDialog::ChangeDefaultColorsDialog(QWidget *parent)
    : QDialog(parent), m_scheme(Util::DefaultColors::activeScheme())
{
    setObjectName(QStringLiteral("ChangeDefaultColorsDialog"));
    setWindowTitle(QStringLiteral("Change Default Colors"));
    const char *labels[4] = {"Background Color", "Grid Color", "Default Object Color", "Default Object Outline Color"};
    const char *names[4] = {"btnBackgroundColor", "btnGridColor", "btnObjectColor", "btnOutlineColor"};
    QFormLayout *form = new QFormLayout;
    for (int i = 0; i < 4; ++i) {
        QPushButton *button = new QPushButton(this);
        button->setObjectName(QLatin1String(names[i]));
        button->setMinimumWidth(80);
        m_buttons[size_t(i)] = button;
        form->addRow(QLatin1String(labels[i]), button);
        connect(button, &QPushButton::clicked, this, [this, i]() { chooseColor(i); });
    }
    QPushButton *defaults = new QPushButton(QStringLiteral("Load Default Colors"), this);
    defaults->setObjectName(QStringLiteral("btnLoadDefaultColors"));
    QPushButton *lowColor = new QPushButton(QStringLiteral("Load Low Color Scheme"), this);
    lowColor->setObjectName(QStringLiteral("btnLoadLowColorScheme"));
    connect(defaults, &QPushButton::clicked, this, [this]() { loadScheme(0); });
    connect(lowColor, &QPushButton::clicked, this, [this]() { loadScheme(1); });
    QHBoxLayout *schemes = new QHBoxLayout;
    schemes->addWidget(defaults);
    schemes->addWidget(lowColor);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(schemes);
    layout->addWidget(buttons);

    for (int i = 0; i < 4; ++i)
        m_colors[size_t(i)] = Util::DefaultColors::color(role(i), m_scheme);
    showColors();
}

void ChangeDefaultColorsDialog::showColors()
{
    for (int i = 0; i < 4; ++i) {
        const QColor c = toColor(m_colors[size_t(i)]);
        m_buttons[size_t(i)]->setStyleSheet(QStringLiteral("background-color: %1").arg(c.name()));
    }
}

void ChangeDefaultColorsDialog::loadScheme(int scheme)
{
    if (scheme < 0 || scheme >= Util::DefaultColors::SchemeCount)
        return;
    m_scheme = scheme;
    m_edited = false;
    for (int i = 0; i < 4; ++i)
        m_colors[size_t(i)] = Util::DefaultColors::color(role(i), scheme);
    showColors();
}

void ChangeDefaultColorsDialog::setShownColor(int shown, const Util::Vector4D &color)
{
    if (shown < 0 || shown >= 4)
        return;
    m_colors[size_t(shown)] = color;
    m_edited = true;
    showColors();
}

void ChangeDefaultColorsDialog::chooseColor(int shown)
{
    const QColor chosen = QColorDialog::getColor(toColor(m_colors[size_t(shown)]), this,
                                                 QStringLiteral("Select new color"), QColorDialog::ShowAlphaChannel);
    if (chosen.isValid())
        setShownColor(shown, Util::Vector4D(chosen.redF(), chosen.greenF(), chosen.blueF(), chosen.alphaF()));
}

void ChangeDefaultColorsDialog::apply() const
{
    using Util::DefaultColors;
    if (m_edited && m_scheme != CustomScheme) {
        // The custom scheme starts from the scheme the edits were made on, so
        // the colours this dialog does not show follow that scheme.
        for (int r = 0; r < DefaultColors::RoleCount; ++r)
            DefaultColors::setColor(r, CustomScheme, DefaultColors::color(r, m_scheme));
    }
    for (int i = 0; i < 4; ++i)
        DefaultColors::setColor(role(i), CustomScheme, m_colors[size_t(i)]);
    // Picked colours only show when their scheme is the active one.
    DefaultColors::setActiveScheme(m_edited ? CustomScheme : m_scheme);
}

} // namespace Ui
