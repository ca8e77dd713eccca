// REST hosts, host groups and initiators.
#include "platform/TavManageHuawei.h"

#include "platform/TavManageHuaweiCall.h"

using namespace tavrest;
using namespace tavrest::code;

ResultStatus TavManageHuawei::getHostIDFromHostName(const std::string& name, std::string& hostId,
                                                    const std::string& vstoreId) {
    return idByName(*m_impl, "host", name, vstoreId, hostId);
}

ResultStatus TavManageHuawei::createHost(_HuaweiLUNHostInfo& info, const std::string& name,
                                         const std::string& vstoreId, bool isVMware) {
    json body = {{"NAME", name}, {"OPERATIONSYSTEM", isVMware ? "7" : "0"}};
    Reply r = callRest(*m_impl, "POST", "host", scope(vstoreId), &body);
    if (!r.ok()) {
        return r.status();
    }
    info.clear();
    info.id = text(r.data, "ID");
    info.name = text(r.data, "NAME");
    info.operatingSystem = text(r.data, "OPERATIONSYSTEM");
    return {};
}

ResultStatus TavManageHuawei::getHostGroupIDFromName(const std::string& name, std::string& groupId,
                                                     const std::string& vstoreId) {
    return idByName(*m_impl, "hostgroup", name, vstoreId, groupId);
}

ResultStatus TavManageHuawei::createHostGroup(_HuaweiHostGroupInfo& info, const std::string& name,
                                              const std::string& vstoreId) {
    json body = {{"NAME", name}};
    Reply r = callRest(*m_impl, "POST", "hostgroup", scope(vstoreId), &body);
    if (!r.ok()) {
        return r.status();
    }
    info.clear();
    info.id = text(r.data, "ID");
    info.name = text(r.data, "NAME");
    return {};
}

ResultStatus TavManageHuawei::isHostAssociatedToHostGroup(const std::string& hostGroupId,
                                                          const std::string& hostId,
                                                          const std::string& vstoreId) {
    Reply r =
        callRest(*m_impl, "GET", "host/associate",
                 scope(vstoreId, {{"ASSOCIATEOBJTYPE", "14"}, {"ASSOCIATEOBJID", hostGroupId}}), nullptr);
    if (!r.ok()) {
        return r.status();
    }
    for (const json& h : r.data.is_array() ? r.data : json::array()) {
        if (text(h, "ID") == hostId) {
            return {};
        }
    }
    return ResultStatus(static_cast<uint64_t>(kObjectNotFound),
                        "Host [" + hostId + "] is not in host group [" + hostGroupId + "]");
}

ResultStatus TavManageHuawei::addHostToHostGroup(const std::string& hostGroupId, const std::string& hostId,
                                                 const std::string& vstoreId) {
    json body = {{"ID", hostGroupId}, {"ASSOCIATEOBJTYPE", "21"}, {"ASSOCIATEOBJID", hostId}};
    return addStatus(callRest(*m_impl, "POST", "hostgroup/associate", scope(vstoreId), &body));
}

// Not built yet: each fails clearly instead of pretending.
ResultStatus TavManageHuawei::getHostIDFromInitiatorID(const std::string&, bool, std::string&,
                                                       const std::string&) {
    return notImplemented("getHostIDFromInitiatorID");
}

ResultStatus TavManageHuawei::createInitiator(_HuaweiInitiator&, const std::string&, const std::string&, bool,
                                              bool&, const std::string&) {
    return notImplemented("createInitiator");
}

ResultStatus TavManageHuawei::updateInitiatorWithHostID(const std::string&, const std::string&, bool,
                                                        const std::string&) {
    return notImplemented("updateInitiatorWithHostID");
}
