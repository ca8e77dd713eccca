#include "tests/endurance/EnduranceJob.h"

#include <algorithm>
#include <set>

#include "api/HuaweiMetaData.h"
#include "api/TAVSOHuaweiAPI.h"

namespace tavso::endurance {

// Random choices from the job's seeded generator.
class Draw {
  public:
    explicit Draw(std::mt19937_64& rng) : m_rng(rng) {}
    // 0 .. n-1
    unsigned below(unsigned n) { return n ? static_cast<unsigned>(m_rng() % n) : 0; }
    unsigned between(unsigned lo, unsigned hi) { return lo + below(hi - lo + 1); }
    bool chance(unsigned percent) { return below(100) < percent; }
    template <typename T, size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(N)];
    }

  private:
    std::mt19937_64& m_rng;
};

namespace {

using tavso::test::BedArray;
using tavso::test::FakeVolume;

const char kCliFirmware[] = "V300R006C00";
const char kRestFirmware[] = "V500R007C10";
const char kTransportCli[] = "HUAWEI_CONNECT_CLI";
const char kTransportRest[] = "HUAWEI_CONNECT_REST";

// Commands the plug-in sends in prepare and snap, as fault patterns.
const char* const kCliPatterns[] = {"",
                                    "^show system",
                                    "^show lun",
                                    "^create snapshot",
                                    "^show snapshot",
                                    "^change snapshot activate",
                                    "^delete snapshot",
                                    "^change cli"};
// REST requests of prepare and snap, as fault prefixes.
const char* const kRestPrefixes[] = {
    "", "GET /system", "GET /lun", "POST /snapshot", "POST /snapshot/activate", "DELETE /snapshot"};
const int64_t kRestCodes[] = {-401, 1077949006, 50331651, 1077948996, 1077936859};

std::string describe(const tavso::sim::CliFault& f) {
    std::string d = "cli[" + f.pattern + "]";
    if (f.busy) {
        d += " busy=" + std::to_string(f.busy);
    }
    if (f.chunkSize) {
        d += " chunk=" + std::to_string(f.chunkSize) + "/" + std::to_string(f.chunkPauseMs) + "ms";
    }
    if (f.delayMs) {
        d += " delay=" + std::to_string(f.delayMs) + "ms";
    }
    d += f.dropBeforeReply ? " drop-before" : "";
    d += f.dropAfterReply ? " drop-after" : "";
    if (f.times) {
        d += " x" + std::to_string(f.times);
    }
    return d;
}

tavso::sim::FaultPlan drawCliPlan(Draw& draw, std::string& text) {
    tavso::sim::FaultPlan plan;
    const unsigned rules = draw.between(1, 3);
    for (unsigned r = 0; r < rules; ++r) {
        tavso::sim::CliFault f;
        f.pattern = draw.pick(kCliPatterns);
        switch (draw.below(5)) {
            case 0:
                // Up to one more than the plug-in's attempts, so a command can stay busy for good.
                f.busy = static_cast<int>(draw.between(1, 6));
                break;
            case 1:
                f.chunkSize = draw.between(1, 48);
                f.chunkPauseMs = draw.below(3);
                f.times = static_cast<int>(draw.between(1, 4));
                break;
            case 2:
                f.delayMs = draw.between(1, 40);
                f.times = static_cast<int>(draw.between(1, 3));
                break;
            case 3:
                f.dropBeforeReply = true;
                f.times = 1;
                break;
            default:
                f.dropAfterReply = true;
                f.times = 1;
                break;
        }
        text += " " + describe(f);
        plan.rules.push_back(f);
    }
    if (draw.chance(15)) {
        plan.exitAfterCommands = static_cast<int>(draw.between(2, 12));
        text += " exit-after=" + std::to_string(plan.exitAfterCommands);
    }
    if (draw.chance(15)) {
        plan.refuseLogins = static_cast<int>(draw.between(1, 3));
        text += " refuse-logins=" + std::to_string(plan.refuseLogins);
    }
    if (draw.chance(4)) {
        plan.tooManySessions = true;
        text += " too-many-sessions";
    }
    return plan;
}

void drawRestFaults(Draw& draw, tavso::sim::RestServer& rest, std::string& text) {
    const unsigned n = draw.below(3);
    for (unsigned i = 0; i < n; ++i) {
        tavso::sim::RestFault f;
        f.prefix = draw.pick(kRestPrefixes);
        f.code = draw.pick(kRestCodes);
        // Arrays do answer errors without a description now and then.
        const bool bare = draw.chance(20);
        f.description = f.code == -401 ? "The user is not logged in or the session has expired."
                        : bare         ? ""
                                       : "Injected error " + std::to_string(f.code);
        f.times = static_cast<int>(draw.between(1, 3));
        text += " rest[" + f.prefix + "] " + std::to_string(f.code) + " x" + std::to_string(f.times);
        rest.addFault(f);
    }
}

bool inTable(int code, std::initializer_list<int> table) {
    return std::find(table.begin(), table.end(), code) != table.end();
}

std::string lunName(BedArray& a, uint32_t lun) {
    return a.model().with([&](const tavso::sim::ArrayState& s) {
        auto it = s.luns.find(lun);
        return it == s.luns.end() ? std::string() : it->second.name;
    });
}

// Failure reports must follow the operation's table: a code of its own, and a reason.
void checkErrors(const FakeVolume& v, const std::string& who, std::initializer_list<int> table,
                 std::vector<std::string>& failures) {
    for (const auto& e : v.errors()) {
        if (!inTable(e.code, table)) {
            failures.push_back(who + ": error code " + std::to_string(e.code) + " outside the table [" +
                               e.text + "]");
        }
        if (e.text.empty()) {
            failures.push_back(who + ": error " + std::to_string(e.code) + " without a text");
        }
    }
}

bool loggedAny(const FakeVolume& v, std::initializer_list<const char*> fragments) {
    for (const char* f : fragments) {
        if (v.loggedContaining(f)) {
            return true;
        }
    }
    return false;
}

// True when the volume ended with status `done`. Any other end must be `failed`, with an error of
// the table and a text (or no error at all where `mayLackCode`).
bool endedWell(const FakeVolume& v, const std::string& who, int done, int failed,
               std::initializer_list<int> table, bool mayLackCode, std::vector<std::string>& failures) {
    const int status = v.status();
    if (status == done) {
        return true;
    }
    if (status != failed) {
        failures.push_back(who + ": status " + std::to_string(status));
        return false;
    }
    if (v.errors().empty() && !mayLackCode) {
        failures.push_back(who + ": failed without an error");
    }
    checkErrors(v, who, table, failures);
    return false;
}

}  // namespace

