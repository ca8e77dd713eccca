#include "api/TAVSOHuaweiAPI.h"

#include "api/HuaweiDeviceInfo.h"
#include "api/HuaweiLog.h"
#include "cli/HuaeiParser.h"

void tavso_version(short* major, short* minor, short* build) {
    if (major && minor && build) {
        *major = 1;
        *minor = 0;
        *build = 0;
    }
}

int tavso_isSupported(const char* device, TAVSO::SNAP_TYPE, TAVSO::TAVOSUtil* osUtil, char*, short) {
    static const char* const kTag = "Huawei-tavso_isSupported";
    static const char* const kFn = "tavso_isSupported";
    if (!device) {
        Log(kTag, nullptr, TAVSO::LOG_ERROR, "Function called with NULL character device name");
        return 1;
    }
    std::string vendor, product, arrayId, lunWwn, lunUuid;
    int lunId = 0;
    if (!getDevArrayInfo(device, vendor, product, arrayId, lunWwn, lunUuid, lunId, nullptr, osUtil)) {
        Log(kTag, nullptr, TAVSO::LOG_ERROR, "%s: Failed to get Huawei Array name from host device name[%s]",
            kFn, device);
        return 1;
    }
    HuaeiParser::trimstring(product);
    Log(kTag, nullptr, TAVSO::LOG_INFO,
        "%s [Vendor-id - %s] [Product-id - %s] [Array-id - %s] [Lun-WWN - %s] [LUN-ID - %u] [Src-Dev - %s]",
        kFn, vendor.c_str(), product.c_str(), arrayId.c_str(), lunWwn.c_str(), static_cast<unsigned>(lunId),
        device);
    if (isSupportedHuaweiProduct(product)) {
        return 0;
    }
    Log(kTag, nullptr, TAVSO::LOG_ERROR,
        "%s: The device %s does not belong to Huawei array. Vendor of the device is - %s and product line "
        "[%s] [%u]",
        kFn, device, vendor.c_str(), product.c_str(), static_cast<unsigned>(product.size()));
    for (size_t i = 0; i < product.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(product[i]);
        Log(kTag, nullptr, TAVSO::LOG_ERROR, "%s: [Product-id(%llu) = %u - %c", kFn,
            static_cast<unsigned long long>(i), static_cast<unsigned>(c), static_cast<char>(c));
    }
    return 2;
}

int tavso_unprepareDevices(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil*) {
    if (count <= 0 || !volumes) {
        Log("TAVHuaweiAPI::tavso_unprepareDevices", nullptr, TAVSO::LOG_ERROR, "found 0 devices");
        return 1;
    }
    Log("Huawei-tavso_unprepareDevices", volumes[0], TAVSO::LOG_DETAIL,
        "|-------------------- Started tavso_unprepareDevices(%u) --------------------|",
        static_cast<unsigned>(count));
    for (short i = 0; i < count; ++i) {
        if (volumes[i]) {
            volumes[i]->setStatus(3);
        }
    }
    Log("Huawei-tavso_unprepareDevices", volumes[0], TAVSO::LOG_DETAIL,
        "|-------------------- Completed tavso_unprepareDevices --------------------|");
    return 0;
}

int tavso_getArrayInfo(void*, void*) {
    return 0;
}
