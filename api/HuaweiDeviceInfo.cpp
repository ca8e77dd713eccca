#include "api/HuaweiDeviceInfo.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "api/HuaweiKeyValue.h"
#include "api/HuaweiLog.h"
#include "api/HuaweiSettings.h"
#include "cli/HuaeiParser.h"
#include "platform/TavDeviceTree.h"

namespace {

const char* const kTag = "Huawei-getDevArrayInfo";
const char* const kVmTag = "Huawei-GetArrayIDfromVMWare";
const char* const kProducts = "<*>S5500T<*>S2600T<*>S5600T<*>S5800T<*>S6800T<*>HVS85T<*>HVS88T<*>XSG1<*>";
const int kInquiryLength = 255;

unsigned hexValue(const std::string& digits) {
    return static_cast<unsigned>(std::strtoul(digits.c_str(), nullptr, 16));
}

// One INQUIRY through the device's SCSI interface; false (with the device library's text) on failure.
bool inquiry(TavDeviceScsiIface* scsi, unsigned char evpd, unsigned char page, unsigned char* buffer,
             std::string& error) {
    unsigned char cdb[6] = {0x12, evpd, page, 0x00, 0xFF, 0x00};
    std::memset(buffer, 0, kInquiryLength);
    CUboError e;
    if (scsi->sendCdb(cdb, 6, buffer, kInquiryLength, 0, 1, 0, 0, 10, &e) == -1) {
        error = e.GetErrorString();
        return false;
    }
    return true;
}

void logPage(TAVSO::SnapInfo* volume, const char* kind, int status) {
    Log(kVmTag, volume, TAVSO::LOG_DETAIL, "Page info for %s returned status [%d] ", kind, status);
}

bool vmwareIdentity(const std::string& text, std::string& vendor, std::string& product, std::string& arrayId,
                    std::string& lunWwn, std::string& lunUuid, int& lunId, TAVSO::SnapInfo* volume,
                    TAVSO::TAVOSUtil* osUtil) {
    Log(kTag, volume, TAVSO::LOG_ERROR, "[VMWare] %s", text.c_str());
    if (!parseJsonString(volume, text, "lunuuid", lunUuid)) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "Error.parseJsonString failed :%s", text.c_str());
        return false;
    }
    parseJsonString(volume, text, "vendor", vendor);
    vendor = vendor.substr(0, 6);
    Log(kTag, volume, TAVSO::LOG_ERROR, "[VMWare] %s", lunUuid.c_str());
    if (lunUuid.size() < 11) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "Error.Incorrect format of VMWARE LUN-WWN string :%s",
            lunUuid.c_str());
        return false;
    }
    lunWwn = lunUuid.substr(10, 32);
    if (lunWwn.size() < 25) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "Error.Incorrect format of LUN-ID LUN-WWN string :%s",
            lunUuid.c_str());
        return false;
    }
    lunId = static_cast<int>(hexValue(lunWwn.substr(24)));
    if (lunUuid.size() > 44) {
        for (size_t i = 42; i + 1 < lunUuid.size(); i += 2) {
            product += static_cast<char>(hexValue(lunUuid.substr(i, 2)) & 0xFF);
        }
    }
    arrayId.clear();
    if (!volume || !osUtil) {
        Log(kTag, volume, TAVSO::LOG_ERROR,
            "Unable to find Array-ID for VMWare [Snap info - %s] [OSUtil - %s]", volume ? "Ok" : "NULL",
            osUtil ? "Ok" : "NULL");
        return false;
    }
    if (CheckAndGetArrayIDFromReg(lunWwn, arrayId)) {
        Log(kTag, volume, TAVSO::LOG_INFO,
            "Lun-ArrayID mapping reg key set found for VMWare[Lun-WWN - %s] [Array-ID - %s]", lunWwn.c_str(),
            arrayId.c_str());
    } else if (!GetArrayIDfromVMWare(volume, lunUuid, osUtil, arrayId)) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "[ERROR] GetArray-ID-fromVMWare failed");
        return false;
    }
    Log(kTag, volume, TAVSO::LOG_ERROR,
        "[Vendor -%s] [Product-id - %s] [array-id - %s] [LUN-WWN - %s] [LUN-ID - %u]", vendor.c_str(),
        product.c_str(), arrayId.c_str(), lunWwn.c_str(), static_cast<unsigned>(lunId));
    return true;
}

}  // namespace

bool isSupportedHuaweiProduct(const std::string& product) {
    std::string p = product;
    HuaeiParser::trimstring(p);
    if (p.empty()) {
        return false;
    }
    return std::strstr(kProducts, ("<*>" + p + "<*>").c_str()) != nullptr;
}

