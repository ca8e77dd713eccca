#include "tests/support/FakeHost.h"

#include <algorithm>
#include <cstring>

namespace tavso::test {

namespace {

using Guard = std::lock_guard<std::mutex>;

std::string text(const char* s) {
    return s ? std::string(s) : std::string();
}

std::optional<std::string> optionalText(const char* s) {
    return s ? std::optional<std::string>(s) : std::nullopt;
}

std::vector<std::string> list(const char** items) {
    std::vector<std::string> out;
    for (; items && *items; ++items) {
        out.emplace_back(*items);
    }
    return out;
}

// Copies as much as fits (always NUL-terminated) and writes the copied length back.
template <typename Len>
void copyTruncated(const std::string& value, char* buffer, Len* length) {
    if (!buffer || !length || *length <= 0) {
        return;
    }
    size_t n = std::min(value.size(), static_cast<size_t>(*length) - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    *length = static_cast<Len>(n);
}

// 0 when the text and its NUL fit (length set to the text's length); otherwise 2 with the size
// needed written back and nothing copied.
template <typename Len>
int copyWhole(const std::string& value, char* buffer, Len* length) {
    if (!length) {
        return 1;
    }
    if (!buffer || *length <= 0 || static_cast<size_t>(*length) < value.size() + 1) {
        *length = static_cast<Len>(value.size() + 1);
        return 2;
    }
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    *length = static_cast<Len>(value.size());
    return 0;
}

}  // namespace

std::string LogLine::message() const {
    size_t n = std::strlen(kLogPrefix);
    return text.compare(0, n, kLogPrefix) == 0 ? text.substr(n) : text;
}

// ---- FakeVolume: state and records ----

void FakeVolume::setInitialStatus(int status) {
    Guard g(m_lock);
    m_status = status;
}

void FakeVolume::storeMetadata(int id, const std::string& value) {
    Guard g(m_lock);
    m_metadata[id] = value;
}

void FakeVolume::storeTransient(int id, const std::string& value) {
    Guard g(m_lock);
    m_transient[id] = value;
}

void FakeVolume::setSnapDeviceText(const std::string& device) {
    Guard g(m_lock);
    m_snapDevice = device;
}

int FakeVolume::status() const {
    Guard g(m_lock);
    return m_status;
}

std::vector<int> FakeVolume::statuses() const {
    Guard g(m_lock);
    return m_statuses;
}

std::vector<ErrorReport> FakeVolume::errors() const {
    Guard g(m_lock);
    return m_errors;
}

std::vector<LogLine> FakeVolume::logs() const {
    Guard g(m_lock);
    return m_logs;
}

std::vector<std::string> FakeVolume::messages() const {
    std::vector<std::string> out;
    for (const LogLine& l : logs()) {
        out.push_back(l.message());
    }
    return out;
}

bool FakeVolume::logged(const std::string& message, std::optional<int> level) const {
    for (const LogLine& l : logs()) {
        if (l.message() == message && (!level || *level == l.level)) {
            return true;
        }
    }
    return false;
}

bool FakeVolume::loggedContaining(const std::string& fragment) const {
    for (const LogLine& l : logs()) {
        if (l.text.find(fragment) != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::vector<MetadataWrite> FakeVolume::metadataWrites() const {
    Guard g(m_lock);
    return m_writes;
}

std::optional<std::string> FakeVolume::metadata(int id) const {
    Guard g(m_lock);
    auto it = m_metadata.find(id);
    return it == m_metadata.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::optional<std::string> FakeVolume::transient(int id) const {
    Guard g(m_lock);
    auto it = m_transient.find(id);
    return it == m_transient.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::string FakeVolume::snapDevice() const {
    Guard g(m_lock);
    return m_snapDevice;
}

std::string FakeVolume::snapNameSet() const {
    Guard g(m_lock);
    return m_snapNameSet;
}

std::vector<std::string> FakeVolume::credentialRequests() const {
    Guard g(m_lock);
    return m_credentialRequests;
}

std::optional<int> FakeVolume::sourceLunId() const {
    Guard g(m_lock);
    return m_sourceLunId;
}

std::vector<int> FakeVolume::snapFlagsSet() const {
    Guard g(m_lock);
    return m_snapFlags;
}

uint64_t FakeVolume::volumeFlagsAdded() const {
    Guard g(m_lock);
    return m_volumeFlags;
}

void FakeVolume::clearRecords() {
    Guard g(m_lock);
    m_statuses.clear();
    m_errors.clear();
    m_logs.clear();
    m_writes.clear();
    m_credentialRequests.clear();
}

// ---- FakeVolume: TAVSO::SnapInfo ----

void FakeVolume::getSnapName(char* buffer, short* length) {
    Guard g(m_lock);
    copyTruncated(snapName, buffer, length);
}

void FakeVolume::setSnapName(const char* name) {
    Guard g(m_lock);
    m_snapNameSet = text(name);
}

int FakeVolume::getLoginCredentials(char* buffer, short* length) {
    Guard g(m_lock);
    if (!m_arrayChosen) {
        return 1;
    }
    auto it = credentials.find(m_chosenArray);
    if (it == credentials.end()) {
        return 1;
    }
    return copyWhole(it->second, buffer, length);
}

int FakeVolume::setLoginCredentials(const char* arrayId) {
    Guard g(m_lock);
    m_credentialRequests.push_back(text(arrayId));
    if (setLoginCredentialsResult != 0) {
        return setLoginCredentialsResult;
    }
    m_chosenArray = text(arrayId);
    m_arrayChosen = true;
    return 0;
}

int FakeVolume::getHostId(char* buffer, short* length) {
    Guard g(m_lock);
    if (!hostIdAnswers.empty()) {
        ForcedAnswer a = hostIdAnswers.front();
        hostIdAnswers.pop_front();
        if (length) {
            *length = static_cast<short>(a.lengthOut);
        }
        return a.result;
    }
    if (!hostId) {
        return 1;
    }
    return copyWhole(*hostId, buffer, length);
}

bool FakeVolume::isFlagSet(uint64_t flag) {
    Guard g(m_lock);
    return ((flags | m_volumeFlags) & flag) != 0;
}

void FakeVolume::setSnapFlag(int flag) {
    Guard g(m_lock);
    m_snapFlags.push_back(flag);
}

int FakeVolume::getStatus() {
    Guard g(m_lock);
    return m_status;
}

void FakeVolume::setStatus(int status) {
    Guard g(m_lock);
    m_status = status;
    m_statuses.push_back(status);
}

void FakeVolume::getSourceDevice(char* buffer, short* length) {
    Guard g(m_lock);
    copyTruncated(sourceDevice, buffer, length);
}

void FakeVolume::getSnapDevice(char* buffer, short* length) {
    Guard g(m_lock);
    copyTruncated(m_snapDevice, buffer, length);
}

void FakeVolume::setSnapDevice(const char* device) {
    Guard g(m_lock);
    m_snapDevice = text(device);
}

int FakeVolume::getMetadata(int id, char* buffer, short* length) {
    Guard g(m_lock);
    auto forced = getMetadataResult.find(id);
    if (forced != getMetadataResult.end() && forced->second != 0) {
        return forced->second;
    }
    auto it = m_metadata.find(id);
    if (it == m_metadata.end()) {
        return 1;
    }
    return copyWhole(it->second, buffer, length);
}

int FakeVolume::setMetadata(int id, const char* value) {
    Guard g(m_lock);
    m_writes.push_back({id, text(value), false});
    if (setMetadataResult != 0) {
        return setMetadataResult;
    }
    m_metadata[id] = text(value);
    return 0;
}

void FakeVolume::reportError(int code, const char* value) {
    Guard g(m_lock);
    m_errors.push_back({code, text(value)});
}

void FakeVolume::log(int level, const char* tag, const char* value) {
    Guard g(m_lock);
    m_logs.push_back({level, text(tag), text(value)});
}

void FakeVolume::setSourceLunId(int lunId) {
    Guard g(m_lock);
    m_sourceLunId = lunId;
}

unsigned FakeVolume::getNumericId() {
    return numericId;
}

void FakeVolume::getConfigInt(const char* key, int* value) {
    auto it = configInt.find(text(key));
    if (it != configInt.end() && value) {
        *value = it->second;
    }
}

void FakeVolume::getConfigString(const char* key, char* buffer, int* length) {
    auto it = configString.find(text(key));
    if (it != configString.end()) {
        copyTruncated(it->second, buffer, length);
    }
}

void FakeVolume::setTransientMetadata(int id, const char* value) {
    Guard g(m_lock);
    m_writes.push_back({id, text(value), true});
    m_transient[id] = text(value);
}

int FakeVolume::getValueInt(int key, int* value) {
    auto it = valueInt.find(key);
    if (it == valueInt.end() || !value) {
        return 1;
    }
    *value = it->second;
    return 0;
}

int FakeVolume::getValueString(int key, char* buffer, short* length) {
    auto it = valueString.find(key);
    if (it == valueString.end()) {
        return 1;
    }
    return copyWhole(it->second, buffer, length);
}

void FakeVolume::addVolumeFlag(uint64_t flag) {
    Guard g(m_lock);
    m_volumeFlags |= flag;
}

bool FakeVolume::getTransientMetadata(short id, std::string& value) {
    Guard g(m_lock);
    auto it = m_transient.find(id);
    if (it == m_transient.end()) {
        return false;
    }
    value = it->second;
    return true;
}

// ---- FakeOsUtil ----

std::vector<RescanCall> FakeOsUtil::rescans() const {
    Guard g(m_lock);
    return m_rescans;
}

std::vector<ListDevicesCall> FakeOsUtil::listDevicesCalls() const {
    Guard g(m_lock);
    return m_listCalls;
}

std::vector<VmwarePageCall> FakeOsUtil::vmwarePageCalls() const {
    Guard g(m_lock);
    return m_pageCalls;
}

std::vector<InitiatorsCall> FakeOsUtil::initiatorCalls() const {
    Guard g(m_lock);
    return m_initiatorCalls;
}

std::vector<std::string> FakeOsUtil::arrayCredentialRequests() const {
    Guard g(m_lock);
    return m_arrayCredentialRequests;
}

void FakeOsUtil::rescanBus(const char* host, const char** initiatorList, const char** devicesToRemove) {
    RescanCall call{optionalText(host), list(initiatorList), list(devicesToRemove)};
    {
        Guard g(m_lock);
        m_rescans.push_back(call);
    }
    if (onRescan) {
        onRescan(call);
    }
}

int FakeOsUtil::listDevices(const char* host, const char* vendor, char separator, int length, char* buffer) {
    Guard g(m_lock);
    m_listCalls.push_back({optionalText(host), text(vendor), separator, length});
    if (!listDevicesAnswers.empty()) {
        int forced = listDevicesAnswers.front();
        listDevicesAnswers.pop_front();
        return forced;
    }
    if (!buffer || length < 0 || static_cast<size_t>(length) < deviceList.size() + 1) {
        return static_cast<int>(deviceList.size() + 1);
    }
    std::memcpy(buffer, deviceList.c_str(), deviceList.size() + 1);
    return 0;
}

bool FakeOsUtil::answerInitiators(const InitiatorList& answer, bool esx, const char* host,
                                  const char* arrayId, char* names, short* namesLength, char* kinds,
                                  short* kindsLength, short* count) {
    Guard g(m_lock);
    m_initiatorCalls.push_back({optionalText(host), text(arrayId), esx, !names || !kinds});
    if (!answer.result) {
        return false;
    }
    std::string joined;
    for (size_t i = 0; i < answer.names.size(); ++i) {
        joined += (i ? "," : "") + answer.names[i];
    }
    short n = static_cast<short>(answer.names.size());
    if (count) {
        *count = n;
    }
    if (!names || !kinds) {
        if (namesLength) {
            *namesLength = static_cast<short>(joined.size() + 1);
        }
        if (kindsLength) {
            *kindsLength = n;
        }
        return true;
    }
    if (!namesLength || !kindsLength || *namesLength < static_cast<short>(joined.size() + 1) ||
        *kindsLength < n) {
        return false;
    }
    std::memcpy(names, joined.c_str(), joined.size() + 1);
    for (short i = 0; i < n; ++i) {
        bool iscsi = static_cast<size_t>(i) < answer.iscsi.size() && answer.iscsi[i];
        kinds[i] = iscsi ? 1 : 0;
    }
    *namesLength = static_cast<short>(joined.size());
    *kindsLength = n;
    return true;
}

bool FakeOsUtil::getInitiators(const char* host, const char* arrayId, char* names, short* namesLength,
                               char* kinds, short* kindsLength, short* count) {
    return answerInitiators(initiators, false, host, arrayId, names, namesLength, kinds, kindsLength, count);
}

bool FakeOsUtil::getESXInitiators(const char* host, const char* arrayId, char* names, short* namesLength,
                                  char* kinds, short* kindsLength, short* count) {
    return answerInitiators(esxInitiators, true, host, arrayId, names, namesLength, kinds, kindsLength,
                            count);
}

int FakeOsUtil::getArrayLoginCredentials(const char* arrayName, char* buffer, short* length) {
    Guard g(m_lock);
    m_arrayCredentialRequests.push_back(text(arrayName));
    auto it = arrayCredentials.find(text(arrayName));
    if (it == arrayCredentials.end()) {
        return 1;
    }
    return copyWhole(it->second, buffer, length);
}

uint64_t FakeOsUtil::getJobId() {
    return jobId;
}

int FakeOsUtil::getVMwareDevicePage(const char* sourcePath, const char* device, const char* pageKind,
                                    int appId, int arg1, int arg2, char separator, int length, char* buffer) {
    Guard g(m_lock);
    m_pageCalls.push_back(
        {text(sourcePath), text(device), text(pageKind), appId, arg1, arg2, separator, length});
    auto it = vmwarePages.find(text(pageKind));
    if (it == vmwarePages.end()) {
        return 1;
    }
    copyTruncated(it->second.text, buffer, &length);
    return it->second.status;
}

std::vector<TAVSO::SnapInfo*> volumeArray(const std::vector<FakeVolume*>& volumes) {
    return std::vector<TAVSO::SnapInfo*>(volumes.begin(), volumes.end());
}

}  // namespace tavso::test
