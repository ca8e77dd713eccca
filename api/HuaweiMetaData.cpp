#include "api/HuaweiMetaData.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "api/HuaweiKeyValue.h"
#include "api/HuaweiLog.h"

namespace {

const char* const kParseTag = "GetMetaDataParams";
const size_t kMaxSnapIdText = 1023;
const size_t kHostBufferSize = 4096;

// atoi as the earlier writers' readers applied it, without its undefined overflow.
int AtoiField(const std::string& text) {
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

void ResetForParse(_MetaDataParams* r) {
    r->fullClone = false;
    r->engineId = 0;
    r->sourceId = 0;
    r->snapId = 0;
    r->version = 0;
    r->fsSnapType = 0;
    r->arrayId.clear();
    r->sourceName.clear();
    r->targetName.clear();
    r->quotaName.clear();
    r->sharedIps.clear();
}

bool HasStar(const std::string& s) {
    return s.find('*') != std::string::npos;
}

}  // namespace

std::string JoinSharedIps(const std::list<std::string>& ips) {
    std::string out;
    for (const auto& ip : ips) {
        if (!out.empty()) {
            out += "|";
        }
        out += ip;
    }
    return out;
}

bool ConstructMetaData(char* buffer, unsigned int bufferSize, _MetaDataParams* record) {
    if (!buffer || bufferSize == 0) {
        return false;
    }
    std::memset(buffer, 0, bufferSize);
    if (!record) {
        return false;
    }
    std::string snapshot = record->fsSnapType == HUAWEI_FS_LUN ? std::to_string(record->snapId)
                                                               : record->snapIdText.substr(0, kMaxSnapIdText);
    std::string ips = JoinSharedIps(record->sharedIps);
    for (const auto& ip : record->sharedIps) {
        if (ip.find('|') != std::string::npos) {
            return false;
        }
    }
    if (HasStar(record->arrayId) || HasStar(snapshot) || HasStar(record->sourceName) ||
        HasStar(record->targetName) || HasStar(ips) || HasStar(record->quotaName)) {
        return false;
    }
    int n = std::snprintf(buffer, bufferSize, "%u%c%s%c%u%c%s%c%u%c%u%c%s%c%s%c%u%c%s%c%s%c",
                          HUAWEI_METADATA_VERSION, '*', record->arrayId.c_str(), '*', record->sourceId, '*',
                          snapshot.c_str(), '*', static_cast<unsigned>(static_cast<int>(record->engineId)),
                          '*', record->fullClone ? 0u : 1u, '*', record->sourceName.c_str(), '*',
                          record->targetName.c_str(), '*', record->fsSnapType, '*', ips.c_str(), '*',
                          record->quotaName.c_str(), '*');
    if (n < 0 || static_cast<unsigned>(n) >= bufferSize) {
        std::memset(buffer, 0, bufferSize);
        return false;
    }
    return true;
}

bool GetMetaDataParams(TAVSO::SnapInfo* volume, const char* text, _MetaDataParams* record) {
    if (!text || std::strlen(text) < 8 || !record) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "Invalid Meta-Data [ %s ]", text ? text : "");
        return false;
    }
    ResetForParse(record);
    Log(kParseTag, volume, TAVSO::LOG_DETAIL, "%s", text);

    const std::string copy = text;
    size_t end = copy.find('*');
    if (end == std::string::npos) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "Invalid unique identifier-1 %s", text);
        return false;
    }
    record->version = static_cast<unsigned>(AtoiField(copy.substr(0, end)));
    if (record->version > HUAWEI_METADATA_VERSION) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "Invalid Version number[expected - %u] [returned %u]",
            HUAWEI_METADATA_VERSION, record->version);
        return false;
    }
    // fields[i] is position i + 1; versions 0 and 1 end at position 7, 2 at 9, 3 at 10.
    size_t required = 7;
    if (record->version >= 2) {
        required = 9;
    }
    if (record->version >= 3) {
        required = 10;
    }
    std::vector<std::string> fields;
    size_t start = end + 1;
    while (fields.size() < required) {
        end = copy.find('*', start);
        if (end == std::string::npos) {
            break;
        }
        fields.push_back(copy.substr(start, end - start));
        start = end + 1;
    }
    if (fields.size() < 7) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "Invalid unique identifier %s", text);
        return false;
    }
    if (fields.size() < required) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "Invalid  Version-%u unique identifier[%s]", record->version,
            text);
        return false;
    }
    record->arrayId = fields[0];
    record->sourceId = static_cast<unsigned>(AtoiField(fields[1]));
    record->snapId = static_cast<unsigned>(AtoiField(fields[2]));
    record->snapIdText = fields[2];
    record->engineId = static_cast<short>(AtoiField(fields[3]));
    record->fullClone = fields[4].empty() || fields[4][0] != '1';
    record->sourceName = fields[5];
    record->targetName = fields[6];
    record->fsSnapType = HUAWEI_FS_LUN;
    if (record->version >= 2) {
        record->fsSnapType = static_cast<unsigned>(AtoiField(fields[7]));
        const std::string& ips = fields[8];
        if (!ips.empty()) {
            size_t from = 0;
            for (;;) {
                size_t bar = ips.find('|', from);
                record->sharedIps.push_back(ips.substr(from, bar == std::string::npos ? bar : bar - from));
                if (bar == std::string::npos) {
                    break;
                }
                from = bar + 1;
            }
        }
    }
    if (record->version >= 3) {
        record->quotaName = fields[9];
    }
    return true;
}