std::string trimSpaces(unsigned char* bytes, int length) {
    if (!bytes || length <= 0 || bytes[0] == 0) {
        return std::string();
    }
    for (int i = 0; i < length; ++i) {
        if (bytes[i] == '*') {
            bytes[i] = ' ';
        }
    }
    int end = length;
    while (end > 0 && std::isspace(bytes[end - 1])) {
        --end;
    }
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(end));
}

void dumpHexBuffer(const int& length, const unsigned char* bytes) {
    if (!bytes || length <= 0 || !TavDebugLog::Enabled(7)) {
        return;
    }
    std::string hex, text;
    char two[4];
    for (int i = 0; i < length; ++i) {
        std::snprintf(two, sizeof two, "%02X ", bytes[i]);
        hex += two;
        if (std::isalnum(bytes[i])) {
            text += static_cast<char>(bytes[i]);
            text += "  ";
        } else {
            text += ".  ";
        }
    }
    g_HuaweiLog.Print("dumpHexBuffer", 7, "HUAWEI SCSI Inquiry Dump << [%s] >>", hex.c_str());
    g_HuaweiLog.Print("dumpHexBuffer", 7, "HUAWEI SCSI Inquiry Dump << [%s] >>", text.c_str());
}

void convertHexToAsciiAndDump(const std::string& hexText) {
    if (!TavDebugLog::Enabled(7)) {
        return;
    }
    static const std::string kMarker = "*_TAVSO_*";
    std::string out;
    for (size_t i = 0; i < hexText.size();) {
        if (hexText.compare(i, kMarker.size(), kMarker) == 0) {
            out += kMarker;
            i += kMarker.size();
            continue;
        }
        unsigned v = hexValue(hexText.substr(i, 2));
        out += std::isprint(static_cast<int>(v)) ? static_cast<char>(v) : ' ';
        i += 2;
    }
    g_HuaweiLog.Print("convertHexToAsciiAndDump", 7, "HUAWEI SCSI Inquiry ASCII Dump << [%s] >>",
                      out.c_str());
}

bool CheckAndGetArrayIDFromReg(std::string& lunWwn, std::string& arrayId) {
    for (int n = 1;; ++n) {
        char key[32];
        std::snprintf(key, sizeof key, "HuaweiLunMap%d", n);
        std::string value;
        if (!GetRegString(nullptr, key, &value)) {
            return false;
        }
        HuaeiParser::trimstring(value);
        size_t bar = value.find('|');
        if (bar == std::string::npos) {
            continue;
        }
        if (value.substr(0, bar) == lunWwn) {
            arrayId = value.substr(bar + 1);
            HuaeiParser::trimstring(arrayId);
            return true;
        }
    }
}

bool GetArrayIDfromVMWare(TAVSO::SnapInfo* volume, const std::string& lunUuid, TAVSO::TAVOSUtil* osUtil,
                          std::string& arrayId) {
    arrayId.clear();
    if (!volume) {
        Log(kVmTag, nullptr, TAVSO::LOG_ERROR, "[ERROR] invalid SnapInfo .");
        return false;
    }
    std::vector<char> sourcePath(1024, 0);
    short length = static_cast<short>(sourcePath.size());
    if (volume->getValueString(TAVSO::GET_VALUE_VOL_SOURCE_PATH, sourcePath.data(), &length) != 0) {
        Log(kVmTag, volume, TAVSO::LOG_ERROR, "[ERROR] Unable to get Host-Source path .");
        return false;
    }
    sourcePath.back() = 0;
    int korvelId = 0;
    if (volume->getValueInt(TAVSO::GET_VALUE_VOL_KORVL_ID, &korvelId) != 0) {
        Log(kVmTag, volume, TAVSO::LOG_ERROR, "[ERROR] Unable to get KorvelID .");
        return false;
    }
    int appId = 0;
    if (volume->getValueInt(TAVSO::GET_VALUE_SUBCLINET_ID, &appId) != 0) {
        Log(kVmTag, volume, TAVSO::LOG_ERROR, "[ERROR] Unable to get AppID .");
        return false;
    }
    struct Page {
        const char* kind;
        size_t size;
    };
    const Page pages[] = {{"GENERIC_VPD", 3072}, {"UNKNOWN", 1024}, {"NAA", 1024}, {"SERIALNUM", 1024}};
    int serialStatus = -1;
    std::string serial;
    for (const Page& p : pages) {
        std::vector<char> buffer(p.size, 0);
        int status = osUtil->getVMwareDevicePage(sourcePath.data(), lunUuid.c_str(), p.kind, appId, 2, 0, '*',
                                                 static_cast<int>(buffer.size()), buffer.data());
        buffer.back() = 0;
        logPage(volume, p.kind, status);
        std::string text(buffer.data());
        dumpHexBuffer(static_cast<int>(text.size()), reinterpret_cast<const unsigned char*>(text.data()));
        convertHexToAsciiAndDump(text);
        if (std::strcmp(p.kind, "SERIALNUM") == 0) {
            serialStatus = status;
            serial = text;
        }
    }
    if (serialStatus == 0 && serial.size() >= 40) {
        for (size_t i = 0; i < 40; i += 2) {
            arrayId += static_cast<char>(hexValue(serial.substr(i, 2)) & 0xFF);
        }
        Log(kVmTag, volume, TAVSO::LOG_DETAIL, "array-ID from VMWare-Server(%s) Array-ID [%s].",
            serial.c_str(), arrayId.c_str());
        return true;
    }
    Log(kVmTag, volume, TAVSO::LOG_DETAIL, "[Host - %s] [LUNUUID - %s] [KorvelID - %u] [AppID - %u] ",
        sourcePath.data(), lunUuid.c_str(), 2u, static_cast<unsigned>(appId));
    Log(kVmTag, volume, TAVSO::LOG_ERROR, "[ERROR] Couldn't get array-ID from VMWare-Server(%d).",
        serialStatus);
    return false;
}

