#include "host/JobStore.h"

#include <sqlite3.h>

#include <chrono>
#include <ctime>

namespace tavso::host {

void JobStore::Closer::operator()(sqlite3* db) const {
    sqlite3_close(db);
}

namespace {

struct StmtCloser {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtCloser>;

Stmt prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) {
        throw StoreError(std::string("job store: ") + sqlite3_errmsg(db));
    }
    return Stmt(raw);
}

void bindText(sqlite3_stmt* s, int i, const std::string& v) {
    sqlite3_bind_text(s, i, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
}

std::string columnText(sqlite3_stmt* s, int i) {
    const unsigned char* t = sqlite3_column_text(s, i);
    return t != nullptr ? reinterpret_cast<const char*>(t) : "";
}

void step(sqlite3* db, sqlite3_stmt* s) {
    int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        throw StoreError(std::string("job store: ") + sqlite3_errmsg(db));
    }
}

const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS jobs (
  id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL, created TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS volumes (
  id INTEGER PRIMARY KEY AUTOINCREMENT, job_id INTEGER NOT NULL REFERENCES jobs(id),
  position INTEGER NOT NULL, source_device TEXT NOT NULL, snap_name TEXT NOT NULL,
  status INTEGER NOT NULL DEFAULT 0, error_code INTEGER NOT NULL DEFAULT 0,
  error_text TEXT NOT NULL DEFAULT '', snap_device TEXT NOT NULL DEFAULT '',
  flags INTEGER NOT NULL DEFAULT 0, source_lun_id INTEGER NOT NULL DEFAULT -1);
CREATE TABLE IF NOT EXISTS metadata (
  volume_id INTEGER NOT NULL REFERENCES volumes(id), transient INTEGER NOT NULL, id INTEGER NOT NULL,
  text TEXT NOT NULL, PRIMARY KEY (volume_id, transient, id));
CREATE TABLE IF NOT EXISTS steps (
  seq INTEGER PRIMARY KEY AUTOINCREMENT, job_id INTEGER NOT NULL, step TEXT NOT NULL,
  result INTEGER NOT NULL, time TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS log (
  seq INTEGER PRIMARY KEY AUTOINCREMENT, job_id INTEGER NOT NULL, volume_id INTEGER NOT NULL,
  step TEXT NOT NULL, level INTEGER NOT NULL, tag TEXT NOT NULL, text TEXT NOT NULL, time TEXT NOT NULL);
)sql";

class Transaction {
  public:
    explicit Transaction(sqlite3* db) : m_db(db) { run("BEGIN IMMEDIATE"); }
    ~Transaction() {
        if (!m_done) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    void commit() {
        run("COMMIT");
        m_done = true;
    }

  private:
    void run(const char* sql) {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            throw StoreError(std::string("job store: ") + sqlite3_errmsg(m_db));
        }
    }
    sqlite3* m_db;
    bool m_done = false;
};

}  // namespace

std::string nowText() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buf;
}

JobStore::JobStore(const std::string& path) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK) {
        throw StoreError("cannot open job store " + path + ": " +
                         (raw != nullptr ? sqlite3_errmsg(raw) : "out of memory"));
    }
    // Another step's process may hold the file for a moment.
    sqlite3_busy_timeout(m_db.get(), 5000);
    exec(kSchema);
}

