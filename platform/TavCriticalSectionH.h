// The platform critical section (recursive, like the maker's): enter may wait or only try.
#pragma once

#include <mutex>

class TavCriticalSectionH {
  public:
    // wait=true blocks until entered; wait=false only tries. True when entered.
    bool enter(bool wait) {
        if (wait) {
            m_mutex.lock();
            return true;
        }
        return m_mutex.try_lock();
    }
    void leave() { m_mutex.unlock(); }

  private:
    std::recursive_mutex m_mutex;
};
