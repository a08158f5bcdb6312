#include "CByteRing.h"

#include <gtest/gtest.h>

TEST(CByteRingTest, KeepsOrderAcrossTheWrapAndRefusesWhatDoesNotFit) {
    CByteRing ring;
    ASSERT_FALSE(ring.Reset(0));
    ASSERT_TRUE(ring.Reset(10));
    uint8_t in[10], out[10];
    for (int i = 0; i < 10; ++i) in[i] = static_cast<uint8_t>(i + 1);
    ASSERT_TRUE(ring.Push(in, 7));
    EXPECT_FALSE(ring.Push(in, 4));  // all or nothing
    EXPECT_EQ(7u, ring.Size());
    ASSERT_EQ(5u, ring.Pop(out, 5));
    ASSERT_TRUE(ring.Push(in + 7, 3));
    ASSERT_TRUE(ring.Push(in, 5));  // wraps
    EXPECT_EQ(0u, ring.Free());
    ASSERT_EQ(10u, ring.Pop(out, 10));
    const uint8_t expected[10] = {6, 7, 8, 9, 10, 1, 2, 3, 4, 5};
    EXPECT_EQ(0, memcmp(expected, out, 10));
    EXPECT_EQ(0u, ring.Pop(out, 1));
}

TEST(CByteRingTest, TakesABlockLargerThanItselfOnlyWhenEmpty) {
    CByteRing ring;
    ASSERT_TRUE(ring.Reset(4));
    uint8_t big[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9}, out[9];
    ASSERT_TRUE(ring.Push(big, 1));
    EXPECT_FALSE(ring.Push(big, 9));
    ring.Pop(out, 1);
    ASSERT_TRUE(ring.Push(big, 9));
    ASSERT_EQ(9u, ring.Pop(out, 9));
    EXPECT_EQ(0, memcmp(big, out, 9));
}