bool GetMetaDataParams(TAVSO::SnapInfo* volume, _MetaDataParams* record) {
    if (!record || !volume) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, " Invalid Parameter passed ");
        return false;
    }
    record->arrayId.clear();
    record->sourceName.clear();
    record->targetName.clear();
    record->snapId = 0;
    record->fullClone = false;
    record->engineId = 0;
    record->version = 0;

    std::vector<char> buffer(kHostBufferSize, '\0');
    short length = static_cast<short>(kHostBufferSize);
    if (volume->getMetadata(TAVSO::METADATA_SNAP, buffer.data(), &length) == 1) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "GetMetadata failed");
        return false;
    }
    buffer.back() = '\0';
    if (buffer[0] == '\0') {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, " Empty Metadata returned");
        return false;
    }
    if (!GetMetaDataParams(volume, buffer.data(), record)) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "GetMetaDataParams failed");
        return false;
    }
    return true;
}

bool GetSMMDTSnapUUIDParams(TAVSO::SnapInfo* /*volume*/, std::string text, _MetaDataParams& record) {
    const char* const tag = "GetSMMDTSnapUUIDParams";
    if (text.empty()) {
        g_HuaweiLog.Print(tag, -1, "Invalid input parameters.");
        return false;
    }
    if (!getJsonVal(text, "Path", record.sharePath)) {
        g_HuaweiLog.Print(tag, -1, "Share Path is not present in the metadata.");
        return false;
    }
    return true;
}

bool GetTransientMetadata(TAVSO::SnapInfo* volume, const int& id, std::string& value) {
    if (!volume) {
        return false;
    }
    return volume->getTransientMetadata(static_cast<short>(id), value);
}

void DumpMeta(TAVSO::SnapInfo* volume, _MetaDataParams& r) {
    Log("DumpMeta", volume, TAVSO::LOG_INFO,
        "[ Array-id - %s ] [Src-Lun - (%u) %s] [Target-Lun- (%u)[%s] %s] [Engine - %u] [Full-Clone - %s] "
        "[FS-Snap type - %u] [Version - %u] [Shared-IPs - %s],[Quota - %s]",
        r.arrayId.c_str(), r.sourceId, r.sourceName.c_str(), r.snapId, r.snapIdText.c_str(),
        r.targetName.c_str(), static_cast<unsigned>(static_cast<int>(r.engineId)), r.fullClone ? "Yes" : "No",
        r.fsSnapType, r.version, JoinSharedIps(r.sharedIps).c_str(), r.quotaName.c_str());
}
