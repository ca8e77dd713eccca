#include <gtest/gtest.h>

#include <atomic>

#include "platform/TavNamedMutex.h"
#include "platform/TavThread.h"

namespace {
struct Shared {
    std::atomic<int> inside{0};
    std::atomic<int> maxInside{0};
    int counter = 0;
};

int worker(void* arg) {
    auto* s = static_cast<Shared*>(arg);
    for (int i = 0; i < 200; ++i) {
        CUboError error;
        TavNamedMutex m("TAV_SSH2_Snap_Mutex", &error, true);
        int now = ++s->inside;
        int seen = s->maxInside.load();
        while (now > seen && !s->maxInside.compare_exchange_weak(seen, now)) {
        }
        ++s->counter;
        --s->inside;
    }
    return 0;
}
}  // namespace

TEST(NamedMutex, ObjectsOfOneNameExcludeEachOther) {
    Shared shared;
    TavThread a, b;
    ASSERT_EQ(0, a.createThread(worker, &shared));
    ASSERT_EQ(0, b.createThread(worker, &shared));
    a.joinThread();
    b.joinThread();
    EXPECT_EQ(400, shared.counter);
    EXPECT_EQ(1, shared.maxInside.load());
}

TEST(NamedMutex, ConstructedUnlockedWithoutErrorAndEmptyNameFails) {
    CUboError error;
    TavNamedMutex m("TAV_SSH2_Snap_Mutex", &error, false);
    EXPECT_FALSE(error.IsError());
    EXPECT_TRUE(m.isValid());
    TavNamedMutex other("TAV_SSH2_Snap_Mutex", &error, true);  // not held by m
    EXPECT_FALSE(error.IsError());
    TavNamedMutex bad("", &error, false);
    EXPECT_TRUE(error.IsError());
    EXPECT_FALSE(bad.isValid());
}
