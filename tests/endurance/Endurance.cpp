// Endurance of the snapshot job: seeded runs of whole prepare and snap jobs through the exported
// functions against simulated arrays with random faults, several jobs at once, and a load run of
// many arrays and volumes. Every failure prints the command that repeats its seed.
//
//   endurance --seed=N [--count=K] [--arrays=A] [--volumes=V] [--jobs=J] [--load=none|small|full]
#include <sys/resource.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/TavClock.h"
#include "platform/TavPlatformInfo.h"
#include "tests/endurance/EnduranceJob.h"
#include "tests/support/DebugLogCapture.h"

namespace {

using tavso::endurance::EnduranceJob;
using tavso::endurance::JobOutcome;
using tavso::endurance::JobShape;

struct Options {
    uint64_t seed = 1;
    unsigned count = 1;
    JobShape shape;
    unsigned jobs = 2;
    std::string load = "none";
    unsigned watchdogSeconds = 900;
    bool verbose = false;
};

// Fails the run when one phase takes far longer than any healthy run does: a hang must not
// pass as slowness.
class Watchdog {
  public:
    explicit Watchdog(unsigned seconds) : m_limit(seconds), m_thread([this] { watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void phase(const std::string& name) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_phase = name;
        m_since = std::chrono::steady_clock::now();
    }

  private:
    void watch() {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            if (std::chrono::steady_clock::now() - m_since > m_limit) {
                fprintf(stderr, "WATCHDOG: [%s] has run for more than %lld s: hang\n", m_phase.c_str(),
                        static_cast<long long>(m_limit.count()));
                fflush(stderr);
                std::abort();
            }
            m_wake.wait_for(lock, std::chrono::seconds(1));
        }
    }

    std::chrono::seconds m_limit;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::string m_phase = "start";
    std::chrono::steady_clock::time_point m_since = std::chrono::steady_clock::now();
    std::thread m_thread;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        const std::string key = arg.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : arg.substr(eq + 1);
        const unsigned long n = std::strtoul(value.c_str(), nullptr, 10);
        if (key == "--seed") {
            o.seed = std::strtoull(value.c_str(), nullptr, 10);
        } else if (key == "--count") {
            o.count = static_cast<unsigned>(n);
        } else if (key == "--arrays" && n > 0 && n <= 200) {
            o.shape.arrays = static_cast<unsigned>(n);
        } else if (key == "--volumes" && n > 0 && n <= 256) {
            o.shape.volumesPerArray = static_cast<unsigned>(n);
        } else if (key == "--jobs" && n > 0 && n <= 16) {
            o.jobs = static_cast<unsigned>(n);
        } else if (key == "--load" && (value == "none" || value == "small" || value == "full")) {
            o.load = value;
        } else if (key == "--watchdog" && n > 0) {
            o.watchdogSeconds = static_cast<unsigned>(n);
        } else if (key == "--verbose") {
            o.verbose = true;
            o.shape.keepLogs = true;
        } else {
            fprintf(stderr,
                    "usage: %s [--seed=N] [--count=K] [--arrays=A] [--volumes=V] [--jobs=J] "
                    "[--load=none|small|full] [--watchdog=SECONDS] [--verbose]\n",
                    argv[0]);
            return false;
        }
    }
    return true;
}

struct Round {
    std::vector<JobOutcome> outcomes;
    std::vector<std::string> failures;  // whole-round ones (the module debug log)
    double seconds = 0;
};