void findSecrets(const std::vector<std::string>& passwords, const std::string& where, const std::string& text,
                 std::vector<std::string>& failures) {
    for (const std::string& p : passwords) {
        if (!p.empty() && text.find(p) != std::string::npos) {
            failures.push_back(where + " holds a password: " + text);
        }
    }
}

EnduranceJob::EnduranceJob(uint64_t seed, unsigned index, const JobShape& shape, uint16_t cliPort,
                           uint16_t restPort)
    : m_rng(seed * 1000003ull + index), m_index(index), m_shape(shape), m_bed([&] {
          tavso::test::BedOptions o;
          o.installClock = false;
          o.installSettings = false;
          o.addressPrefix = "127.0." + std::to_string(index + 1) + ".";
          o.cliPort = cliPort;
          o.restPort = restPort;
          return o;
      }()) {
    Draw draw(m_rng);
    for (unsigned a = 0; a < shape.arrays; ++a) {
        char serial[32];
        snprintf(serial, sizeof serial, "2102351%03uEN%08u", index % 1000, a % 100000000);
        ArrayInfo info;
        info.rest = shape.faults ? draw.chance(50) : a % 2 == 1;
        // Distinctive per array, so that a leak names its source.
        info.password = "Pw" + std::to_string(seed % 100000) + "x" + std::to_string(index) + "y" +
                        std::to_string(a) + "!Secret";
        BedArray& array = m_bed.addArray(serial, info.rest ? kRestFirmware : kCliFirmware);
        array.model().addUser({"admin", info.password, "Super_admin", "", ""});
        m_bed.setAccessDetails(serial, array, 0, tavso::test::kArrayUser, info.password);
        m_bed.setVolumeCredentials(serial, array, tavso::test::kArrayUser, info.password);
        m_passwords.push_back(info.password);
        m_info.push_back(info);
        m_plans.push_back(std::string(serial) + (info.rest ? " REST" : " CLI") + " at " + array.address +
                          ":");
    }
    addVolumes();
}

