#include "api/HuaweiSettings.h"

#include "platform/TavPlatformInfo.h"

bool GetRegInt(const char* subSection, const char* key, int* value) {
    if (!key || !value) {
        return false;
    }
    std::string section = "~Dravel";
    if (subSection && *subSection) {
        section += "/";
        section += subSection;
    }
    return TAVPlatformInfo::getRegInt(section.c_str(), key, value) == 1;
}

bool GetRegString(const char* subSection, const char* key, std::string* value) {
    if (!key || !value) {
        return false;
    }
    std::string section = TAVPlatformInfo::getSectionName("Dravel", subSection ? subSection : "");
    return TAVPlatformInfo::getString(section.c_str(), key, value) != 0;
}
