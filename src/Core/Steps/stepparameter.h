#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <limits>

namespace Core {
namespace Steps {

// What kind of value a parameter takes.
enum class ValueKind {
    WholeNumber, // zero or more
    Integer,
    Number,
    Flag,
    Text,
    Mask,     // bits x * height + y; widthName and heightName give its size
    Position, // Util::Vector3D
    Material, // an id of the catalogue or a material's name; kept as the triple base_Id, base, base_Color
    Choice,   // one of the choices' values
    Flags     // a non-empty combination of the choices' values, one bit each
};

// One option of a Choice or Flags parameter, or one side of a Flag shown as two radio buttons.
struct Choice
{
    int value = 0;
    QString label; // the dialog's radio button or check box
    QString field; // the widget's name without its prefix
    QString word;  // how a sentence names it ("top")
    QString text;  // the companion parameter's text for this value ("Deposit on top")
};

// Where a parameter's bound comes from when it is not a fixed number.
enum class Bound {
    Fixed,
    VolumeHeight // the current volume's height in cells, when there is one
};

// One parameter of a step: what every front end needs to read, check, show
// and document it. A process list keeps it under name with the stored kind.
struct StepParameter
{
    QString name; // as a process list spells it; for a material, the base of its triple
    // Other names callers may give it by ("Film Thickness" for a step that
    // keeps "Thickness"): Python's keywords and --set accept them; a list
    // always stores name.
    QStringList aliases;
    ValueKind kind = ValueKind::Number;
    int stored = QMetaType::Double; // the QMetaType a new step keeps it as
    QString label;                  // the dialog's label
    QString unit;                   // shown after the value ("units", "cells", "hours", "m²/s"); empty: none
    bool unitInField = true;        // the dialog's field shows the unit (some labels say it already)
    double minimum = 0;
    double maximum = std::numeric_limits<double>::max();
    bool aboveMinimum = false; // the minimum itself is refused
    QVariant defaultValue;     // invalid: the caller must give it
    int decimals = 2;
    double step = 1;
    QList<Choice> choices;
    QStringList texts; // the values a Text parameter takes ("B", "BF2", ...), offered as a list; empty: any text
    // A Choice's or Flags' text, or a Flag's opposite, kept beside it for the batch dialog.
    QString companion;
    // Applies only while parameter when holds whenValue (a box or a sphere, by time or by thickness).
    QString when;
    QVariant whenValue;
    bool visible = true;    // shown in the batch dialog while it applies
    bool idVisible = false; // a material's "_Id" is shown too
    bool optional = false;  // may be left out; the step then does without it
    bool readByRun = false; // the step reads and checks it itself (masks and their sizes)
    unsigned materials = 0; // a material: catalogue process whose compatible materials the dialog offers; 0: all
    QString field;          // the dialog widget's name without its prefix ("FilmThickness")
    QString hint;           // the widget's tool tip
    QString widthName, heightName; // a mask's size parameters
    Bound maximumBound = Bound::Fixed;
    bool defaultIsMaximum = false; // starts at its maximum (a height starts at the volume's top)
    QString notAbove;              // a parameter this one may not exceed

    // The name a step stores the value under: a material's id, otherwise the name itself.
    QString valueName() const { return kind == ValueKind::Material ? name + QStringLiteral("_Id") : name; }
    bool hasMaximum() const { return maximum < std::numeric_limits<double>::max(); }
    // The value as words for sentences and listings: 2e+09 is shown as 2000000000.
    static QString number(double value);
    // "0 to 1000000000 units", "above 0 up to 1 atm", "0 or more"
    QString rangeText() const;
    // The choices as a sentence names them: "1 (top), 2 (bottom) or 3 (both)".
    QString choicesText() const;
    // A value as listings and help show it: numbers without exponent where
    // they can, a position as (x, y, z), a choice with its word, a text quoted,
    // a flag as the caller spells true and false.
    QString valueText(const QVariant &value, const QString &yes = QStringLiteral("true"),
                      const QString &no = QStringLiteral("false")) const;
    // The companion's value for a stored value (a choice's text, a flag's opposite).
    QVariant companionValue(const QVariant &value) const;
};

} // namespace Steps
} // namespace Core