void EnduranceJob::addVolumes() {
    Draw draw(m_rng);
    std::vector<size_t> order;
    for (size_t a = 0; a < m_info.size(); ++a) {
        const unsigned n =
            m_shape.faults ? draw.between(1, m_shape.volumesPerArray) : m_shape.volumesPerArray;
        order.insert(order.end(), n, a);
    }
    if (m_shape.faults) {
        std::shuffle(order.begin(), order.end(), m_rng);
    }
    std::vector<std::vector<uint32_t>> lunsOf(m_info.size());
    for (size_t a : order) {
        BedArray& array = *m_bed.arrays[a];
        const std::string snapName = m_shape.faults && draw.chance(20) ? "nightly" : "job_snap";
        // Now and then a second volume on a LUN that has one already: both share one snapshot.
        if (m_shape.faults && !lunsOf[a].empty() && draw.chance(10)) {
            m_bed.addVolumeOn(array, lunsOf[a][draw.below(static_cast<unsigned>(lunsOf[a].size()))],
                              snapName);
        } else {
            m_bed.addVolume(array, "lun_" + std::to_string(m_bed.volumes.size()), snapName);
            lunsOf[a].push_back(m_bed.luns.back());
        }
        m_arrayOf.push_back(a);
    }
}

std::string EnduranceJob::volumeName(size_t v) const {
    return "job " + std::to_string(m_index) + " volume " + std::to_string(v) + " (array " +
           m_bed.arrays[m_arrayOf[v]]->serial + ", LUN " + std::to_string(m_bed.luns[v]) + ")";
}

void EnduranceJob::drawFaults(bool snap) {
    if (!m_shape.faults) {
        return;
    }
    Draw draw(m_rng);
    for (size_t a = 0; a < m_info.size(); ++a) {
        BedArray& array = *m_bed.arrays[a];
        std::string text;
        // At prepare every array is asked for its firmware over the CLI, whatever it runs later;
        // a new plan for the snap starts its counters afresh.
        if (draw.chance(60)) {
            array.sim->setFaultPlan(drawCliPlan(draw, text));
        } else if (snap) {
            array.sim->setFaultPlan({});
        }
        if (draw.chance(50)) {
            drawRestFaults(draw, *array.rest, text);
        }
        if (snap) {
            drawSnapModelFaults(draw, a, text);
        }
        m_plans[a] += (snap ? " snap:" : " prepare:") + (text.empty() ? std::string(" none") : text);
    }
}

void EnduranceJob::drawSnapModelFaults(Draw& draw, size_t a, std::string& text) {
    BedArray& array = *m_bed.arrays[a];
    if (draw.chance(15)) {
        // A pause long enough for the array to forget every session.
        array.rest->expireSessions();
        text += " sessions-expired";
    }
    tavso::sim::ModelFaults model;
    for (size_t v = 0; v < m_arrayOf.size(); ++v) {
        if (m_arrayOf[v] == a && draw.chance(8)) {
            model.snapshotFailures[m_bed.luns[v]] = "The LUN is faulty.";
            text += " lun-" + std::to_string(m_bed.luns[v]) + "-fails";
        }
    }
    if (draw.chance(10)) {
        model.refuseActivation = true;
        text += " refuse-activation";
    }
    array.sim->setModelFaults(model);
}

