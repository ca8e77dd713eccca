// REST clones and storage pools.
#include "platform/TavManageHuawei.h"

#include "platform/TavManageHuaweiCall.h"

using namespace tavrest;
using namespace tavrest::code;

// Not built yet: each fails clearly instead of pretending.
ResultStatus TavManageHuawei::createClone(_HuaweiCloneInfo&) {
    return notImplemented("createClone");
}

ResultStatus TavManageHuawei::deleteClone(const std::string&) {
    return notImplemented("deleteClone");
}

ResultStatus TavManageHuawei::getCloneSecondaryLuns(std::list<_HuaweiCloneSecondaryLUN>&,
                                                    const std::string&) {
    return notImplemented("getCloneSecondaryLuns");
}

ResultStatus TavManageHuawei::addCloneSecondaryLun(const std::string&, const std::string&,
                                                   const HuaweiApi::CopySpeedValue&,
                                                   const HuaweiApi::ResumePolicyValue&,
                                                   const HuaweiApi::FirstSyncValue&) {
    return notImplemented("addCloneSecondaryLun");
}

ResultStatus TavManageHuawei::syncCloneSecondaryLun(const std::string&, const std::string&) {
    return notImplemented("syncCloneSecondaryLun");
}

ResultStatus TavManageHuawei::splitCloneSecondaryLun(const std::string&, const std::string&) {
    return notImplemented("splitCloneSecondaryLun");
}

ResultStatus TavManageHuawei::removeCloneSecondaryLun(const std::string&, const std::string&) {
    return notImplemented("removeCloneSecondaryLun");
}

ResultStatus TavManageHuawei::getStoragePoolInfoForName(_HuaweiStoragePoolInfo&, const std::string&) {
    return notImplemented("getStoragePoolInfoForName");
}
