// REST clones and storage pools.
#include "platform/TavManageHuawei.h"

#include "platform/TavManageHuaweiCall.h"

using namespace tavrest;
using namespace tavrest::code;

namespace {

// The body that names one secondary LUN of one clone.
json pairBody(const std::string& lunId, const std::string& cloneId) {
    return {{"ID", cloneId}, {"SECONDARYLUNID", lunId}};
}

_HuaweiCloneSecondaryLUN secondaryOf(const json& d) {
    _HuaweiCloneSecondaryLUN s;
    s.lunId = text(d, "SECONDARYLUNID");
    s.name = text(d, "NAME");
    s.cloneId = text(d, "ID");
    const std::string rate = text(d, "COPYRATE");
    // Anything but 1 to 4 leaves the speed empty, as the value class does.
    s.copySpeed =
        HuaweiApi::CopySpeedValue(rate.size() == 1 && rate[0] >= '1' && rate[0] <= '4' ? rate[0] - '0' : 0);
    s.resumePolicy = HuaweiApi::ResumePolicyValue(text(d, "RESUMEPOLICY"));
    s.runningStatus = HuaweiApi::CloneSecondaryLunRunningStatus(text(d, "RUNNINGSTATUS"));
    const std::string progress = text(d, "SYNCPROGRESS");
    s.syncProgress = 0;
    if (!progress.empty() && progress.size() <= 3 &&
        progress.find_first_not_of("0123456789") == std::string::npos) {
        s.syncProgress = std::stoi(progress);
    }
    return s;
}

}  // namespace

ResultStatus TavManageHuawei::createClone(_HuaweiCloneInfo& info) {
    json body = {{"NAME", info.name}, {"PRIMARYLUNID", info.primaryLunId}};
    Reply r = callRest(*m_impl, "POST", "clone", {}, &body);
    if (!r.ok()) {
        return r.status();
    }
    info.id = text(r.data, "ID");
    return {};
}

ResultStatus TavManageHuawei::deleteClone(const std::string& cloneId) {
    return callRest(*m_impl, "DELETE", "clone/" + pathSegment(cloneId), {}, nullptr).status();
}

ResultStatus TavManageHuawei::getCloneSecondaryLuns(std::list<_HuaweiCloneSecondaryLUN>& secondaries,
                                                    const std::string& cloneId) {
    secondaries.clear();
    Reply r = listRest(*m_impl, "clone/secondary_lun", {{"ID", cloneId}}, nullptr);
    if (!r.ok()) {
        return r.status();
    }
    for (const json& d : r.data) {
        secondaries.push_back(secondaryOf(d));
    }
    return {};
}

ResultStatus TavManageHuawei::addCloneSecondaryLun(const std::string& lunId, const std::string& cloneId,
                                                   const HuaweiApi::CopySpeedValue& speed,
                                                   const HuaweiApi::ResumePolicyValue& resumePolicy,
                                                   const HuaweiApi::FirstSyncValue& firstSync) {
    json body = pairBody(lunId, cloneId);
    // An empty value is left out so that the array applies its default.
    if (!speed.isEmpty()) {
        body["COPYRATE"] = speed.getValue();
    }
    if (!resumePolicy.isEmpty()) {
        body["RESUMEPOLICY"] = resumePolicy.getValue();
    }
    if (!firstSync.isEmpty()) {
        body["FIRSTSYNC"] = firstSync.getValue();
    }
    return addStatus(callRest(*m_impl, "POST", "clone/secondary_lun", {}, &body));
}

ResultStatus TavManageHuawei::syncCloneSecondaryLun(const std::string& lunId, const std::string& cloneId) {
    json body = pairBody(lunId, cloneId);
    return callRest(*m_impl, "PUT", "clone/secondary_lun/sync", {}, &body).status();
}

ResultStatus TavManageHuawei::splitCloneSecondaryLun(const std::string& lunId, const std::string& cloneId) {
    json body = pairBody(lunId, cloneId);
    return callRest(*m_impl, "PUT", "clone/secondary_lun/split", {}, &body).status();
}

ResultStatus TavManageHuawei::removeCloneSecondaryLun(const std::string& lunId, const std::string& cloneId) {
    return callRest(*m_impl, "DELETE", "clone/secondary_lun", {{"ID", cloneId}, {"SECONDARYLUNID", lunId}},
                    nullptr)
        .status();
}

ResultStatus TavManageHuawei::getStoragePoolInfoForName(_HuaweiStoragePoolInfo& info,
                                                        const std::string& name) {
    Reply r =
        callRest(*m_impl, "GET", "storagepool", {{"filter", "NAME::" + escapeFilterValue(name)}}, nullptr);
    if (!r.ok()) {
        return r.status();
    }
    if (!r.data.is_array() || r.data.empty()) {
        return ResultStatus(static_cast<uint64_t>(kObjectNotFound),
                            "No storage pool is named [" + name + "]");
    }
    info.clear();
    info.id = text(r.data[0], "ID");
    info.name = text(r.data[0], "NAME");
    info.usageType = text(r.data[0], "USAGETYPE");
    return {};
}