JobOutcome EnduranceJob::run() {
    JobOutcome out;
    out.volumes = static_cast<unsigned>(m_bed.volumes.size());
    drawFaults(false);
    const int prepared = m_bed.prepare();
    checkPrepare(out);
    std::vector<size_t> ready;
    for (size_t v = 0; v < m_bed.volumes.size(); ++v) {
        if (m_bed.volumes[v]->status() == 1) {
            ready.push_back(v);
        }
    }
    out.prepared = static_cast<unsigned>(ready.size());
    const int expectPrepare = ready.size() == m_bed.volumes.size() ? 0 : ready.empty() ? 1 : 2;
    if (prepared != expectPrepare) {
        out.failures.push_back("job " + std::to_string(m_index) + ": prepare returned " +
                               std::to_string(prepared) + " with " + std::to_string(ready.size()) + "/" +
                               std::to_string(m_bed.volumes.size()) + " prepared");
    }
    if (!ready.empty()) {
        drawFaults(true);
        std::vector<TAVSO::SnapInfo*> batch;
        for (size_t v : ready) {
            batch.push_back(m_bed.volumes[v].get());
        }
        const int snapped = tavso_snapDevices(batch.data(), static_cast<short>(batch.size()), &m_bed.os);
        checkSnap(ready, out);
        const int expectSnap = out.snapped == ready.size() ? 0 : out.snapped == 0 ? 1 : 2;
        if (snapped != expectSnap) {
            out.failures.push_back("job " + std::to_string(m_index) + ": snap returned " +
                                   std::to_string(snapped) + " with " + std::to_string(out.snapped) + "/" +
                                   std::to_string(ready.size()) + " snapped");
        }
    }
    checkArrays(out);
    checkSecrets(out);
    if (!m_shape.faults && (out.prepared != out.volumes || out.snapped != out.volumes)) {
        out.failures.push_back("job " + std::to_string(m_index) + ": without faults only " +
                               std::to_string(out.prepared) + " prepared and " + std::to_string(out.snapped) +
                               " snapped of " + std::to_string(out.volumes));
    }
    out.faultPlans = m_plans;
    if (!out.failures.empty() || m_shape.keepLogs) {
        for (size_t v = 0; v < m_bed.volumes.size(); ++v) {
            for (const auto& line : m_bed.volumes[v]->logs()) {
                out.logs.push_back("v" + std::to_string(v) + " [" + std::to_string(line.level) + "] " +
                                   line.tag + ": " + line.message());
            }
        }
    }
    return out;
}

void EnduranceJob::checkPrepare(JobOutcome& out) {
    for (size_t v = 0; v < m_bed.volumes.size(); ++v) {
        FakeVolume& volume = *m_bed.volumes[v];
        BedArray& array = *m_bed.arrays[m_arrayOf[v]];
        const std::string who = volumeName(v) + " after prepare";
        // No code of prepare's own when the device or the array's parameters are unknown (the
        // parameter loader reports 62005 itself).
        const bool mayLackCode =
            loggedAny(volume, {"Failed to get Huawei Array name", "Failed to get Huawei Array Prameters"});
        if (!endedWell(volume, who, 1, 2, {62005, 62008}, mayLackCode, out.failures)) {
            continue;
        }
        if (!volume.errors().empty()) {
            out.failures.push_back(who + ": prepared, yet an error was reported: " + volume.errors()[0].text);
        }
        _MetaDataParams meta;
        const std::string text = volume.metadata(TAVSO::METADATA_SNAP).value_or("");
        if (!GetMetaDataParams(&volume, text.c_str(), &meta)) {
            out.failures.push_back(who + ": metadata does not parse [" + text + "]");
            continue;
        }
        if (meta.arrayId != array.serial || meta.sourceId != m_bed.luns[v] ||
            meta.sourceName != lunName(array, m_bed.luns[v]) || meta.snapId != 0) {
            out.failures.push_back(who + ": metadata names another source [" + text + "]");
        }
        const std::string transport = volume.transient(TAVSO::TRANSIENT_TRANSPORT).value_or("");
        // A CLI array whose CLI could not be reached for the firmware check is driven over REST.
        if (transport != kTransportRest && (transport != kTransportCli || m_info[m_arrayOf[v]].rest)) {
            out.failures.push_back(who + ": transport [" + transport + "] for a " +
                                   (m_info[m_arrayOf[v]].rest ? "REST" : "CLI") + " array");
        }
    }
}

