#include "api/HuaweiDeviceInfo.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "api/HuaweiKeyValue.h"
#include "api/HuaweiLog.h"
#include "api/HuaweiSettings.h"
#include "cli/HuaeiParser.h"
#include "platform/TavDebugLog.h"
#include "platform/TavDeviceTree.h"
#include "platform/UboUtils.h"

namespace {

const char* kTag = "Huawei-getDevArrayInfo";
const char* kProducts = "<*>S5500T<*>S2600T<*>S5600T<*>S5800T<*>S6800T<*>HVS85T<*>HVS88T<*>XSG1<*>";

unsigned hexValue(const std::string& digits) {
    return static_cast<unsigned>(std::strtoul(digits.c_str(), nullptr, 16));
}

// Two hex digits per character, the low 8 bits of each pair.
std::string decodeHexPairs(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16) & 0xFF);
    }
    return out;
}

bool inquiry(TavDeviceScsiIface* scsi, unsigned char page, bool vpd, unsigned char* buffer,
             CUboError* error) {
    unsigned char cdb[6] = {0x12, static_cast<unsigned char>(vpd ? 1 : 0), page, 0, 0xFF, 0};
    std::memset(buffer, 0, 255);
    return scsi->sendScsiCommand(cdb, 6, buffer, 255, 0, 1, 0, 0, 10, error) >= 0;
}

bool vmwareInfo(const char* device, std::string& vendor, std::string& product, std::string& arrayId,
                std::string& lunWwn, std::string& lunUuid, int& lunId, TAVSO::SnapInfo* volume,
                TAVSO::TAVOSUtil* osUtil) {
    Log(kTag, volume, TAVSO::LOG_ERROR, "[VMWare] %s", device);
    if (!parseJsonString(volume, device, "lunuuid", lunUuid)) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "Error.parseJsonString failed :%s", device);
        return false;
    }
    parseJsonString(volume, device, "vendor", vendor);
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
        product += decodeHexPairs(lunUuid.substr(42));
    }
    arrayId = "";
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

bool isSupportedProduct(const std::string& product) {
    std::string p = product;
    HuaeiParser::trimstring(p);
    // A product holding the list's separator would match a run of several entries.
    return !p.empty() && p.find("<*>") == std::string::npos &&
           std::strstr(kProducts, ("<*>" + p + "<*>").c_str()) != nullptr;
}

