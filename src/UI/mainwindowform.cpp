#include "mainwindowform.h"

#include "Core/Steps/stepregistry.h"

#include <QAction>
#include <QSet>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace Ui {

namespace {
typedef MainWindowForm::ActionRow A;
const char *const no = nullptr;
} // namespace

const QList<QPair<QString, QString>> &MainWindowForm::menuTable()
{
    static const QList<QPair<QString, QString>> menus = {
        {"menuFile", "File"},           {"menuEdit", "Edit"},           {"menuSimulation", "Simulation"},
        {"menuMaterials", "Materials"}, {"menuRendering", "Rendering"}, {"menuView", "View"},
        {"menuWindows", "Windows"},     {"menuAbout", "About"}};
    return menus;
}

const QList<MainWindowForm::SubMenuRow> &MainWindowForm::subMenuTable()
{
    static const QList<SubMenuRow> menus = {{"menuExport", "Export", "menuFile"}};
    return menus;
}

const QList<MainWindowForm::ActionRow> &MainWindowForm::actionTable()
{
    static const QList<ActionRow> table = withRegistrySteps(fixedActions());
    return table;
}

QList<MainWindowForm::ActionRow> MainWindowForm::withRegistrySteps(QList<ActionRow> table)
{
    // A step of the registry without a row here gets one in the Simulation menu, after the last step's row.
    static QList<QByteArray> names; // the added rows' texts live as long as the table
    int last = -1;
    QSet<int> listed;
    for (int i = 0; i < table.size(); ++i) {
        listed.insert(table.at(i).operation);
        if (Core::Steps::StepRegistry::instance().ofOperation(table.at(i).operation))
            last = i;
    }
    for (const Core::Steps::StepDefinition *step : Core::Steps::StepRegistry::instance().steps()) {
        if (step->operationNumber == 0 || listed.contains(step->operationNumber))
            continue;
        QString objectName = QStringLiteral("action_") + step->shownInMenu();
        for (QChar &c : objectName)
            if (!c.isLetterOrNumber())
                c = QLatin1Char('_');
        names << step->shownInMenu().toUtf8() << objectName.toLatin1();
        const ActionRow row = {"menuSimulation", names.at(names.size() - 2).constData(), names.last().constData(),
                                no, no, no, no, 0, step->operationNumber, no};
        table.insert(++last, row);
    }
    return table;
}

