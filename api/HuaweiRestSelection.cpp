#include "api/HuaweiRestSelection.h"

#include <cstdlib>
#include <vector>

#include "api/HuaweiKeyValue.h"
#include "api/HuaweiLog.h"
#include "api/HuaweiSettings.h"
#include "cli/HuaweiManagerCliBase.h"
#include "platform/TavManageHuawei.h"

namespace {

// Firmware whose REST interface is not good enough for snapshots.
const char* const kCliFirmware[] = {"V200R002C00", "V200R002C10", "V300R006C00"};

const size_t kCredentialsSize = 4096;

std::vector<std::string> splitExact(const std::string& text) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        pieces.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) {
            return pieces;
        }
        start = comma + 1;
    }
}

bool firmwareWantsCli(const std::string& version, uint64_t jobId) {
    static const char tag[] = "isRESTAPIEnabled";
    bool cli = false;
    for (const char* v : kCliFirmware) {
        cli = cli || version == v;
    }
    std::string extra;
    if (GetRegString(nullptr, "sUseCLIForHuaweiFirmWareVersions", &extra)) {
        g_HuaweiLog.PrintJob(jobId, tag, 3,
                             "Found additional setting [sUseCLIForHuaweiFirmWareVersions] to use CLI for the "
                             "firmware version(s) [%s]",
                             extra.c_str());
        for (const std::string& v : splitExact(extra)) {
            cli = cli || version == v;
        }
    }
    return cli;
}

}  // namespace

bool isRESTAPIEnabled(TAVSO::SnapInfo* volume, const std::string& arrayId, _HuaweiCliParams& parameters,
                      TAVSO::TAVOSUtil* osUtil) {
    static const char tag[] = "isRESTAPIEnabled";
    const uint64_t jobId = osUtil ? osUtil->getJobId() : 0;
    if (!arrayId.empty()) {
        _ArrayInfo info;
        info.arrayName = arrayId;
        CUboError e = getArrayInfoByName(jobId, volume, osUtil, info);
        if (e.IsError() || info.hostName.empty()) {
            g_HuaweiLog.PrintJob(jobId, tag, 7, "[ERROR] Failed to get Huawei array parameters");
            return true;
        }
        if (std::strtoul(info.flags.c_str(), nullptr, 10) & HUAWEI_VSTORE_FLAG) {
            g_HuaweiLog.PrintJob(jobId, tag, 7,
                                 "The vStore array does not support CLI. Hence using REST API for all snap "
                                 "operations");
            return true;
        }
        if (parameters.arrayId.empty()) {
            parameters.arrayId = arrayId;
            parameters.userName = info.userName;
            parameters.password = info.password;
            parameters.hostName = info.hostName;
            parameters.ignoreFirmwareCheck = true;
        }
    }
    if (parameters.arrayId.empty() || parameters.userName.empty() || parameters.password.empty()) {
        return true;
    }
    g_HuaweiLog.PrintJob(jobId, tag, 7,
                         "The array does not belong to a vStore. Hence use CLI to validate if the firmware "
                         "version supports CLI or REST API");
    CHuaweiManagerCliBase cli;
    if (!cli.Init(&g_HuaweiCS, parameters, Log, volume)) {
        g_HuaweiLog.PrintJob(jobId, tag, 7, "HUAWEI-RESULT [ERROR] Failed to connect to array [%s]",
                             cli.GetLastErrorString());
        return true;
    }
    const std::string version = cli.GetFirmwareVersion();
    g_HuaweiLog.PrintJob(jobId, tag, 3, "Firmware Version [%s]", version.c_str());
    const bool useCli = firmwareWantsCli(version, jobId);
    if (useCli) {
        g_HuaweiLog.PrintJob(
            jobId, tag, 0,
            "The current firmware version does not support REST API. Hence using CLI for snap "
            "operations.");
    }
    cli.Uninitialize();
    return !useCli;
}

