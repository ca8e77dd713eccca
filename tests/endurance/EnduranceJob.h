// One endurance job: a bed of simulated arrays (CLI and REST mixed), volumes spread over them,
// random faults drawn from a seed, prepare and snap through the exported functions, and the
// checks that must hold after each step whatever the faults did.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/support/SnapJobBed.h"

namespace tavso::endurance {

struct JobShape {
    unsigned arrays = 4;
    unsigned volumesPerArray = 8;  // with faults: at most this many; without: exactly
    bool faults = true;
    bool keepLogs = false;  // keep every volume's log lines even when the job passes
};

// What a job found; a failure names the invariant and the volume or array it concerns.
struct JobOutcome {
    std::vector<std::string> failures;
    std::vector<std::string> notes;  // snapshots the plug-in said it left behind, and the like
    unsigned volumes = 0;
    unsigned prepared = 0;
    unsigned snapped = 0;
    std::vector<std::string> faultPlans;  // one line per array, for a failure report
    std::vector<std::string> logs;        // every volume's log lines, kept when the job failed
};

class Draw;

class EnduranceJob {
  public:
    // `index` numbers the job within its round: its arrays listen on 127.0.<index + 1>.n.
    EnduranceJob(uint64_t seed, unsigned index, const JobShape& shape, uint16_t cliPort, uint16_t restPort);

    tavso::test::SnapJobBed& bed() { return m_bed; }
    // Every array's password, to look for in whatever the plug-in wrote.
    const std::vector<std::string>& passwords() const { return m_passwords; }

    // Prepare, check, snap the prepared volumes, check. Runs on a thread of its own.
    JobOutcome run();

  private:
    struct ArrayInfo {
        bool rest = false;
        std::string password;
    };

    void addVolumes();
    void drawFaults(bool snap);
    void drawSnapModelFaults(Draw& draw, size_t array, std::string& text);
    void checkPrepare(JobOutcome& out);
    void checkSnap(const std::vector<size_t>& snapped, JobOutcome& out);
    void checkArrays(JobOutcome& out);
    void checkSecrets(JobOutcome& out);
    std::string volumeName(size_t v) const;

    std::mt19937_64 m_rng;
    unsigned m_index;
    JobShape m_shape;
    tavso::test::SnapJobBed m_bed;
    std::vector<ArrayInfo> m_info;
    std::vector<size_t> m_arrayOf;  // per volume
    std::vector<std::string> m_passwords;
    std::vector<std::string> m_plans;
};

// Looks for every password in every text the plug-in gave a volume (log lines, error texts,
// metadata); each hit is one failure line.
void findSecrets(const std::vector<std::string>& passwords, const std::string& where, const std::string& text,
                 std::vector<std::string>& failures);

}  // namespace tavso::endurance
