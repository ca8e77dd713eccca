// REST LUN groups and mapping views.
#include "platform/TavManageHuawei.h"

#include "platform/TavManageHuaweiCall.h"

using namespace tavrest;
using namespace tavrest::code;

namespace {

constexpr const char* kTypeLun = "11";
constexpr const char* kTypeHostGroup = "14";
constexpr const char* kTypeSnapshot = "27";
constexpr const char* kTypeMappingView = "245";
constexpr const char* kTypeLunGroup = "256";

// Host groups and LUN groups report alike.
template <class Group>
void fillGroup(Group& info, const json& d) {
    info.clear();
    info.id = text(d, "ID");
    info.name = text(d, "NAME");
    info.description = text(d, "DESCRIPTION");
    info.isAddToMappingView = text(d, "ISADD2MAPPINGVIEW");
}

void fillLunGroup(_HuaweiLunGroupInfo& info, const json& d) {
    fillGroup(info, d);
    info.appType = text(d, "APPTYPE");
}

void fillView(_HuaweiLUNMappingView& view, const json& d) {
    view.clear();
    view.id = text(d, "ID");
    view.name = text(d, "NAME");
    view.description = text(d, "DESCRIPTION");
    view.enableInbandCommand = text(d, "ENABLEINBANDCOMMAND");
}

// The records of a list reply; a failed call leaves `out` empty.
template <class Record, class Fill>
ResultStatus listOf(const Reply& r, std::vector<Record>& out, Fill fill) {
    out.clear();
    if (!r.ok()) {
        return r.status();
    }
    for (const json& d : r.data.is_array() ? r.data : json::array()) {
        Record rec;
        fill(rec, d);
        out.push_back(rec);
    }
    return {};
}

ResultStatus addToLunGroup(TavManageHuawei::Impl& impl, const std::string& groupId, const char* type,
                           const std::string& id, const std::string& vstoreId) {
    json body = {{"ID", groupId}, {"ASSOCIATEOBJTYPE", type}, {"ASSOCIATEOBJID", id}};
    return addStatus(callRest(impl, "POST", "lungroup/associate", scope(vstoreId), &body));
}

ResultStatus removeFromLunGroup(TavManageHuawei::Impl& impl, const std::string& groupId, const char* type,
                                const std::string& id, const std::string& vstoreId) {
    return callRest(impl, "DELETE", "lungroup/associate",
                    scope(vstoreId, {{"ID", groupId}, {"ASSOCIATEOBJTYPE", type}, {"ASSOCIATEOBJID", id}}),
                    nullptr)
        .status();
}

Reply changeView(TavManageHuawei::Impl& impl, const char* change, const std::string& viewId, const char* type,
                 const std::string& groupId, const std::string& vstoreId) {
    json body = {{"ID", viewId}, {"ASSOCIATEOBJTYPE", type}, {"ASSOCIATEOBJID", groupId}};
    return callRest(impl, "PUT", std::string("mappingview/") + change, scope(vstoreId), &body);
}

}  // namespace

ResultStatus TavManageHuawei::getLUNGroupIDFromName(const std::string& name, std::string& groupId,
                                                    const std::string& vstoreId) {
    return idByName(*m_impl, "lungroup", name, vstoreId, groupId);
}

ResultStatus TavManageHuawei::createLUNGroup(_HuaweiLunGroupInfo& info, const std::string& name,
                                             const std::string& vstoreId, const std::string& appType) {
    json body = {{"NAME", name}, {"APPTYPE", appType}};
    Reply r = callRest(*m_impl, "POST", "lungroup", scope(vstoreId), &body);
    if (r.ok()) {
        fillLunGroup(info, r.data);
    }
    return r.status();
}

ResultStatus TavManageHuawei::addLuntoLunGroup(const std::string& lunGroupId, const std::string& lunId,
                                               const std::string& vstoreId) {
    return addToLunGroup(*m_impl, lunGroupId, kTypeLun, lunId, vstoreId);
}

ResultStatus TavManageHuawei::addSnapshotLuntoLunGroup(const std::string& lunGroupId,
                                                       const std::string& snapshotId,
                                                       const std::string& vstoreId) {
    return addToLunGroup(*m_impl, lunGroupId, kTypeSnapshot, snapshotId, vstoreId);
}

// The callers pass no vStore here: the session's own scope applies.
ResultStatus TavManageHuawei::isLunAssociatedToLunGroup(const std::string& lunGroupId,
                                                        const std::string& lunId) {
    return listed(associated(*m_impl, "lun", kTypeLunGroup, lunGroupId, kNoVStore), lunId,
                  "LUN [" + lunId + "] is not in LUN group [" + lunGroupId + "]");
}

ResultStatus TavManageHuawei::isSnapshotLunAssociatedToLunGroup(const std::string& lunGroupId,
                                                                const std::string& snapshotId,
                                                                const std::string& vstoreId) {
    return listed(associated(*m_impl, "snapshot", kTypeLunGroup, lunGroupId, vstoreId), snapshotId,
                  "Snapshot [" + snapshotId + "] is not in LUN group [" + lunGroupId + "]");
}

