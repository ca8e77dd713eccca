#include "platform/TavClock.h"

#include <poll.h>

#include <chrono>
#include <thread>

namespace tavso {

namespace {
SystemClock g_systemClock;
std::atomic<Clock*> g_clock{&g_systemClock};
}  // namespace

uint64_t SystemClock::nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::sleepMs(uint64_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void FakeClock::sleepMs(uint64_t ms) {
    m_now += ms;
    m_slept += ms;
    ++m_sleeps;
    // Let other threads run, as a real sleep would.
    std::this_thread::yield();
}

namespace {
bool pollReady(int fd, bool forWrite, int timeoutMs) {
    pollfd p{};
    p.fd = fd;
    p.events = forWrite ? POLLOUT : POLLIN;
    return ::poll(&p, 1, timeoutMs) > 0;
}
// A fake-clock wait still gives the peer (an in-process simulator) real time to answer.
constexpr int kFakeRealWaitMs = 10;
}  // namespace

uint64_t Clock::waitReadyMs(int fd, bool forWrite, uint64_t maxMs) {
    uint64_t start = nowMs();
    pollReady(fd, forWrite, static_cast<int>(maxMs));
    return nowMs() - start;
}

uint64_t FakeClock::waitReadyMs(int fd, bool forWrite, uint64_t maxMs) {
    uint64_t start = nowMs();
    bool ready = pollReady(fd, forWrite, static_cast<int>(maxMs < kFakeRealWaitMs ? maxMs : kFakeRealWaitMs));
    uint64_t waited = nowMs() - start;  // other threads may have slept on this clock meanwhile
    if (!ready && waited < maxMs) {
        m_now += maxMs - waited;
        waited = maxMs;
    }
    return waited;
}

Clock& clock() {
    return *g_clock.load();
}

Clock* setClock(Clock* c) {
    Clock* previous = g_clock.exchange(c ? c : &g_systemClock);
    return previous == &g_systemClock ? nullptr : previous;
}

}  // namespace tavso