bool getDevArrayInfo(const char* device, std::string& vendor, std::string& product, std::string& arrayId,
                     std::string& lunWwn, std::string& lunUuid, int& lunId, TAVSO::SnapInfo* volume,
                     TAVSO::TAVOSUtil* osUtil) {
    vendor.clear();
    product.clear();
    arrayId.clear();
    lunWwn.clear();
    lunUuid.clear();
    lunId = 0;
    if (!device) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "Device name is not set. Cannot fetch array info.");
        return false;
    }
    if (std::strstr(device, "vmware")) {
        return vmwareIdentity(device, vendor, product, arrayId, lunWwn, lunUuid, lunId, volume, osUtil);
    }
    CUboError error;
    TavDevicePtr dev = TavDeviceTree::getDevice(device, &error);
    if (!dev) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "Failed to get TavDevice. Error:[%s].",
            error.GetErrorString().c_str());
        return false;
    }
    TavDeviceScsiIface* scsi = dev->getInterface("TavDeviceScsiIface");
    if (!scsi) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "'%s' is not SCSI device", dev->getName().c_str());
        return false;
    }
    unsigned char buffer[kInquiryLength];
    std::string why;
    if (!inquiry(scsi, 0x00, 0x00, buffer, why)) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "Failed to send scsi inquiry cdb, caught exception: %s",
            why.c_str());
        return false;
    }
    dumpHexBuffer(kInquiryLength, buffer);
    vendor = trimSpaces(buffer + 8, 8);
    product = trimSpaces(buffer + 16, 16);

    unsigned p83LunId = 0;
    if (vendor == "HUAWEI" && isSupportedHuaweiProduct(product)) {
        if (!inquiry(scsi, 0x01, 0x83, buffer, why)) {
            Log(kTag, volume, TAVSO::LOG_DETAIL, "Fail to send scsi inqury cdb, caught exception:%s",
                why.c_str());
            return false;
        }
        dumpHexBuffer(kInquiryLength, buffer);
        char two[3];
        for (int i = 8; i < 24; ++i) {
            std::snprintf(two, sizeof two, "%02X", buffer[i]);
            lunWwn += two;
        }
        p83LunId = hexValue(lunWwn.substr(24));
        lunId = static_cast<int>(p83LunId);
    }
    if (!inquiry(scsi, 0x01, 0x80, buffer, why)) {
        Log(kTag, volume, TAVSO::LOG_DETAIL, "Fail to send scsi inqury cdb for Page 80, caught exception:%s",
            why.c_str());
        return false;
    }
    dumpHexBuffer(kInquiryLength, buffer);
    arrayId.assign(reinterpret_cast<const char*>(buffer + 4), 20);
    // The serial is text; a reply shorter than 24 bytes leaves zeros that are not part of it.
    arrayId.resize(std::strlen(arrayId.c_str()));
    unsigned p80LunId =
        static_cast<unsigned>(std::atoi(std::string(reinterpret_cast<const char*>(buffer + 24), 4).c_str()));
    Log(kTag, volume, TAVSO::LOG_INFO, "[$$test] [LUN-ID from page 0x83 - %u] [LUN-ID from page 0x80 - %u]",
        p83LunId, p80LunId);
    int useP80 = 0;
    if (GetRegInt(nullptr, "UseP80LunID", &useP80) && useP80 != 0) {
        Log(kTag, volume, TAVSO::LOG_INFO,
            "[$$test] [UseP80LunID reg-key found set] [LUN-ID from page 0x80 - (%u) will be used]", p80LunId);
        lunId = static_cast<int>(p80LunId);
    }
    return true;
}
