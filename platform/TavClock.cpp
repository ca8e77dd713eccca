#include "platform/TavClock.h"

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

Clock& clock() {
    return *g_clock.load();
}

Clock* setClock(Clock* c) {
    Clock* previous = g_clock.exchange(c ? c : &g_systemClock);
    return previous == &g_systemClock ? nullptr : previous;
}

}  // namespace tavso
