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
    return listed(associated(*m_impl, "host", "14", hostGroupId, vstoreId), hostId,
                  "Host [" + hostId + "] is not in host group [" + hostGroupId + "]");
}

ResultStatus TavManageHuawei::addHostToHostGroup(const std::string& hostGroupId, const std::string& hostId,
                                                 const std::string& vstoreId) {
    json body = {{"ID", hostGroupId}, {"ASSOCIATEOBJTYPE", "21"}, {"ASSOCIATEOBJID", hostId}};
    return addStatus(callRest(*m_impl, "POST", "hostgroup/associate", scope(vstoreId), &body));
}

namespace {

std::string initiatorResource(bool isIscsi) {
    return isIscsi ? "iscsi_initiator" : "fc_initiator";
}

std::string initiatorPath(bool isIscsi, const std::string& port) {
    return initiatorResource(isIscsi) + "/" + pathSegment(port);
}

// A free initiator reports the host it last had, or none: only a bound one names its host.
std::string boundHost(const json& d) {
    return text(d, "ISFREE") == "true" ? std::string() : text(d, "PARENTID");
}

void fillInitiator(_HuaweiInitiator& info, const json& d) {
    info.clear();
    info.id = text(d, "ID");
    info.type = text(d, "TYPE");
    info.parentId = boundHost(d);
    info.parentName = text(d, "PARENTNAME");
    info.runningStatus = text(d, "RUNNINGSTATUS");
    info.isFree = text(d, "ISFREE");
}

}  // namespace

ResultStatus TavManageHuawei::getHostIDFromInitiatorID(const std::string& port, bool isIscsi,
                                                       std::string& hostId, const std::string& vstoreId) {
    Reply r = callRest(*m_impl, "GET", initiatorPath(isIscsi, port), scope(vstoreId), nullptr);
    if (!r.ok()) {
        return r.status();
    }
    hostId = boundHost(r.data);
    return {};
}

ResultStatus TavManageHuawei::createInitiator(_HuaweiInitiator& info, const std::string& port,
                                              const std::string& hostId, bool isIscsi, bool& exists,
                                              const std::string& vstoreId) {
    exists = false;
    json body = {{"ID", port}};
    Reply r = callRest(*m_impl, "POST", initiatorResource(isIscsi), scope(vstoreId), &body);
    if (r.code == kNotUnique) {
        // The caller decides from the initiator's present host whether it can be used.
        exists = true;
        Reply found = callRest(*m_impl, "GET", initiatorPath(isIscsi, port), scope(vstoreId), nullptr);
        if (found.ok()) {
            fillInitiator(info, found.data);
        } else {
            info.clear();
        }
        return r.status();
    }
    if (!r.ok()) {
        return r.status();
    }
    fillInitiator(info, r.data);
    if (hostId.empty()) {
        return {};
    }
    ResultStatus bound = updateInitiatorWithHostID(port, hostId, isIscsi, vstoreId);
    if (!bound.IsError()) {
        info.parentId = hostId;
        info.isFree = "false";
    }
    return bound;
}

// Not an add: an initiator bound to another host must not count as bound to this one.
ResultStatus TavManageHuawei::updateInitiatorWithHostID(const std::string& port, const std::string& hostId,
                                                        bool isIscsi, const std::string& vstoreId) {
    json body = {{"PARENTTYPE", "21"}, {"PARENTID", hostId}};
    return callRest(*m_impl, "PUT", initiatorPath(isIscsi, port), scope(vstoreId), &body).status();
}