void EnduranceJob::checkSnap(const std::vector<size_t>& ready, JobOutcome& out) {
    for (size_t v : ready) {
        FakeVolume& volume = *m_bed.volumes[v];
        BedArray& array = *m_bed.arrays[m_arrayOf[v]];
        const std::string who = volumeName(v) + " after snap";
        if (!endedWell(volume, who, 5, 6, {60001, 62005}, false, out.failures)) {
            continue;
        }
        ++out.snapped;
        _MetaDataParams meta;
        const std::string text = volume.metadata(TAVSO::METADATA_SNAP).value_or("");
        if (!GetMetaDataParams(&volume, text.c_str(), &meta)) {
            out.failures.push_back(who + ": metadata does not parse [" + text + "]");
            continue;
        }
        if (meta.arrayId != array.serial || meta.sourceId != m_bed.luns[v]) {
            out.failures.push_back(who + ": metadata names another source [" + text + "]");
        }
        const auto snapshots = array.model().copy().snapshots;
        auto s = snapshots.find(meta.snapId);
        if (s == snapshots.end()) {
            out.failures.push_back(who + ": snapshot " + std::to_string(meta.snapId) + " of [" + text +
                                   "] is not on the array");
            continue;
        }
        if (s->second.name != meta.targetName || s->second.sourceLunId != m_bed.luns[v] ||
            s->second.running != "Activated") {
            out.failures.push_back(who + ": snapshot " + std::to_string(meta.snapId) + " is " +
                                   s->second.name + " of LUN " + std::to_string(s->second.sourceLunId) +
                                   " (" + s->second.running + "), metadata [" + text + "]");
        }
    }
}

void EnduranceJob::checkArrays(JobOutcome& out) {
    // What the plug-in said it left behind, per array (IDs are the array's own).
    std::vector<std::vector<std::string>> leftLines(m_bed.arrays.size());
    std::set<std::pair<size_t, uint32_t>> owned;  // (array, snapshot) named by a snapped volume
    for (size_t v = 0; v < m_bed.volumes.size(); ++v) {
        for (const auto& line : m_bed.volumes[v]->messages()) {
            if (line.find("left on the array") != std::string::npos) {
                leftLines[m_arrayOf[v]].push_back(line);
            }
        }
        _MetaDataParams meta;
        const std::string text = m_bed.volumes[v]->metadata(TAVSO::METADATA_SNAP).value_or("");
        if (m_bed.volumes[v]->status() == 5 &&
            GetMetaDataParams(m_bed.volumes[v].get(), text.c_str(), &meta)) {
            owned.insert({m_arrayOf[v], meta.snapId});
        }
    }
    for (size_t a = 0; a < m_bed.arrays.size(); ++a) {
        BedArray& array = *m_bed.arrays[a];
        for (const auto& [id, s] : array.model().copy().snapshots) {
            const std::string what = "array " + array.serial + " snapshot " + std::to_string(id) + " " +
                                     s.name + " of LUN " + std::to_string(s.sourceLunId) + " (" + s.running +
                                     ")";
            bool said = false;
            for (const std::string& line : leftLines[a]) {
                said = said || line.find("[" + std::to_string(id) + "]") != std::string::npos ||
                       line.find("(" + s.name + ")") != std::string::npos;
            }
            if (s.running != "Activated") {
                if (said) {
                    out.notes.push_back(what + ": left behind, as the plug-in logged");
                } else {
                    out.failures.push_back(what + ": left unactivated without a word");
                }
            } else if (!owned.count({a, id})) {
                out.notes.push_back(what + ": no volume names it" + (said ? " (logged)" : ""));
            }
        }
    }
}

void EnduranceJob::checkSecrets(JobOutcome& out) {
    for (size_t v = 0; v < m_bed.volumes.size(); ++v) {
        const FakeVolume& volume = *m_bed.volumes[v];
        const std::string who = volumeName(v);
        for (const auto& line : volume.logs()) {
            findSecrets(m_passwords, who + " log line", line.text, out.failures);
        }
        for (const auto& e : volume.errors()) {
            findSecrets(m_passwords, who + " error text", e.text, out.failures);
        }
        for (const auto& w : volume.metadataWrites()) {
            findSecrets(m_passwords, who + " metadata " + std::to_string(w.id), w.text, out.failures);
        }
    }
}

}  // namespace tavso::endurance
