// REST file systems, their snapshots, NFS and CIFS shares. These resources take the vStore scope in
// the JSON body, on GET and DELETE too.
#include "platform/TavManageHuawei.h"

#include "platform/TavDebugLog.h"
#include "platform/TavManageHuaweiCall.h"

using namespace tavrest;
using namespace tavrest::code;

namespace {

constexpr int64_t kFsSnapshotNotFound = 1073754118;

// The body with the vStore scope added, unless the id is empty or "-12345".
json scoped(const std::string& vstoreId, json body = json::object()) {
    if (!vstoreId.empty() && vstoreId != TavManageHuawei::kNoVStore) {
        body["vstoreId"] = vstoreId;
    }
    return body;
}

// One call with the scope in its body; a GET or DELETE outside a vStore carries no body.
Reply callScoped(TavManageHuawei::Impl& impl, const char* method, const std::string& resource,
                 const Query& query, const std::string& vstoreId, json body = json::object()) {
    json b = scoped(vstoreId, std::move(body));
    return callRest(impl, method, resource, query, b.empty() ? nullptr : &b);
}

// A list query with the scope in its body.
Reply listScoped(TavManageHuawei::Impl& impl, const std::string& resource, const Query& query,
                 const std::string& vstoreId) {
    json b = scoped(vstoreId);
    return listRest(impl, resource, query, b.empty() ? nullptr : &b);
}

// These operations answer with a bool: a failure goes to the debug log with the array's words.
bool succeeded(TavManageHuawei::Impl& impl, const char* op, const Reply& r) {
    if (!r.ok()) {
        TavDebugLog().PrintJob(jobIdOf(impl), op, -1, "Failed: %lld %s", static_cast<long long>(r.code),
                               r.description.c_str());
    }
    return r.ok();
}

Query filter(const char* key, const std::string& value) {
    return {{"filter", std::string(key) + "::" + escapeFilterValue(value)}};
}

// The share's directory below the file-system component, without slashes: /fs1/qt1 gives qt1,
// /fs1/ and /fs1 give nothing.
std::string subPathOf(const std::string& localPath) {
    size_t start = localPath.find_first_not_of('/');
    size_t slash = start == std::string::npos ? std::string::npos : localPath.find('/', start);
    if (slash == std::string::npos) {
        return {};
    }
    size_t first = localPath.find_first_not_of('/', slash);
    if (first == std::string::npos) {
        return {};
    }
    size_t last = localPath.find_last_not_of('/');
    return localPath.substr(first, last - first + 1);
}

void fillShare(_HuaweiShareInfo& info, const json& d) {
    info.clear();
    info.id = text(d, "ID");
    info.fileSystemId = text(d, "FSID");
    info.name = text(d, "NAME");
    info.localPath = text(d, "SHAREPATH");
    info.subPath = subPathOf(info.localPath);
    info.description = text(d, "DESCRIPTION");
    info.vstoreId = text(d, "vstoreId");
}

// The first share that the filter finds; false when none or on failure.
bool firstShare(TavManageHuawei::Impl& impl, _HuaweiShareInfo& info, const char* resource, const char* key,
                const std::string& value, const std::string& vstoreId) {
    Reply r = callScoped(impl, "GET", resource, filter(key, value), vstoreId);
    if (!r.ok() || !r.data.is_array() || r.data.empty()) {
        return false;
    }
    fillShare(info, r.data[0]);
    return true;
}

// "nfs" (and a file system named for NDMP, served the same way) or "unc"; nullptr for others.
const char* shareResource(const std::string& type) {
    if (type == "nfs" || type == "native_huawei") {
        return "NFSHARE";
    }
    return type == "unc" ? "CIFSHARE" : nullptr;
}

// A new object's ID from a create reply.
bool created(TavManageHuawei::Impl& impl, const char* op, const Reply& r, std::string& newId) {
    if (!succeeded(impl, op, r)) {
        return false;
    }
    newId = text(r.data, "ID");
    return true;
}

_HuaweiNFSSharePermissionInfo nfsPermissionOf(const json& d) {
    _HuaweiNFSSharePermissionInfo p;
    p.id = text(d, "ID");
    p.accessName = text(d, "NAME");
    p.accessValue = text(d, "ACCESSVAL");
    p.sync = text(d, "SYNC");
    p.allSquash = text(d, "ALLSQUASH");
    p.rootSquash = text(d, "ROOTSQUASH");
    p.parentId = text(d, "PARENTID");
    p.vstoreId = text(d, "vstoreId");
    return p;
}

_HuaweiCIFSSharePermissionInfo cifsPermissionOf(const json& d) {
    _HuaweiCIFSSharePermissionInfo p;
    p.id = text(d, "ID");
    p.accessName = text(d, "NAME");
    p.domainType = text(d, "DOMAINTYPE");
    p.parentId = text(d, "PARENTID");
    p.permission = text(d, "PERMISSION");
    p.vstoreId = text(d, "vstoreId");
    return p;
}

// The permissions of one share, every page of them.
template <class Permission>
bool permissionsOf(TavManageHuawei::Impl& impl, const char* op, const char* resource,
                   const std::string& shareId, const std::string& vstoreId, std::vector<Permission>& out,
                   Permission (*fill)(const json&)) {
    out.clear();
    Reply r = listScoped(impl, resource, filter("PARENTID", shareId), vstoreId);
    if (!succeeded(impl, op, r)) {
        return false;
    }
    for (const json& d : r.data) {
        out.push_back(fill(d));
    }
    return true;
}

}  // namespace

