// The simulator's REST resources for clones and storage pools.
#include "sim/RestResources.h"

namespace tavso::sim {

using nlohmann::json;

namespace {

// No public source documents this generation's clone objects or their codes; these are the
// simulator's, and the client passes them on unread.
constexpr int64_t kSecondaryNotInClone = 1077950221;  // the LUN is not a secondary of that clone
constexpr int64_t kCloneInUse = 1077950222;           // the clone still holds secondary LUNs
constexpr int64_t kLunConflict = 1077950223;          // the LUN's state forbids the operation
constexpr int64_t kPairNormal = 1077950224;           // the pair is synchronised already

const std::pair<const char*, const char*> kCopyRates[] = {
    {"1", "low"}, {"2", "medium"}, {"3", "high"}, {"4", "highest"}};

RestAnswer badParameter() {
    return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
}

std::string param(const RestCall& call, const char* key) {
    auto it = call.params.find(key);
    return it == call.params.end() ? std::string() : it->second;
}

std::string runningCode(const std::string& running) {
    if (running == "Synchronizing") {
        return "23";
    }
    if (running == "Normal") {
        return "1";
    }
    if (running == "Split") {
        return "26";
    }
    return running == "Fault" ? "34" : "0";
}

std::string rateCode(const std::string& speed) {
    for (const auto& [code, word] : kCopyRates) {
        if (speed == word) {
            return code;
        }
    }
    return {};
}

// A LUN the request may see: it exists and lies in the request's scope.
bool lunVisible(ArrayModel& model, uint32_t lunId, const std::string& scope) {
    return model.with([&](const ArrayState& s) {
        auto l = s.luns.find(lunId);
        return l != s.luns.end() && inScope(l->second.vstoreId, scope);
    });
}

// A clone is seen from the scope of its primary LUN.
bool cloneVisible(ArrayModel& model, uint32_t cloneId, const std::string& scope) {
    auto primary = model.with([&](const ArrayState& s) -> std::optional<uint32_t> {
        auto c = s.clones.find(cloneId);
        return c == s.clones.end() ? std::nullopt : std::optional<uint32_t>(c->second.primaryLunId);
    });
    return primary && lunVisible(model, *primary, scope);
}

// A model result of a clone operation as the array answers it.
RestAnswer cloneAnswer(ArrayModel& model, const Result& r, uint32_t lunId) {
    switch (r.code) {
        case Code::NotFound:
            if (r.kind == ObjKind::Lun && lunVisible(model, lunId, {})) {
                return RestAnswer::fail(kSecondaryNotInClone, "The LUN is not a secondary LUN of the clone.");
            }
            return fromResult(r);
        case Code::InUse:
            return RestAnswer::fail(kCloneInUse, r.text);
        case Code::Conflict:
            return RestAnswer::fail(kLunConflict, r.text);
        case Code::PairNormal:
            return RestAnswer::fail(kPairNormal, r.text);
        default:
            return fromResult(r);
    }
}

RestAnswer createClone(ArrayModel& model, const RestCall& call) {
    std::string name = str(call.body, "NAME");
    auto primary = number(str(call.body, "PRIMARYLUNID"));
    if (name.empty() || !primary) {
        return badParameter();
    }
    if (!lunVisible(model, *primary, scopeOf(call))) {
        return fromResult(notFound(ObjKind::Lun));
    }
    Result r = model.createClone(name, *primary);
    if (!r.ok()) {
        return cloneAnswer(model, r, *primary);
    }
    return RestAnswer::ok({{"ID", r.id}, {"NAME", name}, {"PRIMARYLUNID", std::to_string(*primary)}});
}

RestAnswer listSecondaries(ArrayModel& model, const RestCall& call, uint32_t cloneId) {
    auto clone = model.observeClone(cloneId);
    if (!clone) {
        return fromResult(notFound(ObjKind::Clone));
    }
    json list = json::array();
    model.with([&](const ArrayState& s) {
        for (const CloneSecondary& sec : clone->secondaries) {
            auto l = s.luns.find(sec.lunId);
            list.push_back({{"ID", std::to_string(cloneId)},
                            {"SECONDARYLUNID", std::to_string(sec.lunId)},
                            {"NAME", l == s.luns.end() ? std::string() : l->second.name},
                            {"COPYRATE", rateCode(sec.speed)},
                            {"RESUMEPOLICY", sec.resumePolicy},
                            {"RUNNINGSTATUS", runningCode(sec.running)},
                            {"SYNCPROGRESS", std::to_string(sec.progress)}});
        }
    });
    return RestAnswer::ok(page(call, list));
}

RestAnswer addSecondary(ArrayModel& model, const RestCall& call, uint32_t cloneId, uint32_t lunId) {
    std::string speed = "medium";  // the array's default
    if (call.body.contains("COPYRATE")) {
        speed.clear();
        for (const auto& [code, word] : kCopyRates) {
            if (str(call.body, "COPYRATE") == code) {
                speed = word;
            }
        }
    }
    std::string policy = call.body.contains("RESUMEPOLICY") ? str(call.body, "RESUMEPOLICY") : "1";
    std::string firstSync = call.body.contains("FIRSTSYNC") ? str(call.body, "FIRSTSYNC") : "1";
    if (speed.empty() || (policy != "1" && policy != "2") || (firstSync != "0" && firstSync != "1")) {
        return badParameter();
    }
    if (!lunVisible(model, lunId, scopeOf(call))) {
        return fromResult(notFound(ObjKind::Lun));
    }
    return cloneAnswer(model, model.addCloneSecondary(cloneId, lunId, speed, firstSync == "1", policy),
                       lunId);
}

// /clone/secondary_lun[/sync|/split]: the clone and the LUN come in the body, or in the query of a
// GET or DELETE.
RestAnswer secondaryLun(ArrayModel& model, const RestCall& call) {
    const bool inQuery = call.method == "GET" || call.method == "DELETE";
    auto cloneId = number(inQuery ? param(call, "ID") : str(call.body, "ID"));
    if (!cloneId) {
        return badParameter();
    }
    if (!cloneVisible(model, *cloneId, scopeOf(call))) {
        return fromResult(notFound(ObjKind::Clone));
    }
    if (call.method == "GET" && call.path.size() == 2) {
        return listSecondaries(model, call, *cloneId);
    }
    auto lunId = number(inQuery ? param(call, "SECONDARYLUNID") : str(call.body, "SECONDARYLUNID"));
    if (!lunId) {
        return badParameter();
    }
    const std::string action = call.path.size() == 3 ? call.path[2] : std::string();
    if (call.method == "POST" && action.empty()) {
        return addSecondary(model, call, *cloneId, *lunId);
    }
    if (call.method == "PUT" && action == "sync") {
        return cloneAnswer(model, model.synchronizeClone(*cloneId, *lunId), *lunId);
    }
    if (call.method == "PUT" && action == "split") {
        return cloneAnswer(model, model.splitClone(*cloneId, *lunId), *lunId);
    }
    if (call.method == "DELETE" && action.empty()) {
        return cloneAnswer(model, model.removeCloneSecondary(*cloneId, *lunId), *lunId);
    }
    return badParameter();
}

RestAnswer storagePools(ArrayModel& model, const RestCall& call) {
    auto name = nameFilter(call);
    json list = json::array();
    for (const StoragePool& p : model.pools()) {
        if (!name || p.name == *name) {
            list.push_back({{"ID", std::to_string(p.id)},
                            {"NAME", p.name},
                            {"USAGETYPE", p.usageType},
                            {"USERTOTALCAPACITY", std::to_string(p.totalCapacity)},
                            {"USERFREECAPACITY", std::to_string(p.freeCapacity)}});
        }
    }
    return RestAnswer::ok(page(call, list));
}

}  // namespace

std::optional<RestAnswer> handleCloneResource(ArrayModel& model, const RestCall& call) {
    const std::string& top = call.path.empty() ? std::string() : call.path[0];
    if (top == "storagepool" && call.method == "GET" && call.path.size() == 1) {
        return storagePools(model, call);
    }
    if (top != "clone") {
        return std::nullopt;
    }
    if (call.path.size() >= 2 && call.path[1] == "secondary_lun") {
        return secondaryLun(model, call);
    }
    if (call.method == "POST" && call.path.size() == 1) {
        return createClone(model, call);
    }
    auto cloneId = call.path.size() == 2 ? number(call.path[1]) : std::nullopt;
    if (call.method == "DELETE" && cloneId) {
        if (!cloneVisible(model, *cloneId, scopeOf(call))) {
            return fromResult(notFound(ObjKind::Clone));
        }
        return cloneAnswer(model, model.deleteClone(*cloneId), 0);
    }
    return badParameter();
}

}  // namespace tavso::sim
