#include "platform/TavNamedMutex.h"

#include <map>

namespace {
std::mutex g_registryLock;
std::map<std::string, std::weak_ptr<std::recursive_mutex>> g_registry;
}  // namespace

TavNamedMutex::TavNamedMutex(const char* name, CUboError* error, bool lockNow) {
    std::string key = name ? name : "";
    {
        std::lock_guard<std::mutex> g(g_registryLock);
        m_mutex = g_registry[key].lock();
        if (!m_mutex) {
            m_mutex = std::make_shared<std::recursive_mutex>();
            g_registry[key] = m_mutex;
        }
    }
    if (error) {
        error->Clear();
    }
    if (lockNow) {
        lock();
    }
}

TavNamedMutex::~TavNamedMutex() {
    while (m_held > 0) {
        unlock();
    }
}

void TavNamedMutex::lock() {
    m_mutex->lock();
    ++m_held;
}

void TavNamedMutex::unlock() {
    if (m_held > 0) {
        --m_held;
        m_mutex->unlock();
    }
}
