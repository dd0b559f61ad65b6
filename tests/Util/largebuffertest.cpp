#include "Util/largebuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

TEST(LargeArray, StartsZeroedAndMovesOwnership)
{
    Util::LargeArray<uint32_t> a(3u << 20);
    ASSERT_EQ(a.size(), 3u << 20);
    EXPECT_TRUE(std::all_of(a.begin(), a.end(), [](uint32_t v) { return v == 0; }));
    a[12345] = 7;
    Util::LargeArray<uint32_t> b(std::move(a));
    EXPECT_EQ(a.size(), 0u);
    EXPECT_EQ(a.data(), nullptr);
    EXPECT_EQ(b[12345], 7u);
    Util::LargeArray<uint32_t> c;
    c = std::move(b);
    EXPECT_EQ(c[12345], 7u);
    EXPECT_EQ(Util::LargeArray<uint32_t>(0).data(), nullptr);
}

TEST(LargeArray, ImpossibleSizesThrowInsteadOfWrapping)
{
    EXPECT_THROW(Util::LargeArray<uint64_t>(size_t(-1) / 4), std::bad_alloc);
    EXPECT_THROW(Util::LargeBuffer(size_t(1) << 62), std::bad_alloc);
}
