// The job store (SQLite): jobs, their volumes with everything the plug-in keeps on them, the steps
// run and the log lines the plug-in wrote. Every step may run in its own process; what one stored
// is there for the next. Passwords never reach it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace tavso::host {

class StoreError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct VolumeRecord {
    int64_t id = 0;
    int64_t jobId = 0;
    int position = 0;
    std::string sourceDevice;
    std::string snapName;
    int status = 0;
    int errorCode = 0;
    std::string errorText;
    std::string snapDevice;
    uint64_t flags = 0;
    int sourceLunId = -1;
    std::map<int, std::string> metadata;   // kept across the job's life
    std::map<int, std::string> transient;  // kept for the job
};

struct JobRecord {
    int64_t id = 0;
    std::string name;
    std::string created;
};

struct LogLine {
    int level = 0;
    std::string tag;
    std::string text;
    int64_t volumeId = 0;  // 0: not about one volume
    std::string time;
    std::string step;
};

struct StepRecord {
    std::string step;
    int result = 0;
    std::string time;
};

class JobStore {
  public:
    explicit JobStore(const std::string& path);  // creates the file and its tables as needed

    int64_t createJob(const std::string& name, const std::vector<std::string>& sourceDevices);
    std::vector<JobRecord> jobs() const;
    std::optional<JobRecord> job(int64_t id) const;
    std::optional<int64_t> latestJobId() const;
    std::vector<VolumeRecord> volumes(int64_t jobId) const;
    std::vector<StepRecord> steps(int64_t jobId) const;
    std::vector<LogLine> log(int64_t jobId, int minLevel) const;

    // One transaction: the volumes' new state, the step's log lines and its result.
    void recordStep(int64_t jobId, const std::string& step, int result,
                    const std::vector<VolumeRecord>& volumes, const std::vector<LogLine>& lines);

  private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    void exec(const char* sql) const;
    std::unique_ptr<sqlite3, Closer> m_db;
};

std::string nowText();

}  // namespace tavso::host
