#pragma once

#include "Util/vector4d.h"

#include <QDialog>

#include <array>

class QPushButton;

namespace Ui {

// "Change Default Colors": background, grid, object and outline colours.
// "Load Default Colors" and "Load Low Color Scheme" show a stored scheme; on
// accept the scheme shown becomes active, and colours the user picked are kept
// in the custom scheme, which then becomes active.
class ChangeDefaultColorsDialog : public QDialog
{
    Q_OBJECT
public:
    // The shown colours in button order: background, grid, object, outline.
    enum Shown { Background = 0, Grid = 1, Object = 2, Outline = 3 };
    static constexpr int CustomScheme = 2;

    explicit ChangeDefaultColorsDialog(QWidget *parent = nullptr);

    Util::Vector4D shownColor(int shown) const { return m_colors[size_t(shown)]; }
    void setShownColor(int shown, const Util::Vector4D &color);
    int loadedScheme() const { return m_scheme; }
    void loadScheme(int scheme);
    // Stores the choice into the colour table (called on accept).
    void apply() const;

    // The colour-table entry each shown colour belongs to.
    static int role(int shown);

private:
    void chooseColor(int shown);
    void showColors();

    std::array<QPushButton *, 4> m_buttons;
    std::array<Util::Vector4D, 4> m_colors;
    int m_scheme;
    bool m_edited = false;
};

} // namespace Ui