CUboError TavManageHuawei::getFileSystemInfoById(const std::string& fsId, _HuaweiFileSystemsInfo& info,
                                                 const std::string& vstoreId) {
    Reply r = callScoped(*m_impl, "GET", "filesystem/" + pathSegment(fsId), {}, vstoreId);
    if (!r.ok()) {
        return CUboError(static_cast<int>(r.code), r.description);
    }
    info.clear();
    info.id = text(r.data, "ID");
    info.name = text(r.data, "NAME");
    info.parentId = text(r.data, "PARENTID");
    return {};
}

// The array answers once the snapshot exists, so there is nothing left to wait for.
bool TavManageHuawei::createFileSystemSnapshot(const uint64_t& fsId, std::string& name, bool /*wait*/,
                                               const std::string& vstoreId) {
    json body = {{"PARENTID", std::to_string(fsId)}, {"NAME", name}, {"PARENTTYPE", "40"}};
    Reply r = callScoped(*m_impl, "POST", "FSSNAPSHOT", {}, vstoreId, std::move(body));
    if (!succeeded(*m_impl, "TavManageHuawei::createFileSystemSnapshot", r)) {
        return false;
    }
    std::string id = text(r.data, "ID");
    if (id.empty()) {
        TavDebugLog().PrintJob(jobIdOf(*m_impl), "TavManageHuawei::createFileSystemSnapshot", -1,
                               "The array named no snapshot ID for [%s]", name.c_str());
        return false;
    }
    name = id;
    return true;
}

bool TavManageHuawei::deleteFileSystemSnapshot(const std::string& snapshotId, const std::string& vstoreId) {
    return succeeded(*m_impl, "TavManageHuawei::deleteFileSystemSnapshot",
                     callScoped(*m_impl, "DELETE", "FSSNAPSHOT/" + pathSegment(snapshotId), {}, vstoreId));
}

bool TavManageHuawei::getFileSystemSnapshotInfo(const std::string& snapshotId, _HuaweiSnapshotInfo& info,
                                                const std::string& vstoreId) {
    info.clear();
    Reply r = callScoped(*m_impl, "GET", "FSSNAPSHOT/" + pathSegment(snapshotId), {}, vstoreId);
    if (!succeeded(*m_impl, "TavManageHuawei::getFileSystemSnapshotInfo", r)) {
        info.notFound = r.code == kFsSnapshotNotFound;
        return false;
    }
    info.id = text(r.data, "ID");
    info.name = text(r.data, "NAME");
    info.parentId = text(r.data, "PARENTID");
    info.healthStatus = text(r.data, "HEALTHSTATUS");
    info.snapDiffState = text(r.data, "SNAPDIFFSTATE");
    return true;
}

bool TavManageHuawei::getShareInfoByName(_HuaweiShareInfo& info, const std::string& type,
                                         const std::string& name, const std::string& vstoreId) {
    info.clear();
    const char* resource = shareResource(type);
    if (!resource || name.empty()) {
        TavDebugLog().PrintJob(jobIdOf(*m_impl), "TavManageHuawei::getShareInfoByName", -1,
                               "No share of type [%s] can be named [%s]", type.c_str(), name.c_str());
        return false;
    }
    if (std::string(resource) == "CIFSHARE") {
        return firstShare(*m_impl, info, resource, "NAME", name, vstoreId);
    }
    // An export is found by its path, else by its alias, which a mount may show with a trailing "/".
    if (firstShare(*m_impl, info, resource, "SHAREPATH", name, vstoreId) ||
        firstShare(*m_impl, info, resource, "NAME", name, vstoreId)) {
        return true;
    }
    return name.size() > 1 && name.back() == '/' &&
           firstShare(*m_impl, info, resource, "NAME", name.substr(0, name.size() - 1), vstoreId);
}

