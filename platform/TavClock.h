// The one clock of the plug-in: every sleep and every "now" goes through it, so tests can install
// a fake clock under which a 15-second poll costs no wall time.
#pragma once

#include <atomic>
#include <cstdint>

namespace tavso {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale.
    virtual uint64_t nowMs() = 0;
    virtual void sleepMs(uint64_t ms) = 0;
    // Waits at most maxMs for the descriptor to become readable (or writable) and returns the
    // milliseconds this clock counts as waited, so callers can charge socket waits to a budget.
    virtual uint64_t waitReadyMs(int fd, bool forWrite, uint64_t maxMs);
};

class SystemClock : public Clock {
  public:
    uint64_t nowMs() override;
    void sleepMs(uint64_t ms) override;
};

// Time moves only when somebody sleeps (or the test advances it); sleeping returns at once.
class FakeClock : public Clock {
  public:
    explicit FakeClock(uint64_t startMs = 1000000) : m_now(startMs) {}
    uint64_t nowMs() override { return m_now.load(); }
    void sleepMs(uint64_t ms) override;
    void advance(uint64_t ms) { m_now += ms; }
    // Polls the descriptor for real (briefly), but an empty wait counts as the full maxMs, so a
    // budget runs out as fast as the test needs while data is still taken as soon as it arrives.
    uint64_t waitReadyMs(int fd, bool forWrite, uint64_t maxMs) override;
    uint64_t sleptMs() const { return m_slept.load(); }
    unsigned sleepCount() const { return m_sleeps.load(); }

  private:
    std::atomic<uint64_t> m_now;
    std::atomic<uint64_t> m_slept{0};
    std::atomic<unsigned> m_sleeps{0};
};

// The installed clock (the system clock unless a test installed another).
Clock& clock();
// Installs `c` (null: back to the system clock); returns the one it replaced.
Clock* setClock(Clock* c);

// Installs a clock for the lifetime of the guard.
class ScopedClock {
  public:
    explicit ScopedClock(Clock& c) : m_previous(setClock(&c)) {}
    ~ScopedClock() { setClock(m_previous); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

  private:
    Clock* m_previous;
};

}  // namespace tavso
