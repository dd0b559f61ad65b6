#include "Util/vector3d.h"
#include "Util/vector4d.h"

#include <gtest/gtest.h>

#include <QVariant>

using Util::Vector3D;
using Util::Vector4D;

TEST(Vector4D, ComponentIndexBeyondTwoIsW)
{
    Vector4D v(1, 2, 3, 4);
    EXPECT_EQ(v.component(0), 1);
    EXPECT_EQ(v.component(1), 2);
    EXPECT_EQ(v.component(2), 3);
    EXPECT_EQ(v.component(3), 4);
    EXPECT_EQ(v.component(7), 4);
    EXPECT_EQ(v.component(-1), 4);
    v.component(1) = 9;
    EXPECT_EQ(v.y, 9);
}

TEST(Vector4D, ArithmeticTouchesAllFourComponents)
{
    const Vector4D a(1, 2, 3, 4), b(10, 20, 30, 40);
    EXPECT_EQ(a + b, Vector4D(11, 22, 33, 44));
    EXPECT_EQ(b - a, Vector4D(9, 18, 27, 36));
    EXPECT_EQ(2.0 * a, Vector4D(2, 4, 6, 8));
    Vector4D c = a;
    c += b;
    EXPECT_EQ(c, Vector4D(11, 22, 33, 44));
    EXPECT_EQ(Vector4D(5), Vector4D(5, 5, 5, 5));
}

TEST(Vector3D, AlwaysHasZeroW)
{
    EXPECT_EQ(Vector3D(Vector4D(1, 2, 3, 5)), Vector4D(1, 2, 3, 0));
    EXPECT_EQ(Vector3D(7), Vector4D(7, 7, 7, 0));
    EXPECT_EQ(Vector3D(), Vector4D(0, 0, 0, 0));
    double x, y, z;
    Vector3D(1, 2, 3).get(x, y, z);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(z, 3);
}

TEST(Vector3D, TravelsInVariantsUnderItsRegisteredName)
{
    EXPECT_EQ(QMetaType::type("Util::Vector3D"), Vector3D::registerMetaType());
    const QVariant v = QVariant::fromValue(Vector3D(1.5, -2, 3));
    EXPECT_STREQ(v.typeName(), "Util::Vector3D");
    EXPECT_EQ(Vector3D(v), Vector3D(1.5, -2, 3));
    // A variant that cannot become a vector gives the zero vector.
    EXPECT_EQ(Vector3D(QVariant(QStringLiteral("not a vector"))), Vector3D());
    EXPECT_EQ(Vector3D(QVariant()), Vector3D());
}
