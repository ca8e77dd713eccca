// Makes the crypto library thread-safe for SSH sessions run by several worker threads: installs
// its locking and thread-id callbacks when nobody else has, backed by one critical section per lock.
#pragma once

#include <cstdint>

#include "api/TavCriticalSection.h"
#include "platform/TavDebugLog.h"

class CSSLCryptoThrd {
  public:
    explicit CSSLCryptoThrd(const TavDebugLog* debugLog);
    ~CSSLCryptoThrd();
    CSSLCryptoThrd(const CSSLCryptoThrd&) = delete;
    CSSLCryptoThrd& operator=(const CSSLCryptoThrd&) = delete;

    void MultiThreadSetup();
    void MultiThreadCleanup();

    static void CryptoLockingCallback(int mode, int n, const char* file, int line);
    static unsigned long ssl_id_callback();

    static uint32_t LockCount() { return m_LockCount; }

  private:
    const TavDebugLog* m_pDebugLog;
    bool m_bInstalled = false;

    // Plain pointer on purpose: it must outlive every other static, since the module installer is
    // destroyed at unload after this file's objects may be gone. Owned by set-up and clean-up.
    static TavCriticalSection* m_pCryptoCS;
    static uint32_t m_LockCount;
};

// The process-wide installer, built at load after the connection critical section.
extern CSSLCryptoThrd g_HuaweiCryptoThread;
