// The platform's named system mutex: every object made with the same name, in this process or
// another, shares one lock (an flock on a file under TMPDIR or /tmp, plus an in-process mutex).
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/UboError.h"

class TavNamedMutex {
  public:
    // lockNow true: acquired before the constructor returns. A failure is reported in error.
    TavNamedMutex(const char* name, CUboError* error, bool lockNow);
    ~TavNamedMutex();
    TavNamedMutex(const TavNamedMutex&) = delete;
    TavNamedMutex& operator=(const TavNamedMutex&) = delete;

    bool lock(CUboError* error);
    void unlock();
    bool isValid() const { return m_fd >= 0; }

  private:
    std::string m_name;
    std::shared_ptr<std::mutex> m_local;
    int m_fd = -1;
    bool m_locked = false;
};
