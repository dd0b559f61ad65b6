#pragma once

#include "Core/Steps/stepdefinition.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Python {

// The Python keyword of a name a process list keeps a value under, in snake
// case: "Film Thickness" -> film_thickness, "DepositOn" -> deposit_on. A
// material is named by its base ("Doped Material" -> doped_material): the
// keyword takes the material's name or its id.
QString keywordOf(const QString &name);

// One list step as Python sees it: its definition and, index for index, its
// parameters' keywords.
struct StepSignature
{
    const Core::Steps::StepDefinition *definition = nullptr;
    QStringList keywords;
    // Index for index, the keywords of the parameter's declared aliases
    // (CVD's thickness also answers to film_thickness).
    QList<QStringList> aliasKeywords;

    // The parameter a keyword or an alias keyword stands for; null when the step has none.
    const Core::Steps::StepParameter *parameter(const QString &keyword) const;
    // Every keyword the step takes, aliases included.
    QStringList allKeywords() const;
    // "thickness (also film_thickness)" for each parameter, for error messages.
    QString keywordsText() const;
    // The keyword of a parameter name (a material's base or its "_Id" name); empty when the step has none.
    QString keywordOfParameter(const QString &name) const;
};

// Every list step in the registry's order, built once from the declarations.
const QList<StepSignature> &stepSignatures();

// The signature of a list step; null for a step of the program only.
const StepSignature *signatureOf(const Core::Steps::StepDefinition &definition);

} // namespace Python
