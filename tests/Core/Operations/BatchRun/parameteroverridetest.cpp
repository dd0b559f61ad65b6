#include "Core/Operations/BatchRun/parameteroverride.h"
#include "Core/Operations/BatchRun/processlistfile.h"
#include "Util/vector3d.h"

#include <gtest/gtest.h>

#include <QColor>

using Core::Operations::ParameterOverride;
using Core::Steps::ProcessData;

namespace {

// A two-step list holding a value of every kind a list file stores.
Core::Steps::ProcessList everyKind()
{
    ProcessData first(ProcessData::Cvd);
    first.setParameter(QStringLiteral("Flag"), QVariant(false), true);
    first.setParameter(QStringLiteral("Single"), QVariant(1.5f), true);
    first.setParameter(QStringLiteral("Thickness"), QVariant(2.0), true);
    first.setParameter(QStringLiteral("Whole"), QVariant(int(-3)), true);
    first.setParameter(QStringLiteral("Count"), QVariant(4u), true);
    first.setParameter(QStringLiteral("File"), QVariant(QStringLiteral("a.png")), true);
    first.setParameter(QStringLiteral("Tint"), QVariant(QColor(Qt::red)), false);
    first.setParameter(QStringLiteral("Bits"), QVariant::fromValue(std::vector<bool>{true, false}), false);
    first.setParameter(QStringLiteral("Corner"), QVariant::fromValue(Util::Vector3D(1, 2, 3)), true);
    first.setMaterial(QStringLiteral("Material"), 3, QStringLiteral("Thermal Si02"), QColor(Qt::blue));
    return Core::Steps::ProcessList() << ProcessData(ProcessData::CreateSubstrate) << first;
}

ParameterOverride parsed(const QString &text)
{
    ParameterOverride override;
    QString error;
    EXPECT_TRUE(ParameterOverride::parse(text, override, &error)) << error.toStdString();
    return override;
}

QVariant applied(const QString &text, const QString &name)
{
    Core::Steps::ProcessList list = everyKind();
    QString error;
    EXPECT_TRUE(parsed(text).apply(list, &error)) << error.toStdString();
    return list.at(1).getParameters().value(name);
}

} // namespace

TEST(ParameterOverride, ValuesAreReadAsTheListFileReadsTheirKind)
{
    EXPECT_EQ(QVariant(true), applied(QStringLiteral("2:Flag=true"), QStringLiteral("Flag")));
    const QVariant single = applied(QStringLiteral("2:Single=0.25"), QStringLiteral("Single"));
    EXPECT_EQ(QMetaType::Float, int(single.type()));
    EXPECT_FLOAT_EQ(0.25f, single.toFloat());
    const QVariant thickness = applied(QStringLiteral("2:Thickness=3.75"), QStringLiteral("Thickness"));
    EXPECT_EQ(QMetaType::Double, int(thickness.type()));
    EXPECT_DOUBLE_EQ(3.75, thickness.toDouble());
    EXPECT_EQ(QVariant(int(-7)), applied(QStringLiteral("2:Whole=-7"), QStringLiteral("Whole")));
    EXPECT_EQ(QVariant(9u), applied(QStringLiteral("2:Count=9"), QStringLiteral("Count")));
    EXPECT_EQ(QVariant(QStringLiteral("b=c.png")), applied(QStringLiteral("2:File=b=c.png"), QStringLiteral("File")));
    EXPECT_EQ(QColor(0x12, 0x34, 0x56), applied(QStringLiteral("2:Tint=#123456"), QStringLiteral("Tint")).value<QColor>());
    EXPECT_EQ((std::vector<bool>{false, true, true}),
              applied(QStringLiteral("2:Bits=011"), QStringLiteral("Bits")).value<std::vector<bool>>());
    const Util::Vector3D corner = applied(QStringLiteral("2:Corner=4;5.5;-6"), QStringLiteral("Corner")).value<Util::Vector3D>();
    EXPECT_EQ(4.0, corner.x);
    EXPECT_EQ(5.5, corner.y);
    EXPECT_EQ(-6.0, corner.z);
}

