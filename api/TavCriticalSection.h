// The plug-in's critical section: owns one platform critical section for its lifetime.
#pragma once

#include <memory>
#include <new>
#include <stdexcept>

#include "platform/TavCriticalSectionH.h"

class TavCriticalSection {
  public:
    TavCriticalSection() : m_cs(new (std::nothrow) TavCriticalSectionH) {
        if (!m_cs) {
            throw std::runtime_error("Not enough memory to initialize TavCriticalSection");
        }
    }
    TavCriticalSection(const TavCriticalSection&) = delete;
    TavCriticalSection& operator=(const TavCriticalSection&) = delete;

    bool enter(bool wait = true) { return m_cs->enter(wait); }
    void leave() { m_cs->leave(); }

  private:
    std::unique_ptr<TavCriticalSectionH> m_cs;
};

// Holds a critical section for a scope.
class TavCriticalSectionLock {
  public:
    explicit TavCriticalSectionLock(TavCriticalSection* cs) : m_cs(cs) {
        if (m_cs) {
            m_cs->enter(true);
        }
    }
    ~TavCriticalSectionLock() {
        if (m_cs) {
            m_cs->leave();
        }
    }
    TavCriticalSectionLock(const TavCriticalSectionLock&) = delete;
    TavCriticalSectionLock& operator=(const TavCriticalSectionLock&) = delete;

  private:
    TavCriticalSection* m_cs;
};