std::string trimSpaces(unsigned char* bytes, int length) {
    if (!bytes || length <= 0 || bytes[0] == 0) {
        return "";
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
    return std::string(reinterpret_cast<char*>(bytes), static_cast<size_t>(end));
}

void dumpHexBuffer(const int& length, const unsigned char* bytes) {
    if (!bytes || length <= 0 || !TavDebugLog::Enabled(7)) {
        return;
    }
    std::string hex, chars;
    for (int i = 0; i < length; ++i) {
        hex += UboFormat("%02X ", bytes[i]);
        chars += std::isalnum(bytes[i]) ? UboFormat("%c  ", bytes[i]) : std::string(".  ");
    }
    g_HuaweiLog.Print("dumpHexBuffer", 7, "HUAWEI SCSI Inquiry Dump << [%s] >>", hex.c_str());
    g_HuaweiLog.Print("dumpHexBuffer", 7, "HUAWEI SCSI Inquiry Dump << [%s] >>", chars.c_str());
}

void convertHexToAsciiAndDump(const std::string& hexText) {
    if (!TavDebugLog::Enabled(7)) {
        return;
    }
    static const std::string kMarker = "*_TAVSO_*";
    std::string out;
    size_t i = 0;
    while (i < hexText.size()) {
        if (hexText.compare(i, kMarker.size(), kMarker) == 0) {
            out += kMarker;
            i += kMarker.size();
            continue;
        }
        if (i + 1 >= hexText.size()) {
            break;
        }
        int c = static_cast<int>(std::strtoul(hexText.substr(i, 2).c_str(), nullptr, 16) & 0xFF);
        out += std::isprint(c) ? static_cast<char>(c) : ' ';
        i += 2;
    }
    g_HuaweiLog.Print("convertHexToAsciiAndDump", 7, "HUAWEI SCSI Inquiry ASCII Dump << [%s] >>",
                      out.c_str());
}

bool CheckAndGetArrayIDFromReg(std::string& lunWwn, std::string& arrayId) {
    for (int n = 1;; ++n) {
        std::string value;
        if (!GetRegString(nullptr, UboFormat("HuaweiLunMap%d", n).c_str(), &value)) {
            return false;
        }
        HuaeiParser::trimstring(value);
        size_t bar = value.find('|');
        if (bar == std::string::npos || value.substr(0, bar) != lunWwn) {
            continue;
        }
        arrayId = value.substr(bar + 1);
        HuaeiParser::trimstring(arrayId);
        return true;
    }
}

bool GetArrayIDfromVMWare(TAVSO::SnapInfo* volume, const std::string& lunUuid, TAVSO::TAVOSUtil* osUtil,
                          std::string& arrayId) {
    const char* tag = "Huawei-GetArrayIDfromVMWare";
    arrayId = "";
    if (!volume) {
        Log(tag, nullptr, TAVSO::LOG_ERROR, "[ERROR] invalid SnapInfo .");
        return false;
    }
    std::vector<char> source(1024, 0);
    short sourceLength = 1024;
    if (volume->getValueString(TAVSO::GET_VALUE_VOL_SOURCE_PATH, source.data(), &sourceLength) != 0) {
        Log(tag, volume, TAVSO::LOG_ERROR, "[ERROR] Unable to get Host-Source path .");
        return false;
    }
    source.back() = 0;
    int korvelId = 0, appId = 0;
    if (volume->getValueInt(TAVSO::GET_VALUE_VOL_KORVL_ID, &korvelId) != 0) {
        Log(tag, volume, TAVSO::LOG_ERROR, "[ERROR] Unable to get KorvelID .");
        return false;
    }
    if (volume->getValueInt(TAVSO::GET_VALUE_SUBCLINET_ID, &appId) != 0) {
        Log(tag, volume, TAVSO::LOG_ERROR, "[ERROR] Unable to get AppID .");
        return false;
    }
    const char* kinds[] = {"GENERIC_VPD", "UNKNOWN", "NAA", "SERIALNUM"};
    int status = 1;
    std::vector<char> buffer;
    for (const char* kind : kinds) {
        buffer.assign(std::strcmp(kind, "GENERIC_VPD") == 0 ? 3072 : 1024, 0);
        status = osUtil->getVMwareDevicePage(source.data(), lunUuid.c_str(), kind, appId, 2, 0, '*',
                                             static_cast<int>(buffer.size()), buffer.data());
        buffer.back() = 0;
        Log(tag, volume, TAVSO::LOG_DETAIL, "Page info for %s returned status [%d] ", kind, status);
        std::string text(buffer.data());
        dumpHexBuffer(static_cast<int>(text.size()), reinterpret_cast<const unsigned char*>(text.data()));
        convertHexToAsciiAndDump(text);
    }
    std::string serial(buffer.data());
    if (status == 0) {
        arrayId += decodeHexPairs(serial.substr(0, 40));
        Log(tag, volume, TAVSO::LOG_INFO, "array-ID from VMWare-Server(%s) Array-ID [%s].", serial.c_str(),
            arrayId.c_str());
        return true;
    }
    Log(tag, volume, TAVSO::LOG_DETAIL, "[Host - %s] [LUNUUID - %s] [KorvelID - %u] [AppID - %u] ",
        source.data(), lunUuid.c_str(), 2u, static_cast<unsigned>(appId));
    Log(tag, volume, TAVSO::LOG_ERROR, "[ERROR] Couldn't get array-ID from VMWare-Server(%d).", status);
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
        return vmwareInfo(device, vendor, product, arrayId, lunWwn, lunUuid, lunId, volume, osUtil);
    }
    CUboError error;
    std::shared_ptr<TavDevice> dev = TavDeviceTree::getDevice(device, &error);
    if (!dev) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "Failed to get TavDevice. Error:[%s].", error.AsString().c_str());
        return false;
    }
    TavDeviceScsiIface* scsi = dev->getInterface("TavDeviceScsiIface");
    if (!scsi) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "'%s' is not SCSI device", dev->getName().c_str());
        return false;
    }
    unsigned char buf[255];
    if (!inquiry(scsi, 0, false, buf, &error)) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "Failed to send scsi inquiry cdb, caught exception: %s",
            error.AsString().c_str());
        return false;
    }
    dumpHexBuffer(255, buf);
    vendor = trimSpaces(buf + 8, 8);
    product = trimSpaces(buf + 16, 16);
    unsigned lun83 = 0;
    if (vendor == "HUAWEI" && isSupportedProduct(product)) {
        if (!inquiry(scsi, 0x83, true, buf, &error)) {
            Log(kTag, volume, TAVSO::LOG_DETAIL, "Fail to send scsi inqury cdb, caught exception:%s",
                error.AsString().c_str());
            return false;
        }
        dumpHexBuffer(255, buf);
        for (int i = 8; i < 24; ++i) {
            lunWwn += UboFormat("%02X", buf[i]);
        }
        lun83 = hexValue(lunWwn.substr(24));
        lunId = static_cast<int>(lun83);
    }
    if (!inquiry(scsi, 0x80, true, buf, &error)) {
        Log(kTag, volume, TAVSO::LOG_DETAIL, "Fail to send scsi inqury cdb for Page 80, caught exception:%s",
            error.AsString().c_str());
        return false;
    }
    dumpHexBuffer(255, buf);
    arrayId.assign(reinterpret_cast<char*>(buf + 4), 20);
    std::string digits(reinterpret_cast<char*>(buf + 24), 4);
    unsigned lun80 = static_cast<unsigned>(std::atoi(digits.c_str()));
    Log(kTag, volume, TAVSO::LOG_INFO, "[$$test] [LUN-ID from page 0x83 - %u] [LUN-ID from page 0x80 - %u]",
        lun83, lun80);
    int useP80 = 0;
    if (GetRegInt(nullptr, "UseP80LunID", &useP80) && useP80 != 0) {
        Log(kTag, volume, TAVSO::LOG_INFO,
            "[$$test] [UseP80LunID reg-key found set] [LUN-ID from page 0x80 - (%u) will be used]", lun80);
        lunId = static_cast<int>(lun80);
    }
    return true;
}
