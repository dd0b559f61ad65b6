#pragma once

#include "stepparameter.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Core {
namespace Steps {

class StepRun;

// What a step does to the atomistic silicon lattice laid over the volume.
enum class LatticeEffect {
    None,           // never changes a silicon cell
    Stale,          // may change silicon cells: the lattice must be built again
    StaleIfSilicon, // stale when the material named by latticeMaterial is silicon
    Current         // works on the lattice itself and leaves it matching the cells
};

// The option dialog a step's parameters are shown in.
struct DialogForm
{
    QString objectName;
    QString title;
    int width = 0, height = 0;
    bool fixedSize = false;
    QString explanation; // a text below the fields
};

// One process step as every front end knows it: its names, its parameters and
// the one function that runs it. The executor does the rest (reading and
// checking the values, keeping the cells, the stop, the lattice mark).
struct StepDefinition
{
    int type = -1;     // the process-list type; -1: a step of the program only
    QString name;      // as a process list shows and Python names it
    QString menuText;  // the program's menu; empty: name
    QString comboText; // the batch dialog's process list; empty: the menu's text
    QStringList aliases;    // further names people use for it
    int comboOrder = 1000;  // place in the batch dialog's process list (ties by text)
    int operationNumber = 0; // the program's operation number; 0: none
    unsigned processId = 0;  // its process in the process catalogue; 0: none
    QString summary;         // one sentence for listings and help
    QList<StepParameter> parameters;
    LatticeEffect lattice = LatticeEffect::None;
    QString latticeMaterial; // with StaleIfSilicon
    bool needsVolume = true;
    bool createsVolume = false; // a list may start with it
    // Every failure is reported as a missing parameter (code 1); the reason stays in the sentence.
    bool everyFailureIsMissing = false;
    // The step changes the random walk's particle counts, which undo and a stop put back too.
    bool changesParticleCounts = false;
    // The step changes the dopant concentrations, which undo and a stop put back too.
    bool changesDopants = false;
    DialogForm form;
    // Checks that need several values at once; an empty sentence lets the step run.
    QString (*check)(const StepRun &run) = nullptr;
    // Runs the engine; returns a result code (StepSucceeded, or run.reject(...)).
    int (*run)(StepRun &run) = nullptr;

    // By its name or, for a material, by the name its id is stored under.
    const StepParameter *parameter(const QString &name) const;
    // The same, also by one of its aliases.
    const StepParameter *parameterOrAlias(const QString &name) const;
    // Every name a caller may give a parameter by: names, value names and aliases.
    QStringList parameterNames() const;
    // The list name first, then every other name the step goes by.
    QStringList names() const;
    QString shownInMenu() const { return menuText.isEmpty() ? name : menuText; }
    // The batch dialog shows the menu's text unless it has one of its own.
    QString shownInCombo() const { return comboText.isEmpty() ? shownInMenu() : comboText; }
    bool inLists() const { return type >= 0; }
};

} // namespace Steps
} // namespace Core
