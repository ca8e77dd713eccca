#include <gtest/gtest.h>

#include <openssl/crypto.h>

#include <atomic>
#include <thread>
#include <vector>

#include "cli/SSLCryptoThrd.h"

namespace {

// The module installer is set up at load; these tests run its callbacks as the crypto library would.
TEST(CryptoLocks, LoadTimeSetupMatchesLibraryLockCount) {
    EXPECT_EQ(CSSLCryptoThrd::LockCount(), static_cast<uint32_t>(CRYPTO_num_locks()));
    EXPECT_GT(CSSLCryptoThrd::LockCount(), 0u);
}

TEST(CryptoLocks, LockNumberAtOrAboveCountIsIgnored) {
    uint32_t count = CSSLCryptoThrd::LockCount();
    // Neither call may touch a lock that does not exist (the sanitizers would see it).
    CSSLCryptoThrd::CryptoLockingCallback(1, static_cast<int>(count), __FILE__, __LINE__);
    CSSLCryptoThrd::CryptoLockingCallback(2, static_cast<int>(count) + 7, __FILE__, __LINE__);
    CSSLCryptoThrd::CryptoLockingCallback(1, -1, __FILE__, __LINE__);
}

TEST(CryptoLocks, LockExcludesOtherThreads) {
    std::atomic<int> inside{0};
    std::atomic<int> overlap{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                CSSLCryptoThrd::CryptoLockingCallback(1, 0, __FILE__, __LINE__);
                if (inside.fetch_add(1) != 0) {
                    ++overlap;
                }
                inside.fetch_sub(1);
                CSSLCryptoThrd::CryptoLockingCallback(2, 0, __FILE__, __LINE__);
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(overlap.load(), 0);
}

TEST(CryptoLocks, CleanupEmptiesTheLocksAndSetupRestoresThem) {
    g_HuaweiCryptoThread.MultiThreadCleanup();
    EXPECT_EQ(CSSLCryptoThrd::LockCount(), 0u);
    CSSLCryptoThrd::CryptoLockingCallback(1, 0, __FILE__, __LINE__);  // no lock left: nothing happens
    g_HuaweiCryptoThread.MultiThreadSetup();
    EXPECT_EQ(CSSLCryptoThrd::LockCount(), static_cast<uint32_t>(CRYPTO_num_locks()));
}

TEST(CryptoLocks, ThreadIdsTellThreadsApart) {
    unsigned long mine = CSSLCryptoThrd::ssl_id_callback();
    unsigned long other = 0;
    std::thread([&] { other = CSSLCryptoThrd::ssl_id_callback(); }).join();
    EXPECT_NE(mine, other);
    EXPECT_EQ(mine, CSSLCryptoThrd::ssl_id_callback());
}

}  // namespace
