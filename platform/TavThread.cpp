#include "platform/TavThread.h"

TavThread::~TavThread() {
    joinThread();
}

void* TavThread::run(void* self) {
    TavThread* t = static_cast<TavThread*>(self);
    t->m_result = t->m_function(t->m_argument);
    return nullptr;
}

int TavThread::createThread(Function function, void* argument) {
    if (!function || m_started) {
        return -1;
    }
    m_function = function;
    m_argument = argument;
    if (pthread_create(&m_thread, nullptr, &TavThread::run, this) != 0) {
        return -1;
    }
    m_started = true;
    return 0;
}

int TavThread::joinThread() {
    if (!m_started) {
        return -1;
    }
    pthread_join(m_thread, nullptr);
    m_started = false;
    return m_result;
}