const QList<MainWindowForm::ActionRow> &MainWindowForm::fixedActions()
{
    static const char *const createTip = "This creates a simulation volume with a substrate inside.";
    static const QList<ActionRow> table = {
        {"menuFile", "New", "actionNew", "Ctrl+N", no, no, no, 0, -1, no},
        {"menuFile", "Open", "actionOpen", "Ctrl+O", no, no, no, 0, 11, no},
        {"menuFile", "Save", "actionSave", "Ctrl+S", no, no, no, 0, 9, no},
        {"menuFile", "Save As ...", "actionSave_as", "Ctrl+Shift+S", no, no, no, 0, 10, no},
        {"menuFile", no, no, no, no, no, no, 0, -1, no},
        {"menuFile", "Export Data", "actionExport_Data", no, no, no, no, 0, 37, no},
        {"menuExport", "Cross-Section…", "actionExport_Cross_Section", no,
         "Save a slice of the cell volume as a picture.", "Save a slice of the cell volume as a picture.", no, 0,
         -1, no},
        {"menuExport", "Geometry (VTK)…", "actionExport_Geometry_VTK", no,
         "Save the cells as VTK image data for ParaView.", "Save the cells as VTK image data for ParaView.", no, 0,
         -1, no},
        {"menuExport", "Surfaces (STL)…", "actionExport_Surfaces_STL", no,
         "Save each material's surface as an STL file.", "Save each material's surface as an STL file.", no, 0, -1,
         no},
        {"menuExport", "Smooth Surfaces (STL)…", "actionExport_Smooth_Surfaces_STL", no,
         "Save a smooth surface of each material as an STL file.",
         "Save a smooth surface of each material as an STL file.", no, 0, -1, no},
        {"menuFile", no, no, no, no, no, no, 0, -1, no},
        {"menuFile", "New Process List", "actionNew_Process_List", "Ctrl+Shift+N", no, no, no, 0, -1, no},
        {"menuFile", "Open Process List", "actionOpen_Process_List", "Ctrl+P", no, no, no, 0, -1, no},
        {"menuFile", no, no, no, no, no, no, 0, -1, no},
        {"menuFile", "Save Image", "actionSave_Image", no, "Save a screenshot as an image.",
         "Save a screenshot as an image.", no, 0, -1, no},
        {"menuFile", no, no, no, no, no, no, 0, -1, no},
        {"menuFile", "Exit", "actionExit", "Ctrl+Q", "Exit Torvane", no, no, 0, -1, no},
        {"menuEdit", "Undo", "actionUndo", "Ctrl+Z", no, no, no, 0, -1, no},
        {"menuEdit", "Redo", "actionRedo", "Ctrl+Y", no, no, no, 0, -1, no},
        {"menuEdit", no, no, no, no, no, no, 0, -1, no},
        {"menuEdit", "Select", "actionSelect", no, no, no, no, 1, -1, no},
        {"menuEdit", "Copy", "actionCopy", "Ctrl+C", no, no, no, 0, 1, no},
        {"menuEdit", "Move", "actionMove", no, no, no, no, 0, 7, no},
        {"menuEdit", "Delete", "actionDelete", no, no, no, no, 0, 4, no},
        {"menuEdit", no, no, no, no, no, no, 0, -1, no},
        {"menuEdit", "Grid", "actionGrid", no, no, no, no, 1, -1, no},
        {"menuEdit", "Snap to Grid", "actionSnap_to_Grid", no, no, no, no, 1, -1, no},
        {"menuEdit", "Grid Spacing", "actionGrid_Spacing", no, no, no, no, 0, -1, no},
        {"menuSimulation", "Create Substrate", "actionCreate_Substrate", no, "Create a substrate.", createTip,
         "This creates a simulation volume with a substrate inside. This is the first step in running simulations "
         "using Torvane.",
         0, 2, no},
        {"menuSimulation", no, no, no, no, no, no, 0, -1, no},
        {"menuSimulation", "Doping", "actionDoping", no, "Dope a Si Simulate P and N type doping of Si substrates..",
         "Simulate P and N type doping of Si substrates.", no, 0, 17, no},
        {"menuSimulation", "Random Walk Doping", "actionRandom_Walk_Doping", no, no, no, no, 0, 36, no},
        {"menuSimulation", "Electroplating", "actionElectrodeposition", no,
         "Simulates an electrodeposition of a metal over another conductor.",
         "Simulates an electrodeposition of a metal over another conductor.", no, 0, 15, no},
        {"menuSimulation", "Ion Implantation", "actionIon_Implantation", no, no, no, no, 0, 3, no},
        {"menuSimulation", "PVD", "actionPVD", no, no, no, no, 0, 31, no},
        {"menuSimulation", "CVD", "actionCVD", no, "Run an isotropic film deposition simulation.",
         "Run an isotropic film deposition simulation.", no, 0, 33, no},
        {"menuSimulation", "Moore Deposition", "actionMoore_Deposition", no, no, no, no, 0, 18, no},
        {"menuSimulation", "Moore Etching", "actionMoore_Etching", no, no, no, no, 0, 19, no},
        {"menuSimulation", "Photolithography", "actionPhotolithography", no, no, no, no, 0, 20, no},
        {"menuSimulation", "Planarization", "actionPlanarization", no, no, no, no, 0, 22, no},
        {"menuSimulation", "Si Oxidation", "actionSi_Oxidation", no, no, no, no, 0, 26, no},
        {"menuSimulation", "Si Wet Etching", "actionBCA_Wet_Etching", no, no, no, no, 0, 28, no},
        {"menuSimulation", "Si Wet Etching (CCA)", "actionContinuous_Wet_Etching", no, no, no, no, 0, 29, no},
        {"menuSimulation", "Simple RIE", "actionSimple_RIE", no, no, no, no, 0, 30, no},
        {"menuSimulation", "Pour Material", "actionSpin_Coating", no, no, no, no, 0, 23, no},
        {"menuSimulation", "Anisotropic Deposition", "actionAnisotropic_Deposition", no, no, no, no, 0, 27, no},
        {"menuSimulation", "Anisotropic Etching", "actionAnisotropic_Etching", no, no, no, no, 0, 32, no},
        {"menuSimulation", "Isotropic Deposition", "actionIsotropic_Deposition", no, no, no, no, 0, 13, no},
        {"menuSimulation", "Isotropic Etching", "actionIsotropic_Film_Etching", no,
         "Run an isotropic film etching simulation.", "Run an isotropic film etching simulation.", no, 0, 14, no},
        {"menuSimulation", no, no, no, no, no, no, 0, -1, no},
        {"menuSimulation", "Extract Film", "actionExtract_Film", no, "Extract a deposited film from a cell volume.",
         "Extract a deposited film from a cell volume.", no, 0, 8, no},
        {"menuSimulation", "Glue Substrate", "actionGlue_Substrate", no, "Glue a substrate over another substrate.",
         "Glue a substrate over another substrate.", no, 0, 12, no},
        {"menuSimulation", no, no, no, no, no, no, 0, -1, no},
        {"menuSimulation", "Batch Run", "actionBatch_Run", "Ctrl+R", no, no, no, 0, 24, no},
        {"menuSimulation", no, no, no, no, no, no, 0, -1, no},
        {"menuMaterials", "Manage Materials", "actionManage_Materials", no,
         "Edit material names, colors and properties.", "Edit material names, colors and properties.", no, 0, -1,
         no},
        {"menuMaterials", "Manage Compatible Materials", "actionManage_Compatible_Materials", no, no,
         "Change what materials may be used with a certain process.", no, 0, -1, no},
        {"menuRendering", "Render Objects", "actionRender_Objects", no, "Render object as solids.",
         "Render object as solids.", no, 2, -1, no},
        {"menuRendering", "Lighting", "actionLighting", no, "Enable lighting.", "Enable or disable lighting.", no, 2,
         -1, no},
        {"menuRendering", "Render Object Edges", "actionRender_Object_Edges", no, "Render the edges of the cells.",
         "Render the edges of the cells.", no, 1, -1, no},
        {"menuRendering", no, no, no, no, no, no, 0, -1, no},
        {"menuRendering", "Change Cell Volume Viewing Options", "actionChange_Viewing_Options", no,
         "Change cell volume colors, transparency and use atomic viewing.",
         "Change cell volume colors, transparency and use atomic viewing.", no, 0, 6, no},
        {"menuRendering", "Cut Cell Volume", "actionCut_Cell_Volume", no,
         "Cut Make cuts to view inside the cell volume. Volume", "Make cuts to view inside the cell volume.", no, 0,
         16, no},
        {"menuRendering", "Masked Volume Cut", "actionMasked_Volume_Cut", no, no, no, no, 0, 34, no},
        {"menuRendering", "Remove Masked Cuts", "actionRemove_Masked_Cuts", no, no, no, no, 0, 35, no},
        {"menuRendering", "Measure Column", "actionMeasure_Column", no,
         "Show the layer stack of a cell column in the console.",
         "Show the layer stack of a cell column in the console.", no, 0, -1, no},
        {"menuRendering", no, no, no, no, no, no, 0, -1, no},
        {"menuRendering", "Configure Window Colors", "actionConfigure_Window_Colors", no,
         "Change window background colors.", "Change window background colors.", no, 0, -1, no},
        {"menuView", "Front View", "actionFront_View", no, "Front View", no, no, 0, -1, "front"},
        {"menuView", "Back View", "actionBack_view", no, "Back View", no, no, 0, -1, "back"},
        {"menuView", "Bottom View", "actionBottom_View", no, no, no, no, 0, -1, "bottom"},
        {"menuView", "Top View", "actionTop_View", no, no, no, no, 0, -1, "top"},
        {"menuView", "Right View", "actionRight_View", no, no, no, no, 0, -1, "right"},
        {"menuView", "Left View", "actionLeft_View", no, no, no, no, 0, -1, "left"},
        {"menuView", "Fit to Volume", "actionFit_to_Volume", "F", "Frame the selected cell volume, or all of them.",
         "Pan and zoom so the selected cell volume, or every one, fills the view.", no, 0, -1, no},
        {"menuView", no, no, no, no, no, no, 0, -1, no},
        {"menuView", "Show Axis", "actionShow_Axis", no, no, no, no, 2, -1, no},
        {"menuView", "Show Lights", "actionShow_Lights", no, no, no, no, 1, -1, no},
        {"menuView", no, no, no, no, no, no, 0, -1, no},
        // The view dialog is the seventh preset, "manual": the mapper knows it, and the
        // view leaves the camera to the dialog.
        {"menuView", "Set View", "actionSet_View", "Ctrl+Shift+V", no, no, no, 0, -1, "manual"},
        {"menuView", "Set Lighting", "actionSet_Lighting", "Ctrl+Shift+L", no, no, no, 0, -1, no},
        {"menuWindows", "Console", "actionConsole", no, "View the console window.", "View the console window.", no,
         2, -1, no},
        {"menuAbout", "About Torvane", "actionAbout_Torvane", no, no, no, no, 0, -1, no},
        // Created disabled and placed in no menu.
        {nullptr, "Model Extraction", "actionModel_Extraction", no, no,
         "Extract a mechanical model for a cantilever.", no, 0, 1000, no},
    };
    return table;
}

