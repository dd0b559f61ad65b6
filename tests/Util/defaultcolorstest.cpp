#include "Util/defaultcolors.h"

#include <gtest/gtest.h>

using Util::DefaultColors;
using Util::Vector4D;

TEST(DefaultColors, TableHoldsTheNamedSchemes)
{
    EXPECT_EQ(DefaultColors::name(0), QStringLiteral("Object Color"));
    EXPECT_EQ(DefaultColors::name(8), QStringLiteral("Object Temporary Color"));
    EXPECT_TRUE(DefaultColors::name(9).isEmpty());
    EXPECT_EQ(DefaultColors::color(DefaultColors::ObjectColor, 0), Vector4D(0, 0, 0, 1));
    EXPECT_EQ(DefaultColors::color(DefaultColors::ObjectColor, 2), Vector4D(1, 0, 0, 1));
    EXPECT_EQ(DefaultColors::color(DefaultColors::BackgroundColor, 1), Vector4D(1, 1, 1, 0));
    EXPECT_EQ(DefaultColors::color(DefaultColors::SubstrateOutlineColor, 1), Vector4D(0.6, 0.6, 0.6, 1));
}

TEST(DefaultColors, ActiveSchemeSelectsTheColumn)
{
    ASSERT_EQ(DefaultColors::activeScheme(), 0);
    DefaultColors::setActiveScheme(1);
    EXPECT_EQ(DefaultColors::color(DefaultColors::ConsoleTextColor), Vector4D(1, 1, 1, 1));
    DefaultColors::setActiveScheme(7); // ignored
    EXPECT_EQ(DefaultColors::activeScheme(), 1);
    DefaultColors::setActiveScheme(0);
}
