#include "Core/Operations/operation.h"
#include "UI/mainwindow.h"
#include "UI/operationfactory.h"

#include <gtest/gtest.h>

namespace {

struct Expected
{
    int number;
    const char *name;
    int typeNumber;
    bool undoable;
};

} // namespace

TEST(OperationFactory, BuildsEachRegisteredOperationUnderItsNameAndNumber)
{
    Ui::MainWindow window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    Ui::OperationFactory factory(&window.presenter());
    const Expected table[] = {
        {2, "Create Substrate", 2, true},        {3, "Ion Implantation", 3, false},
        {13, "Isotropic Deposition", 13, true},  {14, "Isotropic Etching", 14, true},
        {15, "Electroplating", 15, true},        {17, "Doping", 17, true},
        {26, "Simple Si Oxidation", 26, false},  {27, "Anisotropic Deposition", 13, true},
        {31, "Isotropic Deposition", 13, true},  {32, "Anisotropic Etching", 13, true},
        {33, "CVD", 13, true},                   {9, "Save document", 9, false},
        {10, "Save Document As", 10, false},     {11, "Open document", 11, false},
        {28, "BCA Wet Etch", 28, false},         {29, "Continuous Wet Etch", 29, false},
        {1, "Copy Objects", 1, true},            {4, "Delete Objects", 4, true},
        {6, "Change Visualization", 6, false},   {7, "Move Objects", 7, true},
        {18, "Moore film deposition", 18, true}, {19, "Moore film deposition", 19, true},
        {20, "Photolithography", 20, false},     {22, "Planarization", 22, false},
        {23, "Spin Coating", 23, false},         {30, "Simple RIE", 30, false},
        {34, "Masked Cut", 34, true},            {35, "Remove Cuts", 35, false},
        {24, "Select volumes", 24, false},
    };
    for (const Expected &e : table) {
        const boost::shared_ptr<Core::Operations::Operation> op = factory.create(e.number);
        ASSERT_TRUE(op) << e.number;
        EXPECT_EQ(op->getName(), QLatin1String(e.name)) << e.number;
        EXPECT_EQ(op->getTypeNumber(), e.typeNumber) << e.number;
    }
    for (int unknown : {0, 5, 21, 25, -1, 99999})
        EXPECT_FALSE(factory.create(unknown)) << unknown;
}
