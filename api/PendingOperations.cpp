// Operations whose engines are still being built: each logs so and fails the call, so a host never
// mistakes them for done. Each moves to its own file when its engine lands.
#include "api/HuaweiLog.h"
#include "api/TAVSOHuaweiAPI.h"

namespace {

int notAvailable(const char* operation, TAVSO::SnapInfo** volumes, short count) {
    std::string tag = std::string("Huawei-") + operation;
    Log(tag.c_str(), count > 0 && volumes ? volumes[0] : nullptr, TAVSO::LOG_ERROR,
        "%s is not available yet in this version of the plug-in", operation);
    return 1;
}

}  // namespace

int tavso_prepareDevices(TAVSO::SnapInfo** v, short n, TAVSO::TAVOSUtil*) {
    return notAvailable("tavso_prepareDevices", v, n);
}
int tavso_snapDevices(TAVSO::SnapInfo** v, short n, TAVSO::TAVOSUtil*) {
    return notAvailable("tavso_snapDevices", v, n);
}
int tavso_isMapped(TAVSO::SnapInfo** v, short n, TAVSO::TAVOSUtil*) {
    return notAvailable("tavso_isMapped", v, n);
}
int tavso_mapSnaps(TAVSO::SnapInfo** v, short n, TAVSO::TAVOSUtil*) {
    return notAvailable("tavso_mapSnaps", v, n);
}
int tavso_unmapSnaps(TAVSO::SnapInfo** v, short n, TAVSO::TAVOSUtil*) {
    return notAvailable("tavso_unmapSnaps", v, n);
}
int tavso_deleteSnaps(TAVSO::SnapInfo** v, short n, TAVSO::TAVOSUtil*) {
    return notAvailable("tavso_deleteSnaps", v, n);
}
int tavso_revertSnaps(TAVSO::SnapInfo** v, short n, TAVSO::TAVOSUtil*) {
    return notAvailable("tavso_revertSnaps", v, n);
}
int tavso_reconcileSnaps(TAVSO::SnapInfo** v, short n, TAVSO::TAVOSUtil*) {
    return notAvailable("tavso_reconcileSnaps", v, n);
}
int tavso_identifyDevices(TAVSO::SnapInfo** v, short n, std::map<std::string, std::list<std::string>>*, int,
                          void*, TAVSO::TAVOSUtil*) {
    return notAvailable("tavso_identifyDevices", v, n);
}
