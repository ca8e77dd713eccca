// The simulator's REST resources for initiators, LUN groups and mapping views.
#include "sim/RestResources.h"

namespace tavso::sim {

namespace {

using nlohmann::json;

// The array's codes of this family.
constexpr int64_t kLunAlreadyInGroup = 1077936862;
constexpr int64_t kLunGroupNotFound = 1077936861;
constexpr int64_t kMappingViewNotFound = 1077951819;
constexpr int64_t kHostGroupNotInView = 1073804552;
constexpr int64_t kLunGroupNotInView = 1073804554;
constexpr int64_t kHostGroupAlreadyInView = 1073804556;
constexpr int64_t kLunGroupAlreadyInView = 1073804560;

constexpr const char* kTypeLun = "11";
constexpr const char* kTypeHostGroup = "14";
constexpr const char* kTypeSnapshot = "27";
constexpr const char* kTypeMappingView = "245";
constexpr const char* kTypeLunGroup = "256";

RestAnswer badParameter() {
    return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
}

RestAnswer missing(int64_t code, ObjKind kind) {
    return RestAnswer::fail(code, notFound(kind).text);
}

std::string param(const RestCall& call, const char* key) {
    auto it = call.params.find(key);
    return it == call.params.end() ? std::string() : it->second;
}

// The object of that ID when the request's scope may see it.
template <class M>
const typename M::mapped_type* visible(const M& objects, std::optional<uint32_t> id,
                                       const std::string& scope) {
    auto it = id ? objects.find(*id) : objects.end();
    if (it == objects.end() || !inScope(it->second.vstoreId, scope)) {
        return nullptr;
    }
    return &it->second;
}

// Whether the object of that ID is there for the request's scope.
template <class M>
bool seen(const ArrayModel& model, M ArrayState::*objects, std::optional<uint32_t> id,
          const std::string& scope) {
    return model.with([&](const ArrayState& s) { return visible(s.*objects, id, scope) != nullptr; });
}

template <class Check>
bool holds(const ArrayModel& model, Check check) {
    return model.with([&](const ArrayState& s) { return check(s); });
}

template <class M>
bool inAnyView(const ArrayState& s, M member, uint32_t id) {
    for (const auto& [vid, v] : s.mappingViews) {
        if ((v.*member).count(id)) {
            return true;
        }
    }
    return false;
}

json lunGroupJson(const ArrayState& s, const LunGroup& g) {
    return {{"ID", std::to_string(g.id)},
            {"NAME", g.name},
            {"APPTYPE", g.appType},
            {"DESCRIPTION", ""},
            {"ISADD2MAPPINGVIEW", inAnyView(s, &MappingView::lunGroups, g.id) ? "true" : "false"},
            {"vstoreId", g.vstoreId}};
}

json hostGroupJson(const ArrayState& s, const HostGroup& g) {
    return {{"ID", std::to_string(g.id)},
            {"NAME", g.name},
            {"DESCRIPTION", ""},
            {"ISADD2MAPPINGVIEW", inAnyView(s, &MappingView::hostGroups, g.id) ? "true" : "false"},
            {"vstoreId", g.vstoreId}};
}

json viewJson(const MappingView& v) {
    return {{"ID", std::to_string(v.id)},
            {"NAME", v.name},
            {"DESCRIPTION", ""},
            {"ENABLEINBANDCOMMAND", "false"},
            {"vstoreId", v.vstoreId}};
}

// A LUN or snapshot as a member of a LUN group: what identifies it.
template <class Member>
json memberJson(const Member& m) {
    return {{"ID", std::to_string(m.id)}, {"NAME", m.name}, {"WWN", m.wwn}, {"vstoreId", m.vstoreId}};
}

json initiatorJson(const ArrayState& s, const Initiator& i) {
    json j = {{"ID", i.id},
              {"TYPE", i.iscsi ? "222" : "223"},
              {"ISFREE", i.hostId ? "false" : "true"},
              {"RUNNINGSTATUS", i.running == "Online" ? "27" : "28"},
              {"vstoreId", i.vstoreId}};
    if (i.hostId) {
        auto h = s.hosts.find(*i.hostId);
        j["PARENTTYPE"] = "21";
        j["PARENTID"] = std::to_string(*i.hostId);
        j["PARENTNAME"] = h == s.hosts.end() ? std::string() : h->second.name;
    }
    return j;
}

// The objects of one map that `pick` selects, as a list answer.
template <class M, class Pick, class ToJson>
json listOf(const M& objects, const std::string& scope, Pick pick, ToJson toJson) {
    json list = json::array();
    for (const auto& [id, o] : objects) {
        if (inScope(o.vstoreId, scope) && pick(o)) {
            list.push_back(toJson(o));
        }
    }
    return list;
}

// GET /<wanted>/associate?ASSOCIATEOBJTYPE=<type>&ASSOCIATEOBJID=<id>
RestAnswer associations(ArrayModel& model, const RestCall& call, const std::string& wanted) {
    const std::string type = param(call, "ASSOCIATEOBJTYPE");
    const std::optional<uint32_t> id = number(param(call, "ASSOCIATEOBJID"));
    const std::string scope = scopeOf(call);
    if (!id) {
        return badParameter();
    }
    return model.with([&](const ArrayState& s) -> RestAnswer {
        auto groupJson = [&](const LunGroup& g) { return lunGroupJson(s, g); };
        auto hostGroupOf = [&](const HostGroup& g) { return hostGroupJson(s, g); };
        if ((wanted == "lun" || wanted == "snapshot") && type == kTypeLunGroup) {
            const LunGroup* g = visible(s.lunGroups, id, scope);
            if (!g) {
                return missing(kLunGroupNotFound, ObjKind::LunGroup);
            }
            json list = json::array();
            for (uint32_t m : wanted == "lun" ? g->luns : g->snapshots) {
                if (wanted == "lun" && visible(s.luns, m, scope)) {
                    list.push_back(memberJson(s.luns.at(m)));
                } else if (wanted == "snapshot" && visible(s.snapshots, m, scope)) {
                    list.push_back(memberJson(s.snapshots.at(m)));
                }
            }
            return RestAnswer::ok(list);
        }
        if (wanted == "lungroup" && type == kTypeLun) {
            if (!visible(s.luns, id, scope)) {
                return fromResult(notFound(ObjKind::Lun));
            }
            return RestAnswer::ok(listOf(
                s.lunGroups, scope, [&](const LunGroup& g) { return g.luns.count(*id) > 0; }, groupJson));
        }
        if (wanted == "lungroup" && type == kTypeSnapshot) {
            if (!visible(s.snapshots, id, scope)) {
                return fromResult(notFound(ObjKind::Snapshot));
            }
            return RestAnswer::ok(listOf(
                s.lunGroups, scope, [&](const LunGroup& g) { return g.snapshots.count(*id) > 0; },
                groupJson));
        }
        if ((wanted == "lungroup" || wanted == "hostgroup") && type == kTypeMappingView) {
            const MappingView* v = visible(s.mappingViews, id, scope);
            if (!v) {
                return missing(kMappingViewNotFound, ObjKind::MappingView);
            }
            if (wanted == "lungroup") {
                return RestAnswer::ok(listOf(
                    s.lunGroups, scope, [&](const LunGroup& g) { return v->lunGroups.count(g.id) > 0; },
                    groupJson));
            }
            return RestAnswer::ok(listOf(
                s.hostGroups, scope, [&](const HostGroup& g) { return v->hostGroups.count(g.id) > 0; },
                hostGroupOf));
        }
        if (wanted == "mappingview" && type == kTypeLunGroup) {
            if (!visible(s.lunGroups, id, scope)) {
                return missing(kLunGroupNotFound, ObjKind::LunGroup);
            }
            return RestAnswer::ok(listOf(
                s.mappingViews, scope, [&](const MappingView& v) { return v.lunGroups.count(*id) > 0; },
                viewJson));
        }
        if (wanted == "mappingview" && type == kTypeHostGroup) {
            if (!visible(s.hostGroups, id, scope)) {
                return missing(restcode::kHostGroupNotFound, ObjKind::HostGroup);
            }
            return RestAnswer::ok(listOf(
                s.mappingViews, scope, [&](const MappingView& v) { return v.hostGroups.count(*id) > 0; },
                viewJson));
        }
        return badParameter();
    });
}

// A model result with this family's codes in place of the generic ones.
RestAnswer answer(const Result& r, int64_t alreadyMember, int64_t notMember) {
    if (r.code == Code::AlreadyMember && alreadyMember) {
        return RestAnswer::fail(alreadyMember, r.text);
    }
    if (r.code == Code::NotMember && notMember) {
        return RestAnswer::fail(notMember, r.text);
    }
    if (r.code == Code::NotFound && r.kind == ObjKind::LunGroup) {
        return RestAnswer::fail(kLunGroupNotFound, r.text);
    }
    if (r.code == Code::NotFound && r.kind == ObjKind::MappingView) {
        return RestAnswer::fail(kMappingViewNotFound, r.text);
    }
    if (r.code == Code::NotFound && r.kind == ObjKind::HostGroup) {
        return RestAnswer::fail(restcode::kHostGroupNotFound, r.text);
    }
    if (r.code == Code::NotFound && r.kind == ObjKind::Host) {
        return RestAnswer::fail(restcode::kHostNotFound, r.text);
    }
    // The array's code for a group that still holds members is not known to us: "parameter
    // incorrect" stands for it, with the array's sentence.
    return fromResult(r);
}

// The arguments of a change of members: {ID, ASSOCIATEOBJTYPE, ASSOCIATEOBJID}, in the body or,
// for a DELETE, in the query.
struct Association {
    std::optional<uint32_t> id;
    std::string type;
    std::optional<uint32_t> member;
    std::string scope;
    // Both IDs given and the type one of the two the resource takes.
    bool valid(const char* typeA, const char* typeB) const {
        return id && member && (type == typeA || type == typeB);
    }
};

Association associationOf(const RestCall& call) {
    const bool inQuery = call.method == "DELETE";
    auto get = [&](const char* key) { return inQuery ? param(call, key) : str(call.body, key); };
    return {number(get("ID")), get("ASSOCIATEOBJTYPE"), number(get("ASSOCIATEOBJID")), scopeOf(call)};
}

// POST and DELETE /lungroup/associate: a LUN (11) or snapshot (27) into or out of a LUN group.
RestAnswer lunGroupMember(ArrayModel& model, const RestCall& call) {
    const bool add = call.method == "POST";
    const Association a = associationOf(call);
    if (!a.valid(kTypeLun, kTypeSnapshot)) {
        return badParameter();
    }
    const auto& [group, type, member, scope] = a;
    const bool isLun = type == kTypeLun;
    if (!seen(model, &ArrayState::lunGroups, group, scope)) {
        return missing(kLunGroupNotFound, ObjKind::LunGroup);
    }
    if (add) {
        if (isLun ? !seen(model, &ArrayState::luns, member, scope)
                  : !seen(model, &ArrayState::snapshots, member, scope)) {
            return fromResult(notFound(isLun ? ObjKind::Lun : ObjKind::Snapshot));
        }
        return answer(model.addToLunGroup(*group, *member), kLunAlreadyInGroup, 0);
    }
    // Only a member of the named kind is removed: a LUN id never takes a snapshot out.
    if (!holds(model, [&](const ArrayState& s) {
            auto g = s.lunGroups.find(*group);
            return g != s.lunGroups.end() &&
                   (isLun ? g->second.luns : g->second.snapshots).count(*member) > 0;
        })) {
        return RestAnswer::fail(restcode::kObjectNotFound, "The LUN has not been added to the LUN group.");
    }
    return answer(model.removeFromLunGroup(*group, *member), 0, restcode::kObjectNotFound);
}

// What a resource of named objects answers alike: create (POST, `create(name)`), list by name
// (GET), read one (GET /<id>) and delete one (DELETE /<id>, `remove(id)`).
template <class M, class ToJson, class Create, class Remove>
RestAnswer namedObjects(ArrayModel& model, const RestCall& call, M ArrayState::*objects, RestAnswer absent,
                        ToJson toJson, Create create, Remove remove) {
    const std::string scope = scopeOf(call);
    const std::string& m = call.method;
    if (m == "POST" && call.path.size() == 1) {
        const std::string name = str(call.body, "NAME");
        if (name.empty()) {
            return badParameter();
        }
        Result r = create(name, scope);
        if (!r.ok()) {
            return fromResult(r);
        }
        std::optional<json> made = model.with([&](const ArrayState& s) -> std::optional<json> {
            const auto* o = visible(s.*objects, number(r.id), scope);
            return o ? std::optional<json>(toJson(s, *o)) : std::nullopt;
        });
        return made ? RestAnswer::ok(*made) : absent;
    }
    if (m == "GET" && call.path.size() == 1) {
        const std::optional<std::string> name = nameFilter(call);
        return RestAnswer::ok(model.with([&](const ArrayState& s) {
            return listOf(
                s.*objects, scope, [&](const auto& o) { return !name || o.name == *name; },
                [&](const auto& o) { return toJson(s, o); });
        }));
    }
    if (call.path.size() == 2 && (m == "GET" || m == "DELETE")) {
        const std::optional<uint32_t> id = number(call.path[1]);
        std::optional<json> found = model.with([&](const ArrayState& s) -> std::optional<json> {
            const auto* o = visible(s.*objects, id, scope);
            return o ? std::optional<json>(toJson(s, *o)) : std::nullopt;
        });
        if (!found) {
            return absent;
        }
        return m == "GET" ? RestAnswer::ok(*found) : answer(remove(*id), 0, 0);
    }
    return badParameter();
}

RestAnswer lunGroup(ArrayModel& model, const RestCall& call) {
    if (call.path.size() == 2 && call.path[1] == "associate") {
        if (call.method == "GET") {
            return associations(model, call, "lungroup");
        }
        return call.method == "POST" || call.method == "DELETE" ? lunGroupMember(model, call)
                                                                : badParameter();
    }
    const std::string appType = str(call.body, "APPTYPE");
    return namedObjects(
        model, call, &ArrayState::lunGroups, missing(kLunGroupNotFound, ObjKind::LunGroup), lunGroupJson,
        [&](const std::string& name, const std::string& scope) {
            return model.createLunGroup(name, appType.empty() ? "0" : appType, scope);
        },
        [&](uint32_t id) { return model.deleteLunGroup(id); });
}

// PUT /mappingview/create_associate and /remove_associate: a host group (14) or LUN group (256).
RestAnswer viewMember(ArrayModel& model, const RestCall& call, bool add) {
    const Association a = associationOf(call);
    if (!a.valid(kTypeHostGroup, kTypeLunGroup)) {
        return badParameter();
    }
    const auto& [view, type, group, scope] = a;
    const bool hostGroup = type == kTypeHostGroup;
    if (!seen(model, &ArrayState::mappingViews, view, scope)) {
        return missing(kMappingViewNotFound, ObjKind::MappingView);
    }
    if (hostGroup && !seen(model, &ArrayState::hostGroups, group, scope)) {
        return missing(restcode::kHostGroupNotFound, ObjKind::HostGroup);
    }
    if (!hostGroup && !seen(model, &ArrayState::lunGroups, group, scope)) {
        return missing(kLunGroupNotFound, ObjKind::LunGroup);
    }
    if (hostGroup) {
        return add ? answer(model.addHostGroupToView(*view, *group), kHostGroupAlreadyInView, 0)
                   : answer(model.removeHostGroupFromView(*view, *group), 0, kHostGroupNotInView);
    }
    return add ? answer(model.addLunGroupToView(*view, *group), kLunGroupAlreadyInView, 0)
               : answer(model.removeLunGroupFromView(*view, *group), 0, kLunGroupNotInView);
}

RestAnswer mappingView(ArrayModel& model, const RestCall& call) {
    const std::string sub = call.path.size() > 1 ? call.path[1] : std::string();
    if (call.path.size() == 2 && call.method == "PUT" &&
        (sub == "create_associate" || sub == "remove_associate")) {
        return viewMember(model, call, sub == "create_associate");
    }
    if (call.path.size() == 2 && call.method == "GET" && sub == "associate") {
        return associations(model, call, "mappingview");
    }
    return namedObjects(
        model, call, &ArrayState::mappingViews, missing(kMappingViewNotFound, ObjKind::MappingView),
        [](const ArrayState&, const MappingView& v) { return viewJson(v); },
        [&](const std::string& name, const std::string& scope) {
            return model.createMappingView(name, scope);
        },
        [&](uint32_t id) { return model.deleteMappingView(id); });
}

// The initiator of that kind and ID as the scope sees it.
std::optional<json> findInitiator(ArrayModel& model, bool iscsi, const std::string& id,
                                  const std::string& scope) {
    return model.with([&](const ArrayState& s) -> std::optional<json> {
        for (const Initiator& i : s.initiators) {
            if (i.iscsi == iscsi && i.id == id && inScope(i.vstoreId, scope)) {
                return initiatorJson(s, i);
            }
        }
        return std::nullopt;
    });
}

RestAnswer initiator(ArrayModel& model, const RestCall& call, bool iscsi) {
    const std::string scope = scopeOf(call);
    const std::string& m = call.method;
    if (m == "POST" && call.path.size() == 1) {
        const std::string id = str(call.body, "ID");
        if (id.empty()) {
            return badParameter();
        }
        Result r = model.createInitiator(iscsi, id, scope);
        if (!r.ok()) {
            return fromResult(r);
        }
        return RestAnswer::ok(*findInitiator(model, iscsi, id, scope));
    }
    if (call.path.size() != 2 || (m != "GET" && m != "PUT")) {
        return badParameter();
    }
    const std::string& id = call.path[1];
    std::optional<json> found = findInitiator(model, iscsi, id, scope);
    if (!found) {
        return missing(restcode::kObjectNotFound, ObjKind::Initiator);
    }
    if (m == "GET") {
        return RestAnswer::ok(*found);
    }
    const std::optional<uint32_t> host = number(str(call.body, "PARENTID"));
    if (str(call.body, "PARENTTYPE") != "21" || !host) {
        return badParameter();
    }
    if (!seen(model, &ArrayState::hosts, host, scope)) {
        return missing(restcode::kHostNotFound, ObjKind::Host);
    }
    return answer(model.bindInitiator(iscsi, id, *host), restcode::kNotUnique, 0);
}

}  // namespace

std::optional<RestAnswer> handleMappingResource(ArrayModel& model, const RestCall& call) {
    const std::string top = call.path.empty() ? std::string() : call.path[0];
    if (top == "iscsi_initiator" || top == "fc_initiator") {
        return initiator(model, call, top == "iscsi_initiator");
    }
    if (top == "lungroup") {
        return lunGroup(model, call);
    }
    if (top == "mappingview") {
        return mappingView(model, call);
    }
    // Members of LUN groups and the host groups of views; the other calls on these resources
    // belong to their own families.
    if ((top == "lun" || top == "snapshot" || top == "hostgroup") && call.path.size() == 2 &&
        call.path[1] == "associate" && call.method == "GET") {
        return associations(model, call, top);
    }
    return std::nullopt;
}

}  // namespace tavso::sim
