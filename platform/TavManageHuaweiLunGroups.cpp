// REST LUN groups and mapping views.
#include "platform/TavManageHuawei.h"

#include "platform/TavManageHuaweiCall.h"

using namespace tavrest;
using namespace tavrest::code;

// Not built yet: each fails clearly instead of pretending.
ResultStatus TavManageHuawei::getLUNGroupIDFromName(const std::string&, std::string&, const std::string&) {
    return notImplemented("getLUNGroupIDFromName");
}

ResultStatus TavManageHuawei::createLUNGroup(_HuaweiLunGroupInfo&, const std::string&, const std::string&,
                                             const std::string&) {
    return notImplemented("createLUNGroup");
}

ResultStatus TavManageHuawei::addLuntoLunGroup(const std::string&, const std::string&, const std::string&) {
    return notImplemented("addLuntoLunGroup");
}

ResultStatus TavManageHuawei::addSnapshotLuntoLunGroup(const std::string&, const std::string&,
                                                       const std::string&) {
    return notImplemented("addSnapshotLuntoLunGroup");
}

ResultStatus TavManageHuawei::isLunAssociatedToLunGroup(const std::string&, const std::string&) {
    return notImplemented("isLunAssociatedToLunGroup");
}

ResultStatus TavManageHuawei::isSnapshotLunAssociatedToLunGroup(const std::string&, const std::string&,
                                                                const std::string&) {
    return notImplemented("isSnapshotLunAssociatedToLunGroup");
}

ResultStatus TavManageHuawei::removeLunFromLunGroup(const std::string&, const std::string&,
                                                    const std::string&) {
    return notImplemented("removeLunFromLunGroup");
}

ResultStatus TavManageHuawei::removeSnapshotLunFromLunGroup(const std::string&, const std::string&,
                                                            const std::string&) {
    return notImplemented("removeSnapshotLunFromLunGroup");
}

ResultStatus TavManageHuawei::getLunGroupsAssociatedToLun(std::vector<_HuaweiLunGroupInfo>&,
                                                          const std::string&, const std::string&) {
    return notImplemented("getLunGroupsAssociatedToLun");
}

ResultStatus TavManageHuawei::deleteLunGroup(const std::string&, const std::string&) {
    return notImplemented("deleteLunGroup");
}

ResultStatus TavManageHuawei::getMappingViewInfoByName(_HuaweiLUNMappingView&, const std::string&,
                                                       const std::string&) {
    return notImplemented("getMappingViewInfoByName");
}

ResultStatus TavManageHuawei::createMappingView(_HuaweiLUNMappingView&, const std::string&,
                                                const std::string&) {
    return notImplemented("createMappingView");
}

ResultStatus TavManageHuawei::addHostGroupToMappingView(const std::string&, const std::string&,
                                                        const std::string&) {
    return notImplemented("addHostGroupToMappingView");
}

ResultStatus TavManageHuawei::addLunGroupToMappingView(const std::string&, const std::string&,
                                                       const std::string&) {
    return notImplemented("addLunGroupToMappingView");
}

ResultStatus TavManageHuawei::getLunGroupAssociatedToMappingView(const std::string&,
                                                                 std::vector<_HuaweiLunGroupInfo>&,
                                                                 const std::string&) {
    return notImplemented("getLunGroupAssociatedToMappingView");
}

ResultStatus TavManageHuawei::getHostGroupAssociatedToMappingView(const std::string&,
                                                                  std::vector<_HuaweiHostGroupInfo>&,
                                                                  const std::string&) {
    return notImplemented("getHostGroupAssociatedToMappingView");
}

ResultStatus TavManageHuawei::getMappingViewAssociatedToLunGroup(const std::string&,
                                                                 std::vector<_HuaweiLUNMappingView>&,
                                                                 const std::string&) {
    return notImplemented("getMappingViewAssociatedToLunGroup");
}

ResultStatus TavManageHuawei::removeLunGroupAssociatedToMappingView(const std::string&, const std::string&,
                                                                    const std::string&) {
    return notImplemented("removeLunGroupAssociatedToMappingView");
}

ResultStatus TavManageHuawei::removeHostGroupAssociatedToMappingView(const std::string&, const std::string&,
                                                                     const std::string&) {
    return notImplemented("removeHostGroupAssociatedToMappingView");
}

ResultStatus TavManageHuawei::deleteMappingView(const std::string&, const std::string&) {
    return notImplemented("deleteMappingView");
}