TEST(ParameterOverride, TextThatIsNoNumberStaysTextForTheRunToRefuse)
{
    // As in a list file: the runner then reports an invalid value, not a missing one.
    const QVariant thickness = applied(QStringLiteral("2:Thickness=thick"), QStringLiteral("Thickness"));
    EXPECT_EQ(QMetaType::QString, int(thickness.type()));
}

TEST(ParameterOverride, MaterialIsSetWholeByNameOrId)
{
    for (const QString &text : {QStringLiteral("2:Material=Poly-Si"), QStringLiteral("2:Material_Id=16"),
                                QStringLiteral("2:Material=16")}) {
        Core::Steps::ProcessList list = everyKind();
        QString error;
        ASSERT_TRUE(parsed(text).apply(list, &error)) << error.toStdString();
        const ProcessData::Parameters &p = list.at(1).getParameters();
        EXPECT_EQ(16u, p.value(QStringLiteral("Material_Id")).toUInt()) << text.toStdString();
        EXPECT_EQ(QStringLiteral("Poly-Si"), p.value(QStringLiteral("Material")).toString());
        EXPECT_NE(QColor(Qt::blue), p.value(QStringLiteral("Material_Color")).value<QColor>());
    }
}

TEST(ParameterOverride, AnAliasAndAnotherSpellingReachTheStoredValue)
{
    // "Film Thickness" is what Isotropic Deposition keeps; CVD declares it as its Thickness's alias.
    EXPECT_DOUBLE_EQ(5.0, applied(QStringLiteral("2:Film Thickness=5"), QStringLiteral("Thickness")).toDouble());
    Core::Steps::ProcessList list = everyKind();
    QString error;
    ASSERT_TRUE(parsed(QStringLiteral("2:Film Thickness=5")).apply(list, &error)) << error.toStdString();
    EXPECT_FALSE(list.at(1).hasParameter(QStringLiteral("Film Thickness"))) << "the list keeps its own name";
    for (const QString &text : {QStringLiteral("2:Material=Thermal SiO2"), QStringLiteral("2:Material=thermal si02")}) {
        Core::Steps::ProcessList oxide = everyKind();
        oxide[1].setMaterial(QStringLiteral("Material"), 16, QStringLiteral("Poly-Si"), QColor(Qt::green));
        ASSERT_TRUE(parsed(text).apply(oxide, &error)) << error.toStdString();
        EXPECT_EQ(3u, oxide.at(1).getParameters().value(QStringLiteral("Material_Id")).toUInt()) << text.toStdString();
        EXPECT_EQ(QStringLiteral("Thermal Si02"), oxide.at(1).getParameters().value(QStringLiteral("Material")).toString());
    }
}

TEST(ParameterOverride, BadTargetsAreRefusedAndLeaveTheListAsItWas)
{
    struct Case
    {
        const char *text;
        const char *reason;
    };
    const Case cases[] = {
        {"3:Thickness=1", "no step 3"},
        {"2:Thicknes=1", "no parameter \"Thicknes\". Did you mean \"Thickness\""},
        {"2:Material=Unobtainium", "no material"},
        {"2:Material=Poly-Sj", "Did you mean \"Poly-Si\"?"},
        {"2:Material_Id=999", "no material"},
    };
    for (const Case &c : cases) {
        Core::Steps::ProcessList list = everyKind();
        const ProcessData::Parameters before = list.at(1).getParameters();
        QString error;
        EXPECT_FALSE(parsed(QString::fromLatin1(c.text)).apply(list, &error)) << c.text;
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.reason))) << error.toStdString();
        EXPECT_EQ(before, list.at(1).getParameters()) << c.text;
    }
    for (const char *text : {"Thickness=1", "0:Thickness=1", "x:Thickness=1", "2:=1", "2:Thickness", ""}) {
        ParameterOverride override;
        QString error;
        EXPECT_FALSE(ParameterOverride::parse(QString::fromLatin1(text), override, &error)) << text;
        EXPECT_FALSE(error.isEmpty());
    }
}
