#include "host/HostVolume.h"

#include "host/BufferText.h"

namespace tavso::host {

std::string loginCredentialsText(const ArrayConfig& a) {
    return "{arrayId:" + a.arrayId + ",hostName:" + a.address + ",hostUserName:" + a.user +
           ",hostPassword:" + a.password + ",engineId:" + std::to_string(a.engineId) + "}";
}

std::string arrayLoginCredentialsText(const ArrayConfig& a) {
    return "{hostName:" + a.address + ",hostUserName:" + a.user + ",hostPassword:" + a.password +
           ",engineName:" + a.engineName + ",hostFlags:" + std::to_string(a.flags) + "}";
}

namespace {

int result(CopyResult r) {
    switch (r) {
        case CopyResult::Ok:
            return 0;
        case CopyResult::TooSmall:
            return 2;
        case CopyResult::Invalid:
            break;
    }
    return 1;
}

}  // namespace

HostVolume::HostVolume(VolumeRecord record, const HostConfig& config, JobLog& log, std::string hostId)
    : m_record(std::move(record)), m_config(config), m_log(log), m_hostId(std::move(hostId)) {}

VolumeRecord HostVolume::record() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_record;
}

void HostVolume::getSnapName(char* buffer, short* length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    copyOut(m_record.snapName, buffer, length);
}

void HostVolume::setSnapName(const char* name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record.snapName = name != nullptr ? name : "";
}

int HostVolume::setLoginCredentials(const char* arrayId) {
    const ArrayConfig* a = arrayId != nullptr ? m_config.findArray(arrayId) : nullptr;
    if (a == nullptr) {
        m_log.noteUnknownArray(arrayId != nullptr ? arrayId : "(none)");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_loginArray = a;
    return a != nullptr ? 0 : 1;
}

int HostVolume::getLoginCredentials(char* buffer, short* length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_loginArray == nullptr) {
        return 1;
    }
    return result(copyOut(loginCredentialsText(*m_loginArray), buffer, length));
}

int HostVolume::getHostId(char* buffer, short* length) {
    return result(copyOut(m_hostId, buffer, length));
}

bool HostVolume::isFlagSet(uint64_t flag) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return (m_record.flags & flag) != 0;
}

void HostVolume::setSnapFlag(int flag) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record.flags |= static_cast<uint32_t>(flag);
}

int HostVolume::getStatus() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_record.status;
}

void HostVolume::setStatus(int status) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record.status = status;
}

void HostVolume::getSourceDevice(char* buffer, short* length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    copyOut(m_record.sourceDevice, buffer, length);
}

void HostVolume::getSnapDevice(char* buffer, short* length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    copyOut(m_record.snapDevice, buffer, length);
}

void HostVolume::setSnapDevice(const char* device) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record.snapDevice = device != nullptr ? device : "";
}

int HostVolume::getMetadata(int id, char* buffer, short* length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_record.metadata.find(id);
    if (it == m_record.metadata.end()) {
        return 1;
    }
    return result(copyOut(it->second, buffer, length));
}

int HostVolume::setMetadata(int id, const char* text) {
    if (text == nullptr) {
        return 1;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record.metadata[id] = text;
    return 0;
}

void HostVolume::reportError(int code, const char* text) {
    const std::string masked = m_log.mask(text != nullptr ? text : "");
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_record.errorCode = code;
        m_record.errorText = masked;
    }
    m_log.add(2, "reportError", std::to_string(code) + " " + masked, m_record.id);
}

void HostVolume::log(int level, const char* tag, const char* text) {
    m_log.add(level, tag != nullptr ? tag : "", text != nullptr ? text : "", m_record.id);
}

void HostVolume::setSourceLunId(int lunId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record.sourceLunId = lunId;
}

unsigned HostVolume::getNumericId() {
    return static_cast<unsigned>(m_record.id);
}

void HostVolume::getConfigInt(const char* key, int* value) {
    if (key == nullptr || value == nullptr) {
        return;
    }
    if (auto v = m_config.configInt(key)) {
        *value = *v;
    }
}

void HostVolume::getConfigString(const char* key, char* buffer, int* length) {
    if (key == nullptr) {
        return;
    }
    copyOut(m_config.configString(key).value_or(""), buffer, length);
}

void HostVolume::setTransientMetadata(int id, const char* text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record.transient[id] = text != nullptr ? text : "";
}

int HostVolume::getValueInt(int, int*) {
    // Asked only for VMware volumes (application and Korvel ids), which this host does not run.
    return 1;
}

int HostVolume::getValueString(int key, char* buffer, short* length) {
    if (key != TAVSO::GET_VALUE_VOL_SOURCE_PATH) {
        return 1;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    return result(copyOut(m_record.sourceDevice, buffer, length));
}

void HostVolume::addVolumeFlag(uint64_t flag) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record.flags |= flag;
}

bool HostVolume::getTransientMetadata(short id, std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_record.transient.find(id);
    if (it == m_record.transient.end()) {
        return false;
    }
    text = it->second;
    return true;
}

}  // namespace tavso::host
