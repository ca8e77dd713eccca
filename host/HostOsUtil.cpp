#include "host/HostOsUtil.h"

#include <strings.h>

#include <cstring>

#include "host/BufferText.h"
#include "host/HostVolume.h"

namespace tavso::host {

namespace {

std::vector<std::string> nullTerminated(const char** list) {
    std::vector<std::string> out;
    for (; list != nullptr && *list != nullptr; ++list) {
        out.emplace_back(*list);
    }
    return out;
}

}  // namespace

std::string deviceListText(const std::vector<HostDevice>& devices, const std::string& vendor,
                           char separator) {
    std::string text;
    for (const auto& d : devices) {
        if (!vendor.empty() && strncasecmp(d.vendor.c_str(), vendor.c_str(), vendor.size()) != 0) {
            continue;
        }
        if (!text.empty()) {
            text += separator;
        }
        text += d.path;
    }
    return text;
}

HostOsUtil::HostOsUtil(const HostConfig& config, uint64_t jobId) : m_config(config), m_jobId(jobId) {}

void HostOsUtil::rescanBus(const char*, const char** initiators, const char** devicesToRemove) {
    std::lock_guard<std::mutex> lock(m_mutex);
    rescan(nullTerminated(initiators), nullTerminated(devicesToRemove));
}

int HostOsUtil::listDevices(const char*, const char* vendor, char separator, int length, char* buffer) {
    if (length < 0) {
        return -1;
    }
    std::string text;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        text = deviceListText(devices(), vendor != nullptr ? vendor : "", separator);
    }
    int capacity = length;
    switch (copyOut(text, buffer, &capacity)) {
        case CopyResult::Ok:
            return 0;
        case CopyResult::TooSmall:
            return capacity;
        case CopyResult::Invalid:
            break;
    }
    return -1;
}

bool HostOsUtil::getInitiators(const char*, const char*, char* names, short* namesLength, char* kinds,
                               short* kindsLength, short* count) {
    if (namesLength == nullptr || kindsLength == nullptr) {
        return false;
    }
    std::string nameText;
    std::string kindBytes;
    for (const auto& i : initiators()) {
        if (!nameText.empty()) {
            nameText += ',';
        }
        nameText += i.name;
        kindBytes += static_cast<char>(i.iscsi ? 1 : 2);
    }
    if (count != nullptr) {
        *count = static_cast<short>(kindBytes.size());
    }
    const short namesNeeded = neededShort(nameText);
    const short kindsNeeded = static_cast<short>(kindBytes.size());
    if (names == nullptr || kinds == nullptr) {
        // The sizing call: what the filling call must provide.
        *namesLength = nameText.empty() ? 0 : namesNeeded;
        *kindsLength = kindsNeeded;
        return true;
    }
    if (*namesLength < namesNeeded || *kindsLength < kindsNeeded) {
        *namesLength = namesNeeded;
        *kindsLength = kindsNeeded;
        return false;
    }
    std::memcpy(names, nameText.c_str(), nameText.size() + 1);
    std::memcpy(kinds, kindBytes.data(), kindBytes.size());
    *namesLength = static_cast<short>(nameText.size());
    *kindsLength = kindsNeeded;
    return true;
}

int HostOsUtil::getArrayLoginCredentials(const char* arrayName, char* buffer, short* length) {
    const ArrayConfig* a = arrayName != nullptr ? m_config.findArray(arrayName) : nullptr;
    if (a == nullptr) {
        return 1;
    }
    return copyOut(arrayLoginCredentialsText(*a), buffer, length) == CopyResult::Ok ? 0 : 2;
}

int HostOsUtil::getVMwareDevicePage(const char*, const char*, const char*, int, int, int, char, int length,
                                    char* buffer) {
    // Not an ESX host: there is no VMware server to ask.
    if (buffer != nullptr && length > 0) {
        buffer[0] = '\0';
    }
    return 1;
}

bool HostOsUtil::getESXInitiators(const char*, const char*, char*, short*, char*, short*, short*) {
    return false;
}

}  // namespace tavso::host
