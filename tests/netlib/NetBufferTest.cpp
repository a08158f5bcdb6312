// Reference counts and the reference-counted byte buffer.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "netlib/CNetBuffer.h"

namespace {

class Counted : public CNetRefCounted {
public:
    explicit Counted(LONG refs) : CNetRefCounted(refs) {}
};

TEST(NetRefCountTest, ConditionalReferenceOnADeadObjectLeavesItDead) {
    Counted dead(0);
    EXPECT_FALSE(dead.TryAddRef());
    EXPECT_EQ(0, dead.RefCount());
    Counted alive(1);
    EXPECT_TRUE(alive.TryAddRef());
    EXPECT_EQ(2, alive.RefCount());
}

TEST(NetRefCountTest, OnlyOneHolderEverSeesTheLastReferenceUnderContention) {
    // Threads that take conditional references while the owner drops the last
    // one must never revive the object: exactly one Release reaches zero.
    for (int round = 0; round < 300; ++round) {
        Counted object(1);
        std::atomic<int> zeroes{0};
        std::atomic<bool> go{false};
        std::vector<std::thread> takers;
        for (int t = 0; t < 4; ++t) {
            takers.emplace_back([&] {
                while (!go) {}
                for (int i = 0; i < 50; ++i)
                    if (object.TryAddRef() && object.Release()) ++zeroes;
            });
        }
        go = true;
        if (object.Release()) ++zeroes;
        for (auto& t : takers) t.join();
        ASSERT_EQ(1, zeroes.load()) << "round " << round;
        ASSERT_EQ(0, object.RefCount());
    }
}

TEST(NetBufferTest, CreateRefusesWhatCannotHoldData) {
    struct Case {
        int size;
        const void* data;
        bool copy;
    };
    const Case refused[] = {{0, "x", true}, {-1, "x", true}, {0, nullptr, false}, {5, nullptr, true}};
    for (const Case& c : refused)
        EXPECT_EQ(nullptr, CNetBuffer::Create(c.size, c.data, c.copy)) << c.size << " " << c.copy;
    EXPECT_EQ(0, CNetBuffer::LiveCount());
}

TEST(NetBufferTest, CopyAttachAndZeroedBlocks) {
    CNetBuffer* copy = CNetBuffer::CreateCopy(5, "abcde");
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(0, copy->RefCount()) << "the caller takes the first reference";
    copy->AddRef();
    EXPECT_EQ(5, copy->GetSize());
    EXPECT_EQ(0, memcmp(copy->GetData(), "abcde\0", 6));

    char* owned = static_cast<char*>(malloc(3));
    memcpy(owned, "xyz", 3);
    CNetBuffer* attached = CNetBuffer::Create(3, owned, false);
    ASSERT_NE(nullptr, attached);
    attached->AddRef();
    EXPECT_EQ(owned, attached->GetData());

    CNetBuffer* zeroed = CNetBuffer::Create(4096, nullptr, false);
    ASSERT_NE(nullptr, zeroed);
    zeroed->AddRef();
    EXPECT_EQ(std::vector<char>(4096, 0), std::vector<char>(zeroed->GetData(), zeroed->GetData() + 4096));

    EXPECT_EQ(0, zeroed->CopyFrom(7, nullptr)) << "a size with no data behind it";
    EXPECT_EQ(0, zeroed->GetSize());
    EXPECT_EQ(nullptr, zeroed->GetData());

    EXPECT_EQ(3, CNetBuffer::LiveCount());
    NetRelease(copy);
    NetRelease(attached);
    NetRelease(zeroed);
    EXPECT_EQ(nullptr, copy);
    EXPECT_EQ(0, CNetBuffer::LiveCount());
}

}  // namespace