bool TavManageHuawei::getShareInfoByFSID(_HuaweiShareInfo& info, const std::string& type,
                                         const std::string& fsId, const std::string& vstoreId) {
    info.clear();
    const char* resource = shareResource(type);
    return resource && firstShare(*m_impl, info, resource, "FSID", fsId, vstoreId);
}

bool TavManageHuawei::createNFSShare(std::string& newId, const std::string& fsId, const std::string& name,
                                     const std::string& path, const std::string& vstoreId) {
    json body = {{"SHAREPATH", path}, {"FSID", fsId}, {"NAME", name}};
    return created(*m_impl, "TavManageHuawei::createNFSShare",
                   callScoped(*m_impl, "POST", "NFSHARE", {}, vstoreId, std::move(body)), newId);
}

bool TavManageHuawei::deleteNFSShare(const std::string& shareId, const std::string& vstoreId) {
    return succeeded(*m_impl, "TavManageHuawei::deleteNFSShare",
                     callScoped(*m_impl, "DELETE", "NFSHARE/" + pathSegment(shareId), {}, vstoreId));
}

bool TavManageHuawei::getNFSSharePermissionsFromParentId(
    std::vector<_HuaweiNFSSharePermissionInfo>& permissions, const std::string& shareId,
    const std::string& vstoreId) {
    return permissionsOf(*m_impl, "TavManageHuawei::getNFSSharePermissionsFromParentId",
                         "NFS_SHARE_AUTH_CLIENT", shareId, vstoreId, permissions, nfsPermissionOf);
}

bool TavManageHuawei::addNFSSharePermission(std::string& newId, const std::string& name,
                                            const std::string& shareId, const std::string& access,
                                            const std::string& sync, const std::string& allSquash,
                                            const std::string& rootSquash, const std::string& vstoreId) {
    json body = {{"NAME", name}, {"PARENTID", shareId},    {"ACCESSVAL", access},
                 {"SYNC", sync}, {"ALLSQUASH", allSquash}, {"ROOTSQUASH", rootSquash}};
    return created(*m_impl, "TavManageHuawei::addNFSSharePermission",
                   callScoped(*m_impl, "POST", "NFS_SHARE_AUTH_CLIENT", {}, vstoreId, std::move(body)),
                   newId);
}

bool TavManageHuawei::deleteNFSSharePermission(const std::string& permissionId, const std::string& vstoreId) {
    return succeeded(
        *m_impl, "TavManageHuawei::deleteNFSSharePermission",
        callScoped(*m_impl, "DELETE", "NFS_SHARE_AUTH_CLIENT/" + pathSegment(permissionId), {}, vstoreId));
}

bool TavManageHuawei::createCIFSShare(std::string& newId, const std::string& name, const std::string& path,
                                      const std::string& fsId, const std::string& vstoreId) {
    json body = {{"NAME", name}, {"SHAREPATH", path}, {"FSID", fsId}};
    return created(*m_impl, "TavManageHuawei::createCIFSShare",
                   callScoped(*m_impl, "POST", "CIFSHARE", {}, vstoreId, std::move(body)), newId);
}

bool TavManageHuawei::deleteCIFSShare(const std::string& name, const std::string& vstoreId) {
    _HuaweiShareInfo share;
    if (!getShareInfoByName(share, "unc", name, vstoreId) || share.id.empty()) {
        TavDebugLog().PrintJob(jobIdOf(*m_impl), "TavManageHuawei::deleteCIFSShare", -1,
                               "No CIFS share is named [%s]", name.c_str());
        return false;
    }
    return succeeded(*m_impl, "TavManageHuawei::deleteCIFSShare",
                     callScoped(*m_impl, "DELETE", "CIFSHARE/" + pathSegment(share.id), {}, vstoreId));
}

bool TavManageHuawei::getCIFSSharePermissionsFromParentId(
    std::vector<_HuaweiCIFSSharePermissionInfo>& permissions, const std::string& shareId,
    const std::string& vstoreId) {
    return permissionsOf(*m_impl, "TavManageHuawei::getCIFSSharePermissionsFromParentId",
                         "CIFS_SHARE_AUTH_CLIENT", shareId, vstoreId, permissions, cifsPermissionOf);
}

bool TavManageHuawei::addCIFSSharePermission(std::string& newId, const std::string& name,
                                             const std::string& shareId, const std::string& permission,
                                             const std::string& domainType, const std::string& vstoreId) {
    json body = {
        {"NAME", name}, {"PARENTID", shareId}, {"PERMISSION", permission}, {"DOMAINTYPE", domainType}};
    return created(*m_impl, "TavManageHuawei::addCIFSSharePermission",
                   callScoped(*m_impl, "POST", "CIFS_SHARE_AUTH_CLIENT", {}, vstoreId, std::move(body)),
                   newId);
}
