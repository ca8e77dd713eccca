// The platform's named system mutex: one lock per name within the process (the plug-in only needs
// processes not to race inside one host process). Created unlocked unless `lockNow` is given.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/UboError.h"

class TavNamedMutex {
  public:
    TavNamedMutex(const char* name, CUboError* error, bool lockNow);
    ~TavNamedMutex();
    TavNamedMutex(const TavNamedMutex&) = delete;
    TavNamedMutex& operator=(const TavNamedMutex&) = delete;

    void lock();
    void unlock();

  private:
    std::shared_ptr<std::recursive_mutex> m_mutex;
    int m_held = 0;
};
