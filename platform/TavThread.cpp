#include "platform/TavThread.h"

#include <atomic>
#include <system_error>

namespace {
std::atomic<int> g_failCreates{0};
}

void TavThread::failNextCreates(int count) {
    g_failCreates = count;
}

bool TavThread::create(Function function, void* argument) {
    if (!function || m_thread.joinable()) {
        return false;
    }
    for (int left = g_failCreates.load(); left > 0;) {
        if (g_failCreates.compare_exchange_weak(left, left - 1)) {
            return false;
        }
    }
    try {
        m_thread = std::thread(function, argument);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void TavThread::join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}