void MainWindowForm::setupUi(QMainWindow *window)
{
    window->setObjectName(QStringLiteral("MainWindowForm"));
    window->resize(800, 600);

    QMenuBar *bar = window->menuBar();
    bar->setObjectName(QStringLiteral("menubar"));
    for (const auto &entry : menuTable()) {
        QMenu *menu = new QMenu(bar);
        menu->setObjectName(entry.first);
        m_menus.insert(entry.first, menu);
        bar->addMenu(menu);
    }
    QHash<QString, QMenu *> unplaced; // submenus go in where their first action is listed
    for (const SubMenuRow &entry : subMenuTable()) {
        QMenu *menu = new QMenu(bar);
        menu->setObjectName(QLatin1String(entry.objectName));
        m_menus.insert(menu->objectName(), menu);
        unplaced.insert(menu->objectName(), menu);
    }
    for (const ActionRow &entry : actionTable()) {
        QMenu *menu = entry.menu ? m_menus.value(QLatin1String(entry.menu)) : nullptr;
        if (menu && unplaced.remove(menu->objectName())) {
            for (const SubMenuRow &sub : subMenuTable())
                if (menu->objectName() == QLatin1String(sub.objectName))
                    m_menus.value(QLatin1String(sub.parent))->addMenu(menu);
        }
        if (!entry.text) {
            if (menu)
                menu->addSeparator();
            continue;
        }
        QAction *action = new QAction(window);
        action->setObjectName(QLatin1String(entry.objectName));
        if (entry.checkable) {
            action->setCheckable(true);
            action->setChecked(entry.checkable == 2);
        }
        m_actions.insert(action->objectName(), action);
        m_actionOrder.append(action);
        if (menu)
            menu->addAction(action);
    }
    action(QStringLiteral("actionUndo"))->setEnabled(false);
    action(QStringLiteral("actionRedo"))->setEnabled(false);
    action(QStringLiteral("actionModel_Extraction"))->setEnabled(false);
    window->statusBar()->setObjectName(QStringLiteral("statusbar"));
    retranslateUi(window);
}

