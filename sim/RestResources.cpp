#include "sim/RestResources.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace tavso::sim {

using nlohmann::json;

std::optional<uint32_t> number(const std::string& s) {
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(s));
}

std::string str(const json& body, const char* key) {
    if (!body.is_object() || !body.contains(key)) {
        return {};
    }
    const json& v = body[key];
    return v.is_string() ? v.get<std::string>() : v.dump();
}

// The vStore a request works in: the session's for a vStore user, else the one the request names.
std::string scopeOf(const RestCall& call) {
    if (!call.sessionVStore.empty()) {
        return call.sessionVStore;
    }
    auto it = call.params.find("vstoreId");
    if (it != call.params.end()) {
        return it->second;
    }
    return str(call.body, "vstoreId");
}

bool inScope(const std::string& objectVStore, const std::string& scope) {
    return scope.empty() || objectVStore == scope;
}

// A <key>::<value> filter, with "\:" standing for ":".
std::optional<std::string> filterOf(const RestCall& call, const std::string& key) {
    auto it = call.params.find("filter");
    const std::string prefix = key + "::";
    if (it == call.params.end() || it->second.compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    std::string out;
    const std::string& v = it->second;
    for (size_t i = prefix.size(); i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size() && v[i + 1] == ':') {
            continue;
        }
        out += v[i];
    }
    return out;
}

std::optional<std::string> nameFilter(const RestCall& call) {
    return filterOf(call, "NAME");
}

// The entries a range=[<from>-<to>] parameter asks for; all of them without one.
json page(const RestCall& call, const json& list) {
    auto it = call.params.find("range");
    unsigned long from = 0, to = 0;
    if (it == call.params.end() || std::sscanf(it->second.c_str(), "[%lu-%lu]", &from, &to) != 2 ||
        to < from) {
        return list;
    }
    json out = json::array();
    for (size_t i = from; i < to && i < list.size(); ++i) {
        out.push_back(list[i]);
    }
    return out;
}

RestAnswer fromResult(const Result& r) {
    switch (r.code) {
        case Code::Ok:
            return RestAnswer::ok();
        case Code::NotFound:
            if (r.kind == ObjKind::Lun) {
                return RestAnswer::fail(restcode::kLunNotFound, r.text);
            }
            if (r.kind == ObjKind::Snapshot) {
                return RestAnswer::fail(restcode::kSnapshotNotFound, r.text);
            }
            return RestAnswer::fail(restcode::kObjectNotFound, r.text);
        case Code::NameExists:
            return RestAnswer::fail(restcode::kNameExists, r.text);
        case Code::AlreadyMember:
            return RestAnswer::fail(restcode::kNotUnique, r.text);
        case Code::NotActivated:
            return RestAnswer::fail(restcode::kSnapshotNotActivated, r.text);
        case Code::Refused:
            return RestAnswer::fail(restcode::kBusy, r.text);
        default:
            return RestAnswer::fail(restcode::kParameterIncorrect,
                                    r.text.empty() ? "The parameter is incorrect." : r.text);
    }
}

