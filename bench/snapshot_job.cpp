// End-to-end cost of a snapshot job against simulated arrays: prepare and snap of 16 LUNs on one
// array, then of 64 LUNs on four arrays (16 each). The workers of the four arrays run in
// parallel, so the second snap should cost little more than the first. Each job runs three
// times and the median is printed. The bare simulator answers in microseconds, so there the SSH
// logins (serialised across workers) dominate; the second CLI run gives every command 20 ms of
// latency, closer to what an array's CLI takes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/SnapJobBed.h"

namespace {

struct Phase {
    double prepareMs = 0;
    double snapMs = 0;
    size_t logins = 0;
    size_t commands = 0;
    size_t requests = 0;
    int prepareResult = -1;
    int snapResult = -1;
};

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

Phase runJob(int arrays, int lunsPerArray, const char* firmware, uint64_t commandDelayMs) {
    tavso::test::BedOptions options;
    options.installClock = false;  // timed for real
    tavso::test::SnapJobBed bed(options);
    for (int a = 0; a < arrays; ++a) {
        char serial[32];
        std::snprintf(serial, sizeof serial, "21023512340000%06d", a + 1);
        tavso::test::BedArray& array = bed.addArray(serial, firmware);
        if (commandDelayMs) {
            tavso::sim::FaultPlan plan;
            tavso::sim::CliFault latency;
            latency.delayMs = commandDelayMs;
            plan.rules.push_back(latency);
            array.sim->setFaultPlan(plan);
        }
        for (int l = 0; l < lunsPerArray; ++l) {
            bed.addVolume(array, "lun_" + std::to_string(a) + "_" + std::to_string(l));
        }
    }
    Phase p;
    auto start = std::chrono::steady_clock::now();
    p.prepareResult = bed.prepare();
    p.prepareMs = msSince(start);
    start = std::chrono::steady_clock::now();
    p.snapResult = bed.snap();
    p.snapMs = msSince(start);
    for (auto& a : bed.arrays) {
        p.logins += a->sim->transcript().logins().size();
        p.commands += a->commands().size();
        p.requests += a->requests().size();
    }
    return p;
}

Phase median(int arrays, int lunsPerArray, const char* firmware, uint64_t commandDelayMs) {
    std::vector<Phase> runs;
    for (int i = 0; i < 3; ++i) {
        runs.push_back(runJob(arrays, lunsPerArray, firmware, commandDelayMs));
    }
    std::sort(runs.begin(), runs.end(), [](const Phase& a, const Phase& b) { return a.snapMs < b.snapMs; });
    Phase m = runs[1];
    std::vector<double> prepares;
    for (const Phase& r : runs) {
        prepares.push_back(r.prepareMs);
    }
    std::sort(prepares.begin(), prepares.end());
    m.prepareMs = prepares[1];
    return m;
}

void print(const char* label, int volumes, const Phase& p) {
    std::printf(
        "  %-20s prepare %8.1f ms (%6.2f ms/volume, result %d)  snap %8.1f ms (result %d)  "
        "CLI logins %zu, CLI commands %zu, REST requests %zu per job\n",
        label, p.prepareMs, p.prepareMs / volumes, p.prepareResult, p.snapMs, p.snapResult, p.logins,
        p.commands, p.requests);
}

void scenario(const char* title, const char* firmware, uint64_t commandDelayMs) {
    std::printf("%s\n", title);
    const Phase one = median(1, 16, firmware, commandDelayMs);
    const Phase four = median(4, 16, firmware, commandDelayMs);
    print("1 array x 16 LUNs", 16, one);
    print("4 arrays x 16 LUNs", 64, four);
    std::printf("  snap ratio (4 arrays / 1 array): %.2f (target <= 1.5)\n\n",
                one.snapMs > 0 ? four.snapMs / one.snapMs : 0.0);
}

}  // namespace

int main() {
    scenario("CLI arrays (firmware V300R006C00), bare simulator", "V300R006C00", 0);
    scenario("CLI arrays (firmware V300R006C00), 20 ms per command", "V300R006C00", 20);
    scenario("REST arrays (firmware V500R007C10), bare simulator", "V500R007C10", 0);
    return 0;
}
