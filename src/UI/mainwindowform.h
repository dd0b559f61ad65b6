#pragma once

#include <QHash>
#include <QList>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;

namespace Ui {

// The main window's menus and actions, built from one table so names, texts,
// shortcuts, tips and check states live in one place.
class MainWindowForm
{
public:
    struct ActionRow
    {
        const char *menu;       // object name of the menu; nullptr for an action in no menu
        const char *text;       // nullptr for a separator
        const char *objectName;
        const char *shortcut;
        const char *toolTip;
        const char *statusTip;
        const char *whatsThis;
        int checkable;          // 0 no, 1 unchecked, 2 checked
        int operation;          // operation number, or -1
        const char *viewPreset; // view preset name, or nullptr
    };

    void setupUi(QMainWindow *window);
    void retranslateUi(QMainWindow *window);

    // Every action: the fixed rows, and a Simulation row for each step of the registry that has none.
    static const QList<ActionRow> &actionTable();
    static const QList<QPair<QString, QString>> &menuTable(); // object name, title
    struct SubMenuRow
    {
        const char *objectName;
        const char *title;
        const char *parent; // object name of the menu it sits in, where its first action is listed
    };
    static const QList<SubMenuRow> &subMenuTable();
    // table with a Simulation row added for every step of the registry whose operation it lacks.
    static QList<ActionRow> withRegistrySteps(QList<ActionRow> table);

private:
    static const QList<ActionRow> &fixedActions();

public:

    QAction *action(const QString &objectName) const { return m_actions.value(objectName); }
    QMenu *menu(const QString &objectName) const { return m_menus.value(objectName); }
    QList<QAction *> actions() const { return m_actionOrder; }

private:
    QHash<QString, QAction *> m_actions;
    QList<QAction *> m_actionOrder;
    QHash<QString, QMenu *> m_menus;
};

} // namespace Ui