void MainWindowForm::retranslateUi(QMainWindow *window)
{
    window->setWindowTitle(QStringLiteral("Torvane"));
    for (const auto &entry : menuTable())
        if (QMenu *menu = m_menus.value(entry.first))
            menu->setTitle(entry.second);
    for (const SubMenuRow &entry : subMenuTable())
        if (QMenu *menu = m_menus.value(QLatin1String(entry.objectName)))
            menu->setTitle(QLatin1String(entry.title));
    for (const ActionRow &entry : actionTable()) {
        if (!entry.text)
            continue;
        QAction *a = action(QLatin1String(entry.objectName));
        // A step's menu text is the one its definition gives.
        const Core::Steps::StepDefinition *step = Core::Steps::StepRegistry::instance().ofOperation(entry.operation);
        a->setText(step ? step->shownInMenu() : QString::fromUtf8(entry.text));
        if (entry.shortcut)
            a->setShortcut(QKeySequence(QLatin1String(entry.shortcut)));
        if (entry.toolTip)
            a->setToolTip(QString::fromUtf8(entry.toolTip));
        if (entry.statusTip)
            a->setStatusTip(QString::fromUtf8(entry.statusTip));
        if (entry.whatsThis)
            a->setWhatsThis(QString::fromUtf8(entry.whatsThis));
    }
}

} // namespace Ui