void JobStore::exec(const char* sql) const {
    char* err = nullptr;
    if (sqlite3_exec(m_db.get(), sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::string why = err != nullptr ? err : "unknown error";
        sqlite3_free(err);
        throw StoreError("job store: " + why);
    }
}

int64_t JobStore::createJob(const std::string& name, const std::vector<std::string>& sourceDevices) {
    sqlite3* db = m_db.get();
    Transaction tx(db);
    auto job = prepare(db, "INSERT INTO jobs (name, created) VALUES (?, ?)");
    bindText(job.get(), 1, name);
    bindText(job.get(), 2, nowText());
    step(db, job.get());
    const int64_t jobId = sqlite3_last_insert_rowid(db);
    auto vol =
        prepare(db, "INSERT INTO volumes (job_id, position, source_device, snap_name) VALUES (?, ?, ?, ?)");
    for (size_t i = 0; i < sourceDevices.size(); ++i) {
        sqlite3_reset(vol.get());
        sqlite3_bind_int64(vol.get(), 1, jobId);
        sqlite3_bind_int(vol.get(), 2, static_cast<int>(i));
        bindText(vol.get(), 3, sourceDevices[i]);
        // Short enough for the array's snapshot names, unique per job and volume.
        bindText(vol.get(), 4, "tavso_" + std::to_string(jobId) + "_" + std::to_string(i));
        step(db, vol.get());
    }
    tx.commit();
    return jobId;
}

std::vector<JobRecord> JobStore::jobs() const {
    auto s = prepare(m_db.get(), "SELECT id, name, created FROM jobs ORDER BY id");
    std::vector<JobRecord> out;
    while (sqlite3_step(s.get()) == SQLITE_ROW) {
        out.push_back({sqlite3_column_int64(s.get(), 0), columnText(s.get(), 1), columnText(s.get(), 2)});
    }
    return out;
}

std::optional<JobRecord> JobStore::job(int64_t id) const {
    auto s = prepare(m_db.get(), "SELECT id, name, created FROM jobs WHERE id = ?");
    sqlite3_bind_int64(s.get(), 1, id);
    if (sqlite3_step(s.get()) != SQLITE_ROW) {
        return std::nullopt;
    }
    return JobRecord{sqlite3_column_int64(s.get(), 0), columnText(s.get(), 1), columnText(s.get(), 2)};
}

std::optional<int64_t> JobStore::latestJobId() const {
    auto s = prepare(m_db.get(), "SELECT MAX(id) FROM jobs");
    if (sqlite3_step(s.get()) != SQLITE_ROW || sqlite3_column_type(s.get(), 0) == SQLITE_NULL) {
        return std::nullopt;
    }
    return sqlite3_column_int64(s.get(), 0);
}

std::vector<VolumeRecord> JobStore::volumes(int64_t jobId) const {
    sqlite3* db = m_db.get();
    auto s = prepare(db,
                     "SELECT id, job_id, position, source_device, snap_name, status, error_code, error_text, "
                     "snap_device, flags, source_lun_id FROM volumes WHERE job_id = ? ORDER BY position");
    sqlite3_bind_int64(s.get(), 1, jobId);
    std::vector<VolumeRecord> out;
    while (sqlite3_step(s.get()) == SQLITE_ROW) {
        VolumeRecord v;
        v.id = sqlite3_column_int64(s.get(), 0);
        v.jobId = sqlite3_column_int64(s.get(), 1);
        v.position = sqlite3_column_int(s.get(), 2);
        v.sourceDevice = columnText(s.get(), 3);
        v.snapName = columnText(s.get(), 4);
        v.status = sqlite3_column_int(s.get(), 5);
        v.errorCode = sqlite3_column_int(s.get(), 6);
        v.errorText = columnText(s.get(), 7);
        v.snapDevice = columnText(s.get(), 8);
        v.flags = static_cast<uint64_t>(sqlite3_column_int64(s.get(), 9));
        v.sourceLunId = sqlite3_column_int(s.get(), 10);
        out.push_back(std::move(v));
    }
    auto m = prepare(db, "SELECT transient, id, text FROM metadata WHERE volume_id = ?");
    for (auto& v : out) {
        sqlite3_reset(m.get());
        sqlite3_bind_int64(m.get(), 1, v.id);
        while (sqlite3_step(m.get()) == SQLITE_ROW) {
            auto& target = sqlite3_column_int(m.get(), 0) != 0 ? v.transient : v.metadata;
            target[sqlite3_column_int(m.get(), 1)] = columnText(m.get(), 2);
        }
    }
    return out;
}

std::vector<StepRecord> JobStore::steps(int64_t jobId) const {
    auto s = prepare(m_db.get(), "SELECT step, result, time FROM steps WHERE job_id = ? ORDER BY seq");
    sqlite3_bind_int64(s.get(), 1, jobId);
    std::vector<StepRecord> out;
    while (sqlite3_step(s.get()) == SQLITE_ROW) {
        out.push_back({columnText(s.get(), 0), sqlite3_column_int(s.get(), 1), columnText(s.get(), 2)});
    }
    return out;
}

std::vector<LogLine> JobStore::log(int64_t jobId, int minLevel) const {
    auto s =
        prepare(m_db.get(),
                "SELECT level, tag, text, volume_id, time, step FROM log WHERE job_id = ? AND level >= ? "
                "ORDER BY seq");
    sqlite3_bind_int64(s.get(), 1, jobId);
    sqlite3_bind_int(s.get(), 2, minLevel);
    std::vector<LogLine> out;
    while (sqlite3_step(s.get()) == SQLITE_ROW) {
        out.push_back({sqlite3_column_int(s.get(), 0), columnText(s.get(), 1), columnText(s.get(), 2),
                       sqlite3_column_int64(s.get(), 3), columnText(s.get(), 4), columnText(s.get(), 5)});
    }
    return out;
}

void JobStore::recordStep(int64_t jobId, const std::string& stepName, int result,
                          const std::vector<VolumeRecord>& volumes, const std::vector<LogLine>& lines) {
    sqlite3* db = m_db.get();
    Transaction tx(db);
    auto upd = prepare(db,
                       "UPDATE volumes SET status = ?, error_code = ?, error_text = ?, snap_device = ?, "
                       "snap_name = ?, flags = ?, source_lun_id = ? WHERE id = ?");
    auto del = prepare(db, "DELETE FROM metadata WHERE volume_id = ?");
    auto ins = prepare(db, "INSERT INTO metadata (volume_id, transient, id, text) VALUES (?, ?, ?, ?)");
    for (const auto& v : volumes) {
        sqlite3_reset(upd.get());
        sqlite3_bind_int(upd.get(), 1, v.status);
        sqlite3_bind_int(upd.get(), 2, v.errorCode);
        bindText(upd.get(), 3, v.errorText);
        bindText(upd.get(), 4, v.snapDevice);
        bindText(upd.get(), 5, v.snapName);
        sqlite3_bind_int64(upd.get(), 6, static_cast<int64_t>(v.flags));
        sqlite3_bind_int(upd.get(), 7, v.sourceLunId);
        sqlite3_bind_int64(upd.get(), 8, v.id);
        step(db, upd.get());
        sqlite3_reset(del.get());
        sqlite3_bind_int64(del.get(), 1, v.id);
        step(db, del.get());
        for (int transient = 0; transient < 2; ++transient) {
            for (const auto& [id, text] : transient != 0 ? v.transient : v.metadata) {
                sqlite3_reset(ins.get());
                sqlite3_bind_int64(ins.get(), 1, v.id);
                sqlite3_bind_int(ins.get(), 2, transient);
                sqlite3_bind_int(ins.get(), 3, id);
                bindText(ins.get(), 4, text);
                step(db, ins.get());
            }
        }
    }
    auto log = prepare(db,
                       "INSERT INTO log (job_id, volume_id, step, level, tag, text, time) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (const auto& l : lines) {
        sqlite3_reset(log.get());
        sqlite3_bind_int64(log.get(), 1, jobId);
        sqlite3_bind_int64(log.get(), 2, l.volumeId);
        bindText(log.get(), 3, stepName);
        sqlite3_bind_int(log.get(), 4, l.level);
        bindText(log.get(), 5, l.tag);
        bindText(log.get(), 6, l.text);
        bindText(log.get(), 7, l.time);
        step(db, log.get());
    }
    auto st = prepare(db, "INSERT INTO steps (job_id, step, result, time) VALUES (?, ?, ?, ?)");
    sqlite3_bind_int64(st.get(), 1, jobId);
    bindText(st.get(), 2, stepName);
    sqlite3_bind_int(st.get(), 3, result);
    bindText(st.get(), 4, nowText());
    step(db, st.get());
    tx.commit();
}

}  // namespace tavso::host
