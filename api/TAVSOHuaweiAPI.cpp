// The exported entry points that need no array; the others each stand in their own place below
// until their operation is built.
#include "api/TAVSOHuaweiAPI.h"

#include "api/HuaweiDeviceInfo.h"
#include "api/HuaweiLog.h"
#include "cli/HuaeiParser.h"

namespace {

// An operation that is not built yet: says so on the first volume (or the module log) and fails.
int notAvailable(const char* operation, TAVSO::SnapInfo** volumes, short count) {
    void* context = (volumes && count > 0) ? volumes[0] : nullptr;
    Log(operation, context, TAVSO::LOG_ERROR, "%s: operation not available yet", operation);
    return 1;
}

}  // namespace

TAVSO_EXPORT void tavso_version(short* major, short* minor, short* build) {
    if (!major || !minor || !build) {
        return;
    }
    *major = 1;
    *minor = 0;
    *build = 0;
}

TAVSO_EXPORT int tavso_unprepareDevices(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil*) {
    if (count <= 0 || !volumes) {
        Log("TAVHuaweiAPI::tavso_unprepareDevices", nullptr, TAVSO::LOG_ERROR, "found 0 devices");
        return 1;
    }
    const char* tag = "Huawei-tavso_unprepareDevices";
    Log(tag, volumes[0], TAVSO::LOG_DETAIL,
        "|-------------------- Started tavso_unprepareDevices(%u) --------------------|",
        static_cast<unsigned>(count));
    for (short i = 0; i < count; ++i) {
        if (volumes[i]) {
            volumes[i]->setStatus(3);
        }
    }
    Log(tag, volumes[0], TAVSO::LOG_DETAIL,
        "|-------------------- Completed tavso_unprepareDevices --------------------|");
    return 0;
}

TAVSO_EXPORT int tavso_getArrayInfo(void*, void*) {
    return 0;
}

TAVSO_EXPORT int tavso_isSupported(const char* device, TAVSO::SNAP_TYPE, TAVSO::TAVOSUtil* osUtil, char*,
                                   short) {
    const char* tag = "Huawei-tavso_isSupported";
    if (!device) {
        Log(tag, nullptr, TAVSO::LOG_ERROR, "Function called with NULL character device name");
        return 1;
    }
    std::string vendor, product, arrayId, lunWwn, lunUuid;
    int lunId = 0;
    if (!getDevArrayInfo(device, vendor, product, arrayId, lunWwn, lunUuid, lunId, nullptr, osUtil)) {
        Log(tag, nullptr, TAVSO::LOG_ERROR, "%s: Failed to get Huawei Array name from host device name[%s]",
            tag, device);
        return 1;
    }
    HuaeiParser::trimstring(product);
    Log(tag, nullptr, TAVSO::LOG_INFO,
        "%s [Vendor-id - %s] [Product-id - %s] [Array-id - %s] [Lun-WWN - %s] [LUN-ID - %u] [Src-Dev - %s]",
        tag, vendor.c_str(), product.c_str(), arrayId.c_str(), lunWwn.c_str(), static_cast<unsigned>(lunId),
        device);
    if (isSupportedProduct(product)) {
        return 0;
    }
    Log(tag, nullptr, TAVSO::LOG_ERROR,
        "%s: The device %s does not belong to Huawei array. Vendor of the device is - %s and product line "
        "[%s] [%u]",
        tag, device, vendor.c_str(), product.c_str(), static_cast<unsigned>(product.size()));
    for (size_t i = 0; i < product.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(product[i]);
        Log(tag, nullptr, TAVSO::LOG_ERROR, "%s: [Product-id(%llu) = %u - %c", tag,
            static_cast<unsigned long long>(i), static_cast<unsigned>(c), c);
    }
    return 2;
}

// [is-mapped]
TAVSO_EXPORT int tavso_isMapped(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil*) {
    return notAvailable("Huawei-tavso_isMapped", volumes, count);
}

// [map]
TAVSO_EXPORT int tavso_mapSnaps(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil*) {
    return notAvailable("Huawei-tavso_mapSnaps", volumes, count);
}

// [unmap]
TAVSO_EXPORT int tavso_unmapSnaps(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil*) {
    return notAvailable("Huawei-tavso_unmapSnaps", volumes, count);
}

// [delete]
TAVSO_EXPORT int tavso_deleteSnaps(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil*) {
    return notAvailable("Huawei-tavso_deleteSnaps", volumes, count);
}

// [revert]
TAVSO_EXPORT int tavso_revertSnaps(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil*) {
    return notAvailable("Huawei-tavso_revertSnaps", volumes, count);
}

// [reconcile]
TAVSO_EXPORT int tavso_reconcileSnaps(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil*) {
    return notAvailable("Huawei-tavso_reconcileSnaps", volumes, count);
}

// [identify]
TAVSO_EXPORT int tavso_identifyDevices(TAVSO::SnapInfo** volumes, short count,
                                       std::map<std::string, std::list<std::string>>*, int, void*,
                                       TAVSO::TAVOSUtil*) {
    return notAvailable("Huawei-tavso_identifyDevices", volumes, count);
}
