// The platform thread: starts a function with one pointer argument; a failed start is reported
// by a negative result, so callers can tell it from a running worker.
#pragma once

#include <pthread.h>

class TavThread {
  public:
    using Function = int (*)(void* argument);

    TavThread() = default;
    ~TavThread();  // joins a thread still running: a worker never outlives its object
    TavThread(const TavThread&) = delete;
    TavThread& operator=(const TavThread&) = delete;

    // 0 when started, negative when the thread could not be started (or one is running already).
    int createThread(Function function, void* argument);
    // Waits for the thread; its function's result, or -1 when no thread was started.
    int joinThread();

  private:
    static void* run(void* self);

    pthread_t m_thread{};
    bool m_started = false;
    Function m_function = nullptr;
    void* m_argument = nullptr;
    int m_result = 0;
};
