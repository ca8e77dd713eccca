#include "cli/SSLCryptoThrd.h"

#include <openssl/crypto.h>
#include <pthread.h>

#include <mutex>
#include <new>

TavCriticalSection* CSSLCryptoThrd::m_pCryptoCS = nullptr;
uint32_t CSSLCryptoThrd::m_LockCount = 0;

namespace {
const TavDebugLog* g_cryptoDebugLog = nullptr;

// Sessions on several threads may find the callbacks missing at once; set-up must not overlap.
std::mutex& setupMutex() {
    static std::mutex m;
    return m;
}

// OpenSSL 3 keeps the 1.0 locking interface only as macros that may not use their arguments.
template <typename T>
void unused(T&&) {}
}  // namespace

CSSLCryptoThrd::CSSLCryptoThrd(const TavDebugLog* debugLog) : m_pDebugLog(debugLog) {
    g_cryptoDebugLog = debugLog;
    MultiThreadSetup();
}

CSSLCryptoThrd::~CSSLCryptoThrd() {
    MultiThreadCleanup();
}

void CSSLCryptoThrd::MultiThreadSetup() {
    std::lock_guard<std::mutex> lock(setupMutex());
    if (!CRYPTO_get_locking_callback()) {
        if (!m_pCryptoCS) {
            m_LockCount = static_cast<uint32_t>(CRYPTO_num_locks());
            try {
                m_pCryptoCS = new (std::nothrow) TavCriticalSection[m_LockCount];
            } catch (...) {
                m_pCryptoCS = nullptr;
            }
            if (!m_pCryptoCS) {
                // Without the array the callback would touch locks that do not exist.
                m_LockCount = 0;
                if (m_pDebugLog) {
                    m_pDebugLog->Print("CSSLCryptoThrd::MultiThreadSetup()", 1,
                                       "unable to initialize TavCriticalSection object");
                }
                return;
            }
        }
        CRYPTO_set_locking_callback(CryptoLockingCallback);
        if (m_pDebugLog) {
            m_pDebugLog->Print("CSSLCryptoThrd::MultiThreadSetup()", 1,
                               "initialized TavCriticalSection object [count - %u]", m_LockCount);
        }
        m_bInstalled = true;
    }
    if (!CRYPTO_get_id_callback()) {
        CRYPTO_set_id_callback(ssl_id_callback);
        m_bInstalled = true;
    }
    unused(&CryptoLockingCallback);
    unused(&ssl_id_callback);
}

void CSSLCryptoThrd::MultiThreadCleanup() {
    std::lock_guard<std::mutex> lock(setupMutex());
    if (m_pDebugLog) {
        m_pDebugLog->Print("CSSLCryptoThrd::MultiThreadCleanup()", 1,
                           "un-initialized TavCriticalSection object [count - %u]", m_LockCount);
    }
    if (m_pCryptoCS) {
        m_LockCount = 0;
        delete[] m_pCryptoCS;
        m_pCryptoCS = nullptr;
    }
    if (m_bInstalled) {
        CRYPTO_set_locking_callback(nullptr);
        CRYPTO_set_id_callback(nullptr);
        m_bInstalled = false;
    }
}

void CSSLCryptoThrd::CryptoLockingCallback(int mode, int n, const char* /*file*/, int /*line*/) {
    if (n < 0 || static_cast<uint32_t>(n) >= m_LockCount || !m_pCryptoCS) {
        return;
    }
    if (mode & 1) {
        m_pCryptoCS[n].enter(true);
    } else if (mode & 2) {
        m_pCryptoCS[n].leave();
    }
}

unsigned long CSSLCryptoThrd::ssl_id_callback() {
    return static_cast<unsigned long>(pthread_self());
}
