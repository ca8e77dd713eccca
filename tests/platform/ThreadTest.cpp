#include <gtest/gtest.h>

#include <atomic>

#include "platform/TavThread.h"

namespace {
int addOne(void* arg) {
    static_cast<std::atomic<int>*>(arg)->fetch_add(1);
    return 7;
}
}  // namespace

TEST(Thread, RunsTheFunctionWithItsArgumentAndJoinsWithItsResult) {
    std::atomic<int> counter{0};
    TavThread t1, t2;
    ASSERT_EQ(0, t1.createThread(addOne, &counter));
    ASSERT_EQ(0, t2.createThread(addOne, &counter));
    EXPECT_EQ(7, t1.joinThread());
    EXPECT_EQ(7, t2.joinThread());
    EXPECT_EQ(2, counter.load());
}

TEST(Thread, StartFailureAndJoinWithoutThreadAreDetectable) {
    TavThread t;
    EXPECT_GT(0, t.createThread(nullptr, nullptr));
    EXPECT_EQ(-1, t.joinThread());
    std::atomic<int> counter{0};
    ASSERT_EQ(0, t.createThread(addOne, &counter));
    EXPECT_GT(0, t.createThread(addOne, &counter));  // one thread per object
    EXPECT_EQ(7, t.joinThread());
    EXPECT_EQ(1, counter.load());
}