CUboError getArrayInfoByName(const uint64_t& jobId, TAVSO::SnapInfo* volume, TAVSO::TAVOSUtil* osUtil,
                             _ArrayInfo& info) {
    static const char tag[] = "getArrayInfoByName";
    if (info.arrayName.empty() || !osUtil) {
        g_HuaweiLog.PrintJob(jobId, tag, -1, "Invalid input parameters. Array name:[%s]",
                             info.arrayName.empty() ? "EMPTY" : info.arrayName.c_str());
        return CUboError(-1, "[ERROR] Invalid input parameters");
    }
    std::string buffer(kCredentialsSize, '\0');
    short length = static_cast<short>(kCredentialsSize);
    if (osUtil->getArrayLoginCredentials(info.arrayName.c_str(), &buffer[0], &length) != 0) {
        Log(tag, volume, TAVSO::LOG_ERROR, "[ERROR]Unable to get the login credentials");
        setError(volume, 62005, "Unable to get the array login credentials");
        return CUboError(-1, "[ERROR] Unable to fetch the details for array [" + info.arrayName + "]");
    }
    // The host may answer fewer bytes than the buffer: the text ends at its first NUL.
    buffer.resize(buffer.find('\0') == std::string::npos ? buffer.size() : buffer.find('\0'));
    printArrayInfo(buffer);
    const std::pair<const char*, std::string*> keys[] = {{"hostName", &info.hostName},
                                                         {"hostUserName", &info.userName},
                                                         {"hostPassword", &info.password},
                                                         {"hostFlags", &info.flags}};
    for (const auto& [key, field] : keys) {
        if (!parseJsonString(volume, buffer, key, *field)) {
            return CUboError(-1, "[ERROR] Unable to parse the array details");
        }
    }
    return CUboError();
}

std::string MaskArrayInfo(const std::string& text) {
    static const std::string passwordKey = "hostPassword:";
    std::string copy = text;
    const size_t key = copy.find(passwordKey);
    if (key == std::string::npos) {
        return copy;
    }
    const size_t start = key + passwordKey.size();
    // Without an engine item after it nothing marks where the password ends: mask the rest.
    size_t end = copy.find(",engineName:", start);
    if (end == std::string::npos) {
        end = copy.size();
    }
    for (size_t i = start; i < end && copy[i] != '\0'; ++i) {
        copy[i] = '*';
    }
    return copy;
}

CUboError printArrayInfo(const std::string& text) {
    g_HuaweiLog.Print("printArrayInfo", 3, "***** Array Info [%s] *******", MaskArrayInfo(text).c_str());
    return CUboError();
}

CUboError getVStoreInfoUsingLunID(const uint64_t& jobId, _ArrayInfo& info, unsigned lunId,
                                  std::string& vstoreId, std::string& vstoreName) {
    TavManageHuawei rest(jobId);
    if (!rest.createSession(info.userName, info.password, info.hostName)) {
        return CUboError(-1, "Failed to connect to array");
    }
    _HuaweiLUNInfo lun;
    const std::string id = std::to_string(lunId);
    HuaweiApi::ResultStatus status = rest.getLUNInfo(lun, id, rest.getvStoreId());
    rest.closeSession();
    if (status.IsError()) {
        return CUboError(-1, "Unable to get the Vstore information for the lun with ID [" + id + "]");
    }
    vstoreId = lun.vstoreId;
    vstoreName = lun.vstoreName;
    return CUboError();
}

CUboError getArrayNameUsingLunID(const uint64_t& jobId, TAVSO::SnapInfo* volume, TAVSO::TAVOSUtil* osUtil,
                                 const std::string& arrayName, unsigned lunId, std::string& name) {
    static const char tag[] = "getArrayNameUsingLunID";
    _ArrayInfo info;
    info.arrayName = arrayName;
    CUboError e = getArrayInfoByName(jobId, volume, osUtil, info);
    if (e.IsError()) {
        return e;
    }
    std::string vstoreId, vstoreName;
    e = getVStoreInfoUsingLunID(jobId, info, lunId, vstoreId, vstoreName);
    if (e.IsError()) {
        return e;
    }
    if (!vstoreId.empty() && !vstoreName.empty()) {
        _ArrayInfo vstore;
        vstore.arrayName = vstoreName;
        e = getArrayInfoByName(jobId, volume, osUtil, vstore);
        if (e.IsError()) {
            return e;
        }
        name = vstoreName;
        g_HuaweiLog.PrintJob(jobId, tag, 3, "LUN [%d] belongs to the Vstore [%s]", static_cast<int>(lunId),
                             vstoreName.c_str());
    } else {
        name = arrayName;
        g_HuaweiLog.PrintJob(jobId, tag, 3, "LUN [%d] belongs to the Array [%s]", static_cast<int>(lunId),
                             arrayName.c_str());
    }
    return CUboError();
}