namespace {

std::string lunRunning(const std::string& s) {
    if (s == "Offline") {
        return "28";
    }
    return s == "Initializing" ? "53" : "27";
}

std::string snapshotRunning(const std::string& s) {
    if (s == "Activated") {
        return "43";
    }
    return s == "Rolling back" ? "44" : "45";
}

json lunJson(ArrayModel& model, const Lun& l) {
    json clones = json::array();
    for (uint32_t c : model.cloneIdsOf(l.id)) {
        clones.push_back(std::to_string(c));
    }
    std::string vstoreName = model.with([&](const ArrayState& s) {
        auto n = number(l.vstoreId);
        auto v = n ? s.vstores.find(*n) : s.vstores.end();
        return v == s.vstores.end() ? std::string() : v->second.name;
    });
    return {{"ID", std::to_string(l.id)},
            {"NAME", l.name},
            {"PARENTID", std::to_string(l.poolId)},
            {"CAPACITY", std::to_string(l.capacity)},
            {"ALLOCTYPE", l.thin ? "1" : "0"},
            {"RUNNINGSTATUS", lunRunning(l.running)},
            {"HEALTHSTATUS", "1"},
            {"OWNINGCONTROLLER", l.owner},
            {"WWN", l.wwn},
            {"CLONEIDS", clones.dump()},
            {"vstoreId", l.vstoreId},
            {"vstoreName", vstoreName}};
}

json snapshotJson(const LunSnapshot& s) {
    return {{"ID", std::to_string(s.id)},
            {"NAME", s.name},
            {"PARENTID", std::to_string(s.sourceLunId)},
            {"PARENTTYPE", "11"},
            {"PARENTSNAPSHOTID", s.copiedFrom ? std::to_string(*s.copiedFrom) : std::string()},
            {"RUNNINGSTATUS", snapshotRunning(s.running)},
            {"ROLLBACKRATE", s.restoreProgress < 0 ? std::string() : std::to_string(s.restoreProgress)},
            {"HEALTHSTATUS", "1"},
            {"WWN", s.wwn},
            {"vstoreId", s.vstoreId}};
}

RestAnswer snapshotNotFound() {
    return fromResult(notFound(ObjKind::Snapshot));
}

// A snapshot seen from the request's scope (one outside it does not exist for the caller).
std::optional<LunSnapshot> visibleSnapshot(ArrayModel& model, const std::string& id,
                                           const std::string& scope) {
    auto n = number(id);
    auto s = n ? model.observeSnapshot(*n) : std::nullopt;
    if (!s || !inScope(s->vstoreId, scope)) {
        return std::nullopt;
    }
    return s;
}

RestAnswer system(ArrayModel& model) {
    SystemInfo s = model.system();
    return RestAnswer::ok({{"ID", s.serial},
                           {"NAME", s.name},
                           {"PRODUCTVERSION", s.productVersion},
                           {"PRODUCTMODE", s.productModel},
                           {"HEALTHSTATUS", "1"}});
}

RestAnswer vstore(ArrayModel& model, const RestCall& call) {
    auto n = call.path.size() == 2 ? number(call.path[1]) : std::nullopt;
    auto name = model.with([&](const ArrayState& s) -> std::optional<std::string> {
        auto v = n ? s.vstores.find(*n) : s.vstores.end();
        if (v == s.vstores.end()) {
            return std::nullopt;
        }
        return v->second.name;
    });
    if (!name || (!call.sessionVStore.empty() && call.sessionVStore != call.path[1])) {
        return RestAnswer::fail(restcode::kObjectNotFound, "The object does not exist.");
    }
    return RestAnswer::ok({{"ID", call.path[1]}, {"NAME", *name}});
}

RestAnswer lun(ArrayModel& model, const RestCall& call) {
    const std::string scope = scopeOf(call);
    if (call.method == "POST" && call.path.size() == 1) {
        LunSpec spec;
        spec.name = str(call.body, "NAME");
        auto pool = number(str(call.body, "PARENTID"));
        auto capacity = str(call.body, "CAPACITY");
        if (spec.name.empty() || !pool || capacity.empty() ||
            capacity.find_first_not_of("0123456789") != std::string::npos) {
            return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
        }
        spec.poolId = *pool;
        spec.capacity = std::stoull(capacity);
        spec.thin = str(call.body, "ALLOCTYPE") != "0";
        std::string owner = str(call.body, "OWNINGCONTROLLER");
        if (!owner.empty()) {
            spec.owner = owner;
        }
        spec.vstoreId = scope;
        Result r = model.createLun(spec);
        if (!r.ok()) {
            return fromResult(r);
        }
        return RestAnswer::ok(lunJson(model, *model.observeLun(*number(r.id))));
    }
    auto n = call.path.size() == 2 ? number(call.path[1]) : std::nullopt;
    auto l = n ? model.observeLun(*n) : std::nullopt;
    if (!l || !inScope(l->vstoreId, scope)) {
        return fromResult(notFound(ObjKind::Lun));
    }
    if (call.method == "GET") {
        return RestAnswer::ok(lunJson(model, *l));
    }
    if (call.method == "PUT") {
        return fromResult(model.renameLun(*n, str(call.body, "NAME")));
    }
    if (call.method == "DELETE") {
        return fromResult(model.deleteLuns({*n}));
    }
    return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
}

RestAnswer snapshot(ArrayModel& model, const RestCall& call) {
    const std::string scope = scopeOf(call);
    const std::string& m = call.method;
    const std::string sub = call.path.size() > 1 ? call.path[1] : std::string();
    if (m == "POST" && call.path.size() == 1) {
        auto lunId = number(str(call.body, "PARENTID"));
        auto l = lunId ? model.observeLun(*lunId) : std::nullopt;
        if (!l || !inScope(l->vstoreId, scope)) {
            return fromResult(notFound(ObjKind::Lun));
        }
        std::vector<BatchItem> items = model.createSnapshots({*lunId}, str(call.body, "NAME"));
        if (items.empty() || !items[0].result.ok()) {
            return items.empty()
                       ? RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.")
                       : fromResult(items[0].result);
        }
        return RestAnswer::ok(snapshotJson(*model.observeSnapshot(*number(items[0].result.id))));
    }
    if (m == "GET" && call.path.size() == 1) {
        auto name = nameFilter(call);
        json list = json::array();
        for (const LunSnapshot& s : model.observeSnapshots()) {
            if (inScope(s.vstoreId, scope) && (!name || s.name == *name)) {
                list.push_back(snapshotJson(s));
            }
        }
        return RestAnswer::ok(list);
    }
    if (m == "POST" && sub == "activate") {
        std::vector<uint32_t> ids;
        const json list =
            call.body.is_object() ? call.body.value("SNAPSHOTLIST", json::array()) : json::array();
        for (const json& e : list) {
            std::string id = e.is_string() ? e.get<std::string>() : e.dump();
            if (!visibleSnapshot(model, id, scope)) {
                return snapshotNotFound();
            }
            ids.push_back(*number(id));
        }
        return fromResult(model.activateSnapshots(ids));
    }
    if (m == "PUT" && (sub == "stop" || sub == "rollback")) {
        std::string id = str(call.body, "ID");
        if (!visibleSnapshot(model, id, scope)) {
            return snapshotNotFound();
        }
        if (sub == "stop") {
            return fromResult(model.deactivateSnapshot(*number(id)));
        }
        return fromResult(model.restoreSnapshot(*number(id), str(call.body, "ROLLBACKSPEED")));
    }
    if (m == "POST" && sub == "createcopy") {
        std::string id = str(call.body, "ID");
        if (!visibleSnapshot(model, id, scope)) {
            return snapshotNotFound();
        }
        Result r = model.duplicateSnapshot(*number(id), str(call.body, "NAME"));
        if (!r.ok()) {
            return fromResult(r);
        }
        return RestAnswer::ok(snapshotJson(*model.observeSnapshot(*number(r.id))));
    }
    if (call.path.size() == 2 && (m == "GET" || m == "DELETE")) {
        auto s = visibleSnapshot(model, sub, scope);
        if (!s) {
            return snapshotNotFound();
        }
        if (m == "GET") {
            return RestAnswer::ok(snapshotJson(*s));
        }
        return fromResult(model.deleteSnapshots({s->id}));
    }
    return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
}

// Hosts and host groups belong to the vStore they were made in; a vStore user sees only its own.
RestAnswer host(ArrayModel& model, const RestCall& call) {
    const std::string scope = scopeOf(call);
    if (call.method == "POST" && call.path.size() == 1) {
        std::string name = str(call.body, "NAME");
        if (name.empty()) {
            return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
        }
        Result r = model.createHost(name, str(call.body, "OPERATIONSYSTEM"), scope);
        if (!r.ok()) {
            return fromResult(r);
        }
        return RestAnswer::ok(
            {{"ID", r.id}, {"NAME", name}, {"OPERATIONSYSTEM", str(call.body, "OPERATIONSYSTEM")}});
    }
    if (call.method != "GET") {
        return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
    }
    auto name = nameFilter(call);
    std::optional<uint32_t> group;
    if (call.path.size() == 2 && call.path[1] == "associate") {
        auto type = call.params.find("ASSOCIATEOBJTYPE");
        auto id = call.params.find("ASSOCIATEOBJID");
        if (type == call.params.end() || type->second != "14" || id == call.params.end() ||
            !number(id->second)) {
            return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
        }
        group = number(id->second);
    }
    return model.with([&](const ArrayState& s) {
        json list = json::array();
        const HostGroup* g = nullptr;
        if (group) {
            auto it = s.hostGroups.find(*group);
            if (it == s.hostGroups.end() || !inScope(it->second.vstoreId, scope)) {
                return RestAnswer::fail(restcode::kHostGroupNotFound, notFound(ObjKind::HostGroup).text);
            }
            g = &it->second;
        }
        for (const auto& [id, h] : s.hosts) {
            if (inScope(h.vstoreId, scope) && (!name || h.name == *name) && (!g || g->hosts.count(id))) {
                list.push_back(
                    {{"ID", std::to_string(id)}, {"NAME", h.name}, {"OPERATIONSYSTEM", h.operatingSystem}});
            }
        }
        return RestAnswer::ok(list);
    });
}

RestAnswer hostGroup(ArrayModel& model, const RestCall& call) {
    const std::string scope = scopeOf(call);
    if (call.method == "POST" && call.path.size() == 1) {
        std::string name = str(call.body, "NAME");
        if (name.empty()) {
            return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
        }
        Result r = model.createHostGroup(name, scope);
        if (!r.ok()) {
            return fromResult(r);
        }
        return RestAnswer::ok({{"ID", r.id}, {"NAME", name}});
    }
    if (call.method == "POST" && call.path.size() == 2 && call.path[1] == "associate") {
        auto g = number(str(call.body, "ID"));
        auto h = number(str(call.body, "ASSOCIATEOBJID"));
        if (!g || !h || str(call.body, "ASSOCIATEOBJTYPE") != "21") {
            return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
        }
        auto seen = model.with([&](const ArrayState& s) {
            auto gi = s.hostGroups.find(*g);
            auto hi = s.hosts.find(*h);
            return std::make_pair(gi != s.hostGroups.end() && inScope(gi->second.vstoreId, scope),
                                  hi != s.hosts.end() && inScope(hi->second.vstoreId, scope));
        });
        if (!seen.first) {
            return RestAnswer::fail(restcode::kHostGroupNotFound, notFound(ObjKind::HostGroup).text);
        }
        if (!seen.second) {
            return RestAnswer::fail(restcode::kHostNotFound, notFound(ObjKind::Host).text);
        }
        Result r = model.addHostToHostGroup(*g, *h);
        if (r.code == Code::NotFound && r.kind == ObjKind::Host) {
            return RestAnswer::fail(restcode::kHostNotFound, r.text);
        }
        if (r.code == Code::NotFound) {
            return RestAnswer::fail(restcode::kHostGroupNotFound, r.text);
        }
        return fromResult(r);
    }
    if (call.method == "GET" && call.path.size() == 1) {
        auto name = nameFilter(call);
        return model.with([&](const ArrayState& s) {
            json list = json::array();
            for (const auto& [id, g] : s.hostGroups) {
                if (inScope(g.vstoreId, scope) && (!name || g.name == *name)) {
                    list.push_back({{"ID", std::to_string(id)}, {"NAME", g.name}});
                }
            }
            return RestAnswer::ok(list);
        });
    }
    return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
}

}  // namespace

RestAnswer handleResource(ArrayModel& model, const RestCall& call) {
    // First, as it also answers the association queries on LUNs, snapshots and host groups.
    if (std::optional<RestAnswer> answer = handleMappingResource(model, call)) {
        return *answer;
    }
    const std::string& top = call.path.empty() ? std::string() : call.path[0];
    if (top == "system" && call.method == "GET") {
        return system(model);
    }
    if (top == "vstore" && call.method == "GET") {
        return vstore(model, call);
    }
    if (top == "lun") {
        return lun(model, call);
    }
    if (top == "host") {
        return host(model, call);
    }
    if (top == "hostgroup") {
        return hostGroup(model, call);
    }
    if (top == "snapshot") {
        return snapshot(model, call);
    }
    for (auto family : {handleCloneResource, handleNasResource}) {
        if (std::optional<RestAnswer> answer = family(model, call)) {
            return *answer;
        }
    }
    return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
}

}  // namespace tavso::sim
