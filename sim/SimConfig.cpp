#include "sim/SimConfig.h"

namespace tavso::sim {

namespace {

using nlohmann::json;

template <class T>
T get(const json& j, const char* key, T fallback) {
    return j.contains(key) ? j.at(key).get<T>() : fallback;
}

// A member, or an empty array or object when it is absent.
const json& member(const json& j, const char* key, bool object = false) {
    static const json emptyArray = json::array();
    static const json emptyObject = json::object();
    if (j.contains(key)) {
        return j.at(key);
    }
    return object ? emptyObject : emptyArray;
}

Confirm confirmOf(const std::string& s) {
    if (s == "caution") {
        return Confirm::Caution;
    }
    return s == "warning" ? Confirm::Warning : Confirm::None;
}

CliFault ruleOf(const json& r) {
    CliFault f;
    f.pattern = get<std::string>(r, "pattern", "");
    f.times = get<int>(r, "times", 0);
    f.busy = get<int>(r, "busy", 0);
    f.forcePaging = get<bool>(r, "force_paging", false);
    if (r.contains("confirm")) {
        f.confirm = confirmOf(r.at("confirm").get<std::string>());
    }
    f.delayMs = get<uint64_t>(r, "delay_ms", 0);
    f.chunkSize = get<size_t>(r, "chunk_size", 0);
    f.chunkPauseMs = get<uint64_t>(r, "chunk_pause_ms", 0);
    f.dropBeforeReply = get<bool>(r, "drop_before_reply", false);
    f.dropAfterReply = get<bool>(r, "drop_after_reply", false);
    if (r.contains("canned")) {
        f.canned = r.at("canned").get<std::string>();
    }
    return f;
}

void applyFaults(const json& j, SimArray& a) {
    if (j.contains("model")) {
        const json& m = j.at("model");
        ModelFaults f;
        for (const auto& [lun, reason] : member(m, "snapshot_failures", true).items()) {
            f.snapshotFailures[static_cast<uint32_t>(std::stoul(lun))] = reason.get<std::string>();
        }
        for (const auto& [fs, reason] : member(m, "fs_snapshot_failures", true).items()) {
            f.fsSnapshotFailures[static_cast<uint32_t>(std::stoul(fs))] = reason.get<std::string>();
        }
        f.refuseActivation = get<bool>(m, "refuse_activation", false);
        f.restoreShows = get<int>(m, "restore_shows", 1);
        f.cloneSyncShows = get<int>(m, "clone_sync_shows", 1);
        f.cloneSyncFault = get<bool>(m, "clone_sync_fault", false);
        f.lunOnlineShows = get<int>(m, "lun_online_shows", 0);
        a.setModelFaults(f);
    }
    if (j.contains("cli")) {
        const json& c = j.at("cli");
        FaultPlan p;
        p.exitAfterCommands = get<int>(c, "exit_after_commands", 0);
        p.refuseLogins = get<int>(c, "refuse_logins", 0);
        p.tooManySessions = get<bool>(c, "too_many_sessions", false);
        for (const auto& r : member(c, "rules")) {
            p.rules.push_back(ruleOf(r));
        }
        a.setFaultPlan(p);
    }
}

std::unique_ptr<SimArray> arrayOf(const json& j) {
    SimArrayOptions o;
    o.name = get<std::string>(j, "name", "array");
    o.cli.port = get<uint16_t>(j, "cli_port", 0);
    o.rest.port = get<uint16_t>(j, "rest_port", 0);
    o.cli.keyboardInteractive = get<bool>(j, "keyboard_interactive", false);
    o.cli.kbdintPrompt = get<std::string>(j, "kbdint_prompt", o.cli.kbdintPrompt);
    o.cli.sessionLimit = get<int>(j, "session_limit", o.cli.sessionLimit);
    o.cli.idleTimeoutMs = get<uint64_t>(j, "idle_timeout_ms", o.cli.idleTimeoutMs);
    o.seedDefaults = get<bool>(j, "seed_defaults", true);
    auto a = std::make_unique<SimArray>(o);
    ArrayModel& m = a->model();
    if (j.contains("system")) {
        const json& s = j.at("system");
        m.with([&](ArrayState& st) {
            st.system.serial = get<std::string>(s, "serial", st.system.serial);
            st.system.name = get<std::string>(s, "name", st.system.name);
            st.system.productModel = get<std::string>(s, "product_model", st.system.productModel);
            st.system.productVersion = get<std::string>(s, "product_version", st.system.productVersion);
            st.system.health = get<std::string>(s, "health", st.system.health);
        });
    }
    for (const auto& u : member(j, "users")) {
        m.addUser({u.at("name").get<std::string>(), u.at("password").get<std::string>(),
                   get<std::string>(u, "level", "Super_admin"), get<std::string>(u, "description", ""),
                   get<std::string>(u, "vstore_id", "")});
    }
    for (const auto& v : member(j, "vstores")) {
        m.addVStore(v.at("name").get<std::string>());
    }
    for (const auto& p : member(j, "pools")) {
        m.addPool(p.at("name").get<std::string>(), get<uint64_t>(p, "total_gb", 1024) * kSectorsPerGb,
                  get<uint64_t>(p, "free_gb", 1024) * kSectorsPerGb);
    }
    for (const auto& l : member(j, "luns")) {
        LunSpec spec;
        spec.name = l.at("name").get<std::string>();
        spec.poolId = get<uint32_t>(l, "pool_id", 0);
        spec.capacity = get<uint64_t>(l, "capacity_gb", 1) * kSectorsPerGb;
        spec.thin = get<bool>(l, "thin", true);
        spec.owner = get<std::string>(l, "owner", "0A");
        spec.vstoreId = get<std::string>(l, "vstore_id", "");
        m.addLun(spec);
    }
    for (const auto& h : member(j, "hosts")) {
        m.createHost(h.at("name").get<std::string>(), get<std::string>(h, "os", "Linux"));
    }
    for (const auto& f : member(j, "file_systems")) {
        m.addFileSystem(f.at("name").get<std::string>(), get<uint32_t>(f, "pool_id", 0),
                        get<std::string>(f, "vstore_id", ""));
    }
    if (j.contains("faults")) {
        applyFaults(j.at("faults"), *a);
    }
    return a;
}

json idSet(const std::set<uint32_t>& s) {
    return json(std::vector<uint32_t>(s.begin(), s.end()));
}

}  // namespace

bool arraysFromJson(const json& config, std::vector<std::unique_ptr<SimArray>>& out, std::string& error) {
    try {
        for (const auto& a : config.at("arrays")) {
            out.push_back(arrayOf(a));
        }
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

json stateToJson(const ArrayState& s) {
    json j;
    j["system"] = {{"serial", s.system.serial},
                   {"name", s.system.name},
                   {"product_model", s.system.productModel},
                   {"product_version", s.system.productVersion},
                   {"health", s.system.health}};
    j["users"] = json::array();
    for (const auto& u : s.users) {
        j["users"].push_back({{"name", u.name}, {"level", u.level}, {"vstore_id", u.vstoreId}});
    }
    for (const auto& [id, p] : s.pools) {
        j["pools"].push_back(
            {{"id", id}, {"name", p.name}, {"total", p.totalCapacity}, {"free", p.freeCapacity}});
    }
    for (const auto& [id, l] : s.luns) {
        j["luns"].push_back({{"id", id},
                             {"name", l.name},
                             {"pool_id", l.poolId},
                             {"capacity", l.capacity},
                             {"thin", l.thin},
                             {"owner", l.owner},
                             {"running", l.running},
                             {"wwn", l.wwn}});
    }
    for (const auto& [id, sn] : s.snapshots) {
        json e = {{"id", id},
                  {"name", sn.name},
                  {"source_lun_id", sn.sourceLunId},
                  {"running", sn.running},
                  {"wwn", sn.wwn}};
        if (sn.copiedFrom) {
            e["copied_from"] = *sn.copiedFrom;
        }
        j["snapshots"].push_back(e);
    }
    for (const auto& [id, g] : s.lunGroups) {
        j["lun_groups"].push_back(
            {{"id", id}, {"name", g.name}, {"luns", idSet(g.luns)}, {"snapshots", idSet(g.snapshots)}});
    }
    for (const auto& [id, h] : s.hosts) {
        j["hosts"].push_back({{"id", id}, {"name", h.name}, {"os", h.operatingSystem}});
    }
    for (const auto& i : s.initiators) {
        j["initiators"].push_back(
            {{"id", i.id}, {"iscsi", i.iscsi}, {"host_id", i.hostId ? json(*i.hostId) : json()}});
    }
    for (const auto& [id, g] : s.hostGroups) {
        j["host_groups"].push_back({{"id", id}, {"name", g.name}, {"hosts", idSet(g.hosts)}});
    }
    for (const auto& [id, v] : s.mappingViews) {
        j["mapping_views"].push_back({{"id", id},
                                      {"name", v.name},
                                      {"host_groups", idSet(v.hostGroups)},
                                      {"lun_groups", idSet(v.lunGroups)}});
    }
    for (const auto& [id, c] : s.clones) {
        json secs = json::array();
        for (const auto& sec : c.secondaries) {
            secs.push_back({{"lun_id", sec.lunId}, {"running", sec.running}, {"progress", sec.progress}});
        }
        j["clones"].push_back(
            {{"id", id}, {"name", c.name}, {"primary_lun_id", c.primaryLunId}, {"secondaries", secs}});
    }
    for (const auto& [id, f] : s.fileSystems) {
        j["file_systems"].push_back({{"id", id}, {"name", f.name}, {"pool_id", f.poolId}});
    }
    for (const auto& [id, f] : s.fsSnapshots) {
        j["fs_snapshots"].push_back({{"id", id}, {"name", f.name}, {"file_system_id", f.fsId}});
    }
    for (const auto& [id, sh] : s.nfsShares) {
        j["nfs_shares"].push_back(
            {{"id", id}, {"file_system_id", sh.fsId}, {"local_path", sh.localPath}, {"alias", sh.alias}});
    }
    for (const auto& [id, p] : s.nfsPermissions) {
        j["nfs_permissions"].push_back({{"id", id},
                                        {"share_id", p.shareId},
                                        {"access_name", p.accessName},
                                        {"access_type", p.accessType}});
    }
    for (const auto& [id, sh] : s.cifsShares) {
        j["cifs_shares"].push_back(
            {{"id", id}, {"name", sh.name}, {"file_system_id", sh.fsId}, {"local_path", sh.localPath}});
    }
    for (const auto& [id, p] : s.cifsPermissions) {
        j["cifs_permissions"].push_back({{"id", id},
                                         {"share_id", p.shareId},
                                         {"access_name", p.accessName},
                                         {"permission", p.permission}});
    }
    return j;
}

}  // namespace tavso::sim