ResultStatus TavManageHuawei::removeLunFromLunGroup(const std::string& lunGroupId, const std::string& lunId,
                                                    const std::string& vstoreId) {
    return removeFromLunGroup(*m_impl, lunGroupId, kTypeLun, lunId, vstoreId);
}

ResultStatus TavManageHuawei::removeSnapshotLunFromLunGroup(const std::string& lunGroupId,
                                                            const std::string& snapshotId,
                                                            const std::string& vstoreId) {
    return removeFromLunGroup(*m_impl, lunGroupId, kTypeSnapshot, snapshotId, vstoreId);
}

ResultStatus TavManageHuawei::getLunGroupsAssociatedToLun(std::vector<_HuaweiLunGroupInfo>& groups,
                                                          const std::string& lunId,
                                                          const std::string& vstoreId) {
    return listOf(associated(*m_impl, "lungroup", kTypeLun, lunId, vstoreId), groups, fillLunGroup);
}

ResultStatus TavManageHuawei::deleteLunGroup(const std::string& lunGroupId, const std::string& vstoreId) {
    return callRest(*m_impl, "DELETE", "lungroup/" + pathSegment(lunGroupId), scope(vstoreId), nullptr)
        .status();
}

ResultStatus TavManageHuawei::getMappingViewInfoByName(_HuaweiLUNMappingView& view, const std::string& name,
                                                       const std::string& vstoreId) {
    Reply r = callRest(*m_impl, "GET", "mappingview",
                       scope(vstoreId, {{"filter", "NAME::" + escapeFilterValue(name)}}), nullptr);
    if (!r.ok()) {
        return r.status();
    }
    if (!r.data.is_array() || r.data.empty()) {
        return ResultStatus(static_cast<uint64_t>(kObjectNotFound), "No mappingview is named [" + name + "]");
    }
    fillView(view, r.data[0]);
    return {};
}

ResultStatus TavManageHuawei::createMappingView(_HuaweiLUNMappingView& view, const std::string& name,
                                                const std::string& vstoreId) {
    json body = {{"NAME", name}};
    Reply r = callRest(*m_impl, "POST", "mappingview", scope(vstoreId), &body);
    if (r.ok()) {
        fillView(view, r.data);
    }
    return r.status();
}

ResultStatus TavManageHuawei::addHostGroupToMappingView(const std::string& hostGroupId,
                                                        const std::string& viewId,
                                                        const std::string& vstoreId) {
    return addStatus(changeView(*m_impl, "create_associate", viewId, kTypeHostGroup, hostGroupId, vstoreId));
}

ResultStatus TavManageHuawei::addLunGroupToMappingView(const std::string& lunGroupId,
                                                       const std::string& viewId,
                                                       const std::string& vstoreId) {
    return addStatus(changeView(*m_impl, "create_associate", viewId, kTypeLunGroup, lunGroupId, vstoreId));
}

ResultStatus TavManageHuawei::getLunGroupAssociatedToMappingView(const std::string& viewId,
                                                                 std::vector<_HuaweiLunGroupInfo>& groups,
                                                                 const std::string& vstoreId) {
    return listOf(associated(*m_impl, "lungroup", kTypeMappingView, viewId, vstoreId), groups, fillLunGroup);
}

ResultStatus TavManageHuawei::getHostGroupAssociatedToMappingView(const std::string& viewId,
                                                                  std::vector<_HuaweiHostGroupInfo>& groups,
                                                                  const std::string& vstoreId) {
    return listOf(associated(*m_impl, "hostgroup", kTypeMappingView, viewId, vstoreId), groups,
                  fillGroup<_HuaweiHostGroupInfo>);
}

ResultStatus TavManageHuawei::getMappingViewAssociatedToLunGroup(const std::string& lunGroupId,
                                                                 std::vector<_HuaweiLUNMappingView>& views,
                                                                 const std::string& vstoreId) {
    return listOf(associated(*m_impl, "mappingview", kTypeLunGroup, lunGroupId, vstoreId), views, fillView);
}

ResultStatus TavManageHuawei::removeLunGroupAssociatedToMappingView(const std::string& lunGroupId,
                                                                    const std::string& viewId,
                                                                    const std::string& vstoreId) {
    return changeView(*m_impl, "remove_associate", viewId, kTypeLunGroup, lunGroupId, vstoreId).status();
}

ResultStatus TavManageHuawei::removeHostGroupAssociatedToMappingView(const std::string& hostGroupId,
                                                                     const std::string& viewId,
                                                                     const std::string& vstoreId) {
    return changeView(*m_impl, "remove_associate", viewId, kTypeHostGroup, hostGroupId, vstoreId).status();
}

ResultStatus TavManageHuawei::deleteMappingView(const std::string& viewId, const std::string& vstoreId) {
    return callRest(*m_impl, "DELETE", "mappingview/" + pathSegment(viewId), scope(vstoreId), nullptr)
        .status();
}
