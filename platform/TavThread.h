// The platform thread: starts a function with one pointer argument; a failed start is reported,
// and a started thread is joined (by join() or, at the latest, by the destructor).
#pragma once

#include <thread>

class TavThread {
  public:
    using Function = void (*)(void*);

    TavThread() = default;
    ~TavThread() { join(); }
    TavThread(const TavThread&) = delete;
    TavThread& operator=(const TavThread&) = delete;

    // False when the thread could not be started (or one is running already).
    bool create(Function function, void* argument);
    void join();
    bool running() const { return m_thread.joinable(); }

    // Tests: the next `count` creates fail, as when the system has no threads left.
    static void failNextCreates(int count);

  private:
    std::thread m_thread;
};
