// The simulator's REST resources for file systems, their snapshots, NFS and CIFS shares and their
// permissions. Every object is seen from the vStore of its file system.
#include "sim/RestResources.h"

namespace tavso::sim {

using nlohmann::json;

namespace {

constexpr int64_t kFileSystemNotFound = 1073752065;
constexpr int64_t kFsSnapshotNotFound = 1073754118;
constexpr int64_t kNfsShareNotFound = 1077939717;
constexpr int64_t kCifsShareNotFound = 1077939729;
constexpr int64_t kPermissionExists = 1077939727;

// The simulator's encodings of the model's words.
using Codes = std::vector<std::pair<std::string, std::string>>;  // REST value, model word
const Codes kAccessValues = {{"0", "read_only"}, {"1", "read_write"}};
const Codes kCifsPermissions = {
    {"0", "Read Only"}, {"1", "All Control"}, {"5", "Read Write"}, {"6", "No Access"}};
const Codes kDomainTypes = {{"2", "user"}, {"3", "group"}};

std::optional<std::string> wordOf(const Codes& codes, const std::string& value) {
    for (const auto& [code, word] : codes) {
        if (code == value) {
            return word;
        }
    }
    return std::nullopt;
}

std::string codeOf(const Codes& codes, const std::string& word) {
    for (const auto& [code, w] : codes) {
        if (w == word) {
            return code;
        }
    }
    return {};
}

// "0" and "1" as a flag; `whenZero` is what "0" means.
std::optional<bool> flag(const json& body, const char* key, bool whenZero) {
    std::string v = str(body, key);
    if (v != "0" && v != "1") {
        return std::nullopt;
    }
    return (v == "0") == whenZero;
}

std::string flagText(bool value, bool whenZero) {
    return value == whenZero ? "0" : "1";
}

RestAnswer badParameter() {
    return RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect.");
}

enum class ShareKind { Nfs, Cifs };

int64_t shareNotFoundCode(ShareKind k) {
    return k == ShareKind::Nfs ? kNfsShareNotFound : kCifsShareNotFound;
}

RestAnswer shareNotFound(ShareKind k) {
    return RestAnswer::fail(shareNotFoundCode(k), notFound(ObjKind::Share).text);
}

// A file system that the scope may see.
std::optional<FileSystem> visibleFs(const ArrayState& s, uint32_t fsId, const std::string& scope) {
    auto f = s.fileSystems.find(fsId);
    if (f == s.fileSystems.end() || !inScope(f->second.vstoreId, scope)) {
        return std::nullopt;
    }
    return f->second;
}

template <class Share>
bool shareVisible(const ArrayState& s, const std::map<uint32_t, Share>& shares, uint32_t shareId,
                  const std::string& scope) {
    auto sh = shares.find(shareId);
    return sh != shares.end() && visibleFs(s, sh->second.fsId, scope);
}

bool shareVisible(const ArrayState& s, ShareKind k, uint32_t shareId, const std::string& scope) {
    return k == ShareKind::Nfs ? shareVisible(s, s.nfsShares, shareId, scope)
                               : shareVisible(s, s.cifsShares, shareId, scope);
}

// The one object a /<resource>/<id> path names; nullopt when the path names none.
std::optional<uint32_t> objectId(const RestCall& call) {
    return call.path.size() == 2 ? number(call.path[1]) : std::nullopt;
}

RestAnswer fileSystem(ArrayModel& model, const RestCall& call) {
    auto id = objectId(call);
    if (call.method != "GET" || !id) {
        return badParameter();
    }
    auto fs = model.with([&](const ArrayState& s) { return visibleFs(s, *id, scopeOf(call)); });
    if (!fs) {
        return RestAnswer::fail(kFileSystemNotFound, notFound(ObjKind::FileSystem).text);
    }
    return RestAnswer::ok({{"ID", std::to_string(fs->id)},
                           {"NAME", fs->name},
                           {"PARENTID", std::to_string(fs->poolId)},
                           {"HEALTHSTATUS", fs->health == "Normal" ? "1" : "2"},
                           {"RUNNINGSTATUS", fs->running == "Online" ? "27" : "28"},
                           {"vstoreId", fs->vstoreId}});
}

json fsSnapshotJson(const FsSnapshot& snap) {
    return {{"ID", snap.id},
            {"NAME", snap.name},
            {"PARENTID", std::to_string(snap.fsId)},
            {"PARENTTYPE", "40"},
            {"HEALTHSTATUS", snap.health == "Normal" ? "1" : "2"},
            {"RUNNINGSTATUS", snap.running},
            {"SNAPDIFFSTATE", snap.snapDiffState}};
}

RestAnswer fsSnapshot(ArrayModel& model, const RestCall& call) {
    const std::string scope = scopeOf(call);
    if (call.method == "POST" && call.path.size() == 1) {
        auto fsId = number(str(call.body, "PARENTID"));
        std::string name = str(call.body, "NAME");
        if (!fsId || name.empty() || str(call.body, "PARENTTYPE") != "40") {
            return badParameter();
        }
        if (!model.with([&](const ArrayState& s) { return visibleFs(s, *fsId, scope).has_value(); })) {
            return RestAnswer::fail(kFileSystemNotFound, notFound(ObjKind::FileSystem).text);
        }
        std::vector<BatchItem> items = model.createFsSnapshots({*fsId}, name);
        if (items.empty() || !items[0].result.ok()) {
            return items.empty() ? badParameter() : fromResult(items[0].result);
        }
        return model.with([&](const ArrayState& s) {
            return RestAnswer::ok(fsSnapshotJson(s.fsSnapshots.at(items[0].result.id)));
        });
    }
    if (call.path.size() < 2 || (call.method != "GET" && call.method != "DELETE")) {
        return badParameter();
    }
    // An ID may hold what the transport decodes into further segments.
    std::string id = call.path[1];
    for (size_t i = 2; i < call.path.size(); ++i) {
        id += "/" + call.path[i];
    }
    auto snap = model.with([&](const ArrayState& s) -> std::optional<FsSnapshot> {
        auto it = s.fsSnapshots.find(id);
        if (it == s.fsSnapshots.end() || !visibleFs(s, it->second.fsId, scope)) {
            return std::nullopt;
        }
        return it->second;
    });
    if (!snap) {
        return RestAnswer::fail(kFsSnapshotNotFound, notFound(ObjKind::FsSnapshot).text);
    }
    if (call.method == "GET") {
        return RestAnswer::ok(fsSnapshotJson(*snap));
    }
    Result r = model.deleteFsSnapshots({id});
    return r.ok() ? RestAnswer::ok() : RestAnswer::fail(kFsSnapshotNotFound, r.text);
}

json nfsShareJson(const NfsShare& sh, const std::string& vstoreId) {
    return {{"ID", std::to_string(sh.id)}, {"FSID", std::to_string(sh.fsId)}, {"NAME", sh.alias},
            {"SHAREPATH", sh.localPath},   {"DESCRIPTION", sh.description},   {"vstoreId", vstoreId}};
}

json cifsShareJson(const CifsShare& sh, const std::string& vstoreId) {
    return {{"ID", std::to_string(sh.id)},
            {"FSID", std::to_string(sh.fsId)},
            {"NAME", sh.name},
            {"SHAREPATH", sh.localPath},
            {"vstoreId", vstoreId}};
}

// Whether a share passes the request's filter (SHAREPATH, NAME or FSID; none: every share).
bool shareMatches(const RestCall& call, const std::string& path, const std::string& name, uint32_t fsId) {
    if (auto v = filterOf(call, "SHAREPATH")) {
        return path == *v;
    }
    if (auto v = filterOf(call, "NAME")) {
        return name == *v;
    }
    if (auto v = filterOf(call, "FSID")) {
        return std::to_string(fsId) == *v;
    }
    return true;
}

RestAnswer listShares(ArrayModel& model, const RestCall& call, ShareKind kind) {
    const std::string scope = scopeOf(call);
    json list = json::array();
    model.with([&](const ArrayState& s) {
        auto add = [&](const auto& shares, auto toJson, auto nameOf) {
            for (const auto& [id, sh] : shares) {
                auto fs = visibleFs(s, sh.fsId, scope);
                if (fs && shareMatches(call, sh.localPath, nameOf(sh), sh.fsId)) {
                    list.push_back(toJson(sh, fs->vstoreId));
                }
            }
        };
        if (kind == ShareKind::Nfs) {
            add(s.nfsShares, nfsShareJson, [](const NfsShare& sh) { return sh.alias; });
        } else {
            add(s.cifsShares, cifsShareJson, [](const CifsShare& sh) { return sh.name; });
        }
    });
    return RestAnswer::ok(page(call, list));
}

RestAnswer createShare(ArrayModel& model, const RestCall& call, ShareKind kind) {
    auto fsId = number(str(call.body, "FSID"));
    std::string path = str(call.body, "SHAREPATH");
    std::string name = str(call.body, "NAME");
    if (!fsId || path.empty() || (kind == ShareKind::Cifs && name.empty())) {
        return badParameter();
    }
    auto fs = model.with([&](const ArrayState& s) { return visibleFs(s, *fsId, scopeOf(call)); });
    if (!fs) {
        return RestAnswer::fail(kFileSystemNotFound, notFound(ObjKind::FileSystem).text);
    }
    // A share lies in its file system: "/<file system>" or below it.
    const std::string root = "/" + fs->name;
    if (path.compare(0, root.size(), root) != 0 || (path.size() > root.size() && path[root.size()] != '/')) {
        return badParameter();
    }
    Result r = kind == ShareKind::Nfs ? model.createNfsShare(*fsId, path, name)
                                      : model.createCifsShare(name, path, *fsId);
    if (!r.ok()) {
        return fromResult(r);
    }
    return RestAnswer::ok(
        {{"ID", r.id}, {"FSID", std::to_string(*fsId)}, {"NAME", name}, {"SHAREPATH", path}});
}

RestAnswer share(ArrayModel& model, const RestCall& call, ShareKind kind) {
    if (call.method == "GET" && call.path.size() == 1) {
        return listShares(model, call, kind);
    }
    if (call.method == "POST" && call.path.size() == 1) {
        return createShare(model, call, kind);
    }
    auto id = objectId(call);
    if (call.method != "DELETE" || !id) {
        return badParameter();
    }
    if (!model.with([&](const ArrayState& s) { return shareVisible(s, kind, *id, scopeOf(call)); })) {
        return shareNotFound(kind);
    }
    Result r = kind == ShareKind::Nfs ? model.deleteNfsShare(*id) : model.deleteCifsShare(*id);
    return r.ok() ? RestAnswer::ok() : shareNotFound(kind);
}

json nfsPermissionJson(const NfsPermission& p) {
    return {{"ID", std::to_string(p.id)},
            {"NAME", p.accessName},
            {"PARENTID", std::to_string(p.shareId)},
            {"ACCESSVAL", codeOf(kAccessValues, p.accessType)},
            {"SYNC", flagText(p.sync, true)},
            {"ALLSQUASH", flagText(p.allSquash, true)},
            {"ROOTSQUASH", flagText(p.rootSquash, true)}};
}

json cifsPermissionJson(const CifsPermission& p) {
    return {{"ID", std::to_string(p.id)},
            {"NAME", p.accessName},
            {"PARENTID", std::to_string(p.shareId)},
            {"DOMAINTYPE", codeOf(kDomainTypes, p.type)},
            {"PERMISSION", codeOf(kCifsPermissions, p.permission)}};
}

RestAnswer listPermissions(ArrayModel& model, const RestCall& call, ShareKind kind) {
    auto shareId = filterOf(call, "PARENTID");
    auto n = shareId ? number(*shareId) : std::nullopt;
    if (!n) {
        return badParameter();
    }
    const std::string scope = scopeOf(call);
    std::optional<json> list = model.with([&](const ArrayState& s) -> std::optional<json> {
        if (!shareVisible(s, kind, *n, scope)) {
            return std::nullopt;
        }
        json out = json::array();
        auto add = [&](const auto& permissions, auto toJson) {
            for (const auto& [id, p] : permissions) {
                if (p.shareId == *n) {
                    out.push_back(toJson(p));
                }
            }
        };
        if (kind == ShareKind::Nfs) {
            add(s.nfsPermissions, nfsPermissionJson);
        } else {
            add(s.cifsPermissions, cifsPermissionJson);
        }
        return out;
    });
    if (!list) {
        return shareNotFound(kind);
    }
    return RestAnswer::ok(page(call, *list));
}

// A permission to add, from the body; nullopt when a value is not one the array knows.
std::optional<NfsPermission> nfsPermissionOf(const json& body) {
    NfsPermission p;
    auto access = wordOf(kAccessValues, str(body, "ACCESSVAL"));
    auto sync = flag(body, "SYNC", true);
    auto allSquash = flag(body, "ALLSQUASH", true);
    auto rootSquash = flag(body, "ROOTSQUASH", true);
    if (!access || !sync || !allSquash || !rootSquash) {
        return std::nullopt;
    }
    p.accessType = *access;
    p.sync = *sync;
    p.allSquash = *allSquash;
    p.rootSquash = *rootSquash;
    return p;
}

std::optional<CifsPermission> cifsPermissionOf(const json& body) {
    CifsPermission p;
    auto permission = wordOf(kCifsPermissions, str(body, "PERMISSION"));
    auto type = wordOf(kDomainTypes, str(body, "DOMAINTYPE"));
    if (!permission || !type) {
        return std::nullopt;
    }
    p.permission = *permission;
    p.type = *type;
    return p;
}

template <class Permission>
RestAnswer addPermission(ArrayModel& model, const RestCall& call, ShareKind kind, std::optional<Permission> p,
                         Result (ArrayModel::*create)(const Permission&)) {
    auto shareId = number(str(call.body, "PARENTID"));
    std::string name = str(call.body, "NAME");
    if (!p || !shareId || name.empty()) {
        return badParameter();
    }
    if (!model.with([&](const ArrayState& s) { return shareVisible(s, kind, *shareId, scopeOf(call)); })) {
        return shareNotFound(kind);
    }
    p->shareId = *shareId;
    p->accessName = name;
    Result r = (model.*create)(*p);
    if (r.code == Code::AlreadyMember) {
        return RestAnswer::fail(kPermissionExists, r.text);
    }
    if (r.code == Code::NotFound) {
        return shareNotFound(kind);
    }
    if (!r.ok()) {
        return fromResult(r);
    }
    return RestAnswer::ok({{"ID", r.id}, {"NAME", name}, {"PARENTID", std::to_string(*shareId)}});
}

RestAnswer permission(ArrayModel& model, const RestCall& call, ShareKind kind) {
    if (call.method == "GET" && call.path.size() == 1) {
        return listPermissions(model, call, kind);
    }
    if (call.method == "POST" && call.path.size() == 1) {
        return kind == ShareKind::Nfs ? addPermission(model, call, kind, nfsPermissionOf(call.body),
                                                      &ArrayModel::createNfsPermission)
                                      : addPermission(model, call, kind, cifsPermissionOf(call.body),
                                                      &ArrayModel::createCifsPermission);
    }
    auto id = objectId(call);
    if (call.method != "DELETE" || !id) {
        return badParameter();
    }
    const std::string scope = scopeOf(call);
    bool visible = model.with([&](const ArrayState& s) {
        if (kind == ShareKind::Nfs) {
            auto p = s.nfsPermissions.find(*id);
            return p != s.nfsPermissions.end() && shareVisible(s, kind, p->second.shareId, scope);
        }
        auto p = s.cifsPermissions.find(*id);
        return p != s.cifsPermissions.end() && shareVisible(s, kind, p->second.shareId, scope);
    });
    if (!visible) {
        return fromResult(notFound(ObjKind::SharePermission));
    }
    return fromResult(kind == ShareKind::Nfs ? model.deleteNfsPermission(*id)
                                             : model.deleteCifsPermission(*id));
}

}  // namespace

std::optional<RestAnswer> handleNasResource(ArrayModel& model, const RestCall& call) {
    const std::string& top = call.path.empty() ? std::string() : call.path[0];
    if (top == "filesystem") {
        return fileSystem(model, call);
    }
    if (top == "FSSNAPSHOT") {
        return fsSnapshot(model, call);
    }
    if (top == "NFSHARE" || top == "CIFSHARE") {
        return share(model, call, top == "NFSHARE" ? ShareKind::Nfs : ShareKind::Cifs);
    }
    if (top == "NFS_SHARE_AUTH_CLIENT" || top == "CIFS_SHARE_AUTH_CLIENT") {
        return permission(model, call, top == "NFS_SHARE_AUTH_CLIENT" ? ShareKind::Nfs : ShareKind::Cifs);
    }
    return std::nullopt;
}

}  // namespace tavso::sim