// `jobs` jobs at once, each on arrays of its own; the process-wide settings name the shared ports.
Round runRound(uint64_t seed, unsigned jobs, const JobShape& shape, tavso::test::DebugLogCapture& debugLog) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::unique_ptr<EnduranceJob>> all;
    for (unsigned j = 0; j < jobs; ++j) {
        const uint16_t cli = all.empty() ? 0 : all.front()->bed().cliPort();
        const uint16_t rest = all.empty() ? 0 : all.front()->bed().restPort();
        all.push_back(std::make_unique<EnduranceJob>(seed, j, shape, cli, rest));
    }
    Round round;
    round.outcomes.resize(jobs);
    debugLog.clear();
    {
        ScopedSettings settings(all.front()->bed().settingsText());
        std::vector<std::thread> threads;
        for (unsigned j = 0; j < jobs; ++j) {
            threads.emplace_back([&, j] { round.outcomes[j] = all[j]->run(); });
        }
        for (auto& t : threads) {
            t.join();
        }
    }
    std::vector<std::string> passwords;
    for (const auto& job : all) {
        passwords.insert(passwords.end(), job->passwords().begin(), job->passwords().end());
    }
    for (const auto& line : debugLog.lines()) {
        tavso::endurance::findSecrets(passwords, "module debug log [" + line.tag + "]", line.text,
                                      round.failures);
    }
    all.clear();
    round.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return round;
}

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string repeatCommand(const char* argv0, const Options& o, uint64_t seed) {
    return std::string(argv0) + " --seed=" + std::to_string(seed) +
           " --arrays=" + std::to_string(o.shape.arrays) +
           " --volumes=" + std::to_string(o.shape.volumesPerArray) + " --jobs=" + std::to_string(o.jobs);
}

// Prints the round's findings; true when it passed.
bool report(const std::string& name, const Round& round, bool verbose, const std::string& repeat) {
    unsigned volumes = 0, prepared = 0, snapped = 0, notes = 0;
    std::vector<std::string> failures = round.failures;
    for (const JobOutcome& o : round.outcomes) {
        volumes += o.volumes;
        prepared += o.prepared;
        snapped += o.snapped;
        notes += static_cast<unsigned>(o.notes.size());
        failures.insert(failures.end(), o.failures.begin(), o.failures.end());
    }
    printf("%s: %u volumes, %u prepared, %u snapped, %u notes, %.1f s%s\n", name.c_str(), volumes, prepared,
           snapped, notes, round.seconds, failures.empty() ? "" : " FAILED");
    for (const JobOutcome& o : round.outcomes) {
        if (verbose || !failures.empty()) {
            for (const std::string& p : o.faultPlans) {
                printf("  plan: %s\n", p.c_str());
            }
        }
        for (const std::string& n : o.notes) {
            printf("  note: %s\n", n.c_str());
        }
        if (verbose) {
            for (const std::string& l : o.logs) {
                printf("  log: %s\n", l.c_str());
            }
        }
    }
    for (const std::string& f : failures) {
        printf("  FAIL: %s\n", f.c_str());
    }
    if (!failures.empty()) {
        printf("  repeat with: %s\n", repeat.c_str());
    }
    fflush(stdout);
    return failures.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        return 2;
    }
    // One plug-in clock for every job of the process: waits cost no wall time.
    tavso::FakeClock clock;
    tavso::ScopedClock useClock(clock);
    tavso::test::DebugLogCapture debugLog;
    Watchdog watchdog(o.watchdogSeconds);
    unsigned passed = 0, failed = 0;
    for (unsigned i = 0; i < o.count; ++i) {
        const uint64_t seed = o.seed + i;
        watchdog.phase("seed " + std::to_string(seed));
        Round round = runRound(seed, o.jobs, o.shape, debugLog);
        (report("seed " + std::to_string(seed), round, o.verbose, repeatCommand(argv[0], o, seed))
             ? passed
             : failed)++;
    }
    if (o.load != "none") {
        JobShape load;
        load.faults = false;
        const bool full = o.load == "full";
        load.arrays = full ? 16 : 4;
        load.volumesPerArray = full ? 64 : 8;
        // One such job alone, then several at once.
        for (unsigned jobs : {1u, full ? 8u : 2u}) {
            const std::string name = "load " + std::to_string(jobs) + " job(s) x " +
                                     std::to_string(load.arrays) + " arrays x " +
                                     std::to_string(load.volumesPerArray) + " volumes";
            watchdog.phase(name);
            Round round = runRound(0, jobs, load, debugLog);
            (report(name, round, o.verbose, std::string(argv[0]) + " --count=0 --load=" + o.load) ? passed
                                                                                                  : failed)++;
        }
    }
    printf("endurance: %u passed, %u failed; peak memory %ld KB\n", passed, failed, peakRssKb());
    return failed == 0 ? 0 : 1;
}
