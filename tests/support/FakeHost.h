// Fake host objects for the suites: a volume (TAVSO::SnapInfo) and an OS utility (TAVSO::TAVOSUtil)
// built from the host interfaces alone, with scripted answers and a thread-safe record of what the
// plug-in told them.
//
// Scripted answers are plain members: set them before the call under test. Everything the plug-in
// changes (status, metadata, transient metadata, snap device, ...) and every record is read through
// the accessor methods, which lock; the plug-in may call from several threads at once.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/TavsoHost.h"

namespace tavso::test {

// The prefix Log puts in front of every line.
inline constexpr const char* kLogPrefix = "[Huawei-Log]:";

struct LogLine {
    int level = 0;
    std::string tag;
    std::string text;  // as received, prefix included
    // The text without the "[Huawei-Log]:" prefix.
    std::string message() const;
};

struct ErrorReport {
    int code = 0;
    std::string text;
    bool operator==(const ErrorReport& o) const { return code == o.code && text == o.text; }
};

struct MetadataWrite {
    int id = 0;
    std::string text;
    bool transient = false;
};

// A forced answer of a host operation with an in/out length: the result and the length written
// back, and nothing copied (e.g. "buffer too small, need 6000").
struct ForcedAnswer {
    int result = 0;
    int lengthOut = 0;
};

class FakeVolume : public TAVSO::SnapInfo {
  public:
    FakeVolume() = default;
    explicit FakeVolume(std::string sourceDevice) : sourceDevice(std::move(sourceDevice)) {}
    FakeVolume(const FakeVolume&) = delete;
    FakeVolume& operator=(const FakeVolume&) = delete;
    virtual ~FakeVolume() = default;

    // ---- scripted answers ----
    std::string snapName;
    std::string sourceDevice;
    // getLoginCredentials answers the text of the array chosen by setLoginCredentials.
    std::map<std::string, std::string> credentials;
    int setLoginCredentialsResult = 0;       // non-zero: refused whatever the array
    std::optional<std::string> hostId;       // unset: getHostId answers 1
    std::deque<ForcedAnswer> hostIdAnswers;  // consumed first, one per call
    uint64_t flags = 0;                      // isFlagSet: any bit of the argument set here
    unsigned numericId = 1;
    std::map<std::string, int> configInt;
    std::map<std::string, std::string> configString;
    std::map<int, int> valueInt;             // absent key: getValueInt answers 1
    std::map<int, std::string> valueString;  // absent key: getValueString answers 1
    std::map<int, int> getMetadataResult;    // per id: forced non-zero answer of getMetadata
    int setMetadataResult = 0;               // 1: every setMetadata fails (nothing stored)

    // ---- state the plug-in reads and writes ----
    void setInitialStatus(int status);
    void storeMetadata(int id, const std::string& text);
    void storeTransient(int id, const std::string& text);
    void setSnapDeviceText(const std::string& device);

    // ---- records ----
    int status() const;
    std::vector<int> statuses() const;  // every setStatus, in order
    std::vector<ErrorReport> errors() const;
    std::vector<LogLine> logs() const;
    std::vector<std::string> messages() const;  // log texts without the prefix
    // Whether a line with exactly this message (prefix removed) was logged (at this level, if given).
    bool logged(const std::string& message, std::optional<int> level = std::nullopt) const;
    // Whether some logged message contains the fragment.
    bool loggedContaining(const std::string& fragment) const;
    std::vector<MetadataWrite> metadataWrites() const;
    std::optional<std::string> metadata(int id) const;
    std::optional<std::string> transient(int id) const;
    std::string snapDevice() const;
    std::string snapNameSet() const;
    std::vector<std::string> credentialRequests() const;  // setLoginCredentials arguments
    std::optional<int> sourceLunId() const;
    std::vector<int> snapFlagsSet() const;
    uint64_t volumeFlagsAdded() const;
    void clearRecords();

    // ---- TAVSO::SnapInfo ----
    void getSnapName(char* buffer, short* length) override;
    void setSnapName(const char* name) override;
    int getLoginCredentials(char* buffer, short* length) override;
    int setLoginCredentials(const char* arrayId) override;
    int getHostId(char* buffer, short* length) override;
    bool isFlagSet(uint64_t flag) override;
    void setSnapFlag(int flag) override;
    int getStatus() override;
    void setStatus(int status) override;
    void getSourceDevice(char* buffer, short* length) override;
    void getSnapDevice(char* buffer, short* length) override;
    void setSnapDevice(const char* device) override;
    int getMetadata(int id, char* buffer, short* length) override;
    int setMetadata(int id, const char* text) override;
    void reportError(int code, const char* text) override;
    void log(int level, const char* tag, const char* text) override;
    void setSourceLunId(int lunId) override;
    unsigned getNumericId() override;
    void getConfigInt(const char* key, int* value) override;
    void getConfigString(const char* key, char* buffer, int* length) override;
    void setTransientMetadata(int id, const char* text) override;
    int getValueInt(int key, int* value) override;
    int getValueString(int key, char* buffer, short* length) override;
    void addVolumeFlag(uint64_t flag) override;
    bool getTransientMetadata(short id, std::string& text) override;

  private:
    mutable std::mutex m_lock;
    int m_status = 0;
    std::vector<int> m_statuses;
    std::vector<ErrorReport> m_errors;
    std::vector<LogLine> m_logs;
    std::vector<MetadataWrite> m_writes;
    std::map<int, std::string> m_metadata;
    std::map<int, std::string> m_transient;
    std::string m_snapDevice;
    std::string m_snapNameSet;
    std::string m_chosenArray;
    bool m_arrayChosen = false;
    std::vector<std::string> m_credentialRequests;
    std::optional<int> m_sourceLunId;
    std::vector<int> m_snapFlags;
    uint64_t m_volumeFlags = 0;
};

struct RescanCall {
    std::optional<std::string> host;  // none: null pointer
    std::vector<std::string> initiators;
    std::vector<std::string> devicesToRemove;
};

struct ListDevicesCall {
    std::optional<std::string> host;
    std::string vendor;
    char separator = 0;
    int length = 0;
};

struct VmwarePageCall {
    std::string sourcePath;
    std::string device;
    std::string pageKind;
    int appId = 0;
    int arg1 = 0;
    int arg2 = 0;
    char separator = 0;
    int length = 0;
};

struct InitiatorsCall {
    std::optional<std::string> host;
    std::string arrayId;
    bool esx = false;
    bool sizesOnly = false;  // called with null buffers
};

// The initiators a host reports: names in order, and for each whether it is iSCSI.
struct InitiatorList {
    bool result = true;
    std::vector<std::string> names;
    std::vector<bool> iscsi;
};

struct VmwarePage {
    int status = 0;
    std::string text;
};

class FakeOsUtil : public TAVSO::TAVOSUtil {
  public:
    FakeOsUtil() = default;
    FakeOsUtil(const FakeOsUtil&) = delete;
    FakeOsUtil& operator=(const FakeOsUtil&) = delete;
    virtual ~FakeOsUtil() = default;

    // ---- scripted answers ----
    uint64_t jobId = 4711;
    // listDevices: the text (separated as the caller asks for: the fake does not re-join) and forced
    // results consumed first (above 0: size needed, below 0: failure).
    std::string deviceList;
    std::deque<int> listDevicesAnswers;
    InitiatorList initiators;
    InitiatorList esxInitiators;
    std::map<std::string, std::string> arrayCredentials;  // getArrayLoginCredentials per array name
    std::map<std::string, VmwarePage> vmwarePages;        // per page kind; absent: status 1
    // Called inside rescanBus (e.g. to make a presented LUN's image file appear).
    std::function<void(const RescanCall&)> onRescan;

    // ---- records ----
    std::vector<RescanCall> rescans() const;
    std::vector<ListDevicesCall> listDevicesCalls() const;
    std::vector<VmwarePageCall> vmwarePageCalls() const;
    std::vector<InitiatorsCall> initiatorCalls() const;
    std::vector<std::string> arrayCredentialRequests() const;

    // ---- TAVSO::TAVOSUtil ----
    void rescanBus(const char* host, const char** initiators, const char** devicesToRemove) override;
    int listDevices(const char* host, const char* vendor, char separator, int length, char* buffer) override;
    bool getInitiators(const char* host, const char* arrayId, char* names, short* namesLength, char* kinds,
                       short* kindsLength, short* count) override;
    int getArrayLoginCredentials(const char* arrayName, char* buffer, short* length) override;
    uint64_t getJobId() override;
    int getVMwareDevicePage(const char* sourcePath, const char* device, const char* pageKind, int appId,
                            int arg1, int arg2, char separator, int length, char* buffer) override;
    bool getESXInitiators(const char* host, const char* arrayId, char* names, short* namesLength, char* kinds,
                          short* kindsLength, short* count) override;

  private:
    bool answerInitiators(const InitiatorList& list, bool esx, const char* host, const char* arrayId,
                          char* names, short* namesLength, char* kinds, short* kindsLength, short* count);

    mutable std::mutex m_lock;
    std::vector<RescanCall> m_rescans;
    std::vector<ListDevicesCall> m_listCalls;
    std::vector<VmwarePageCall> m_pageCalls;
    std::vector<InitiatorsCall> m_initiatorCalls;
    std::vector<std::string> m_arrayCredentialRequests;
};

// The volumes of a call as the host hands them over.
std::vector<TAVSO::SnapInfo*> volumeArray(const std::vector<FakeVolume*>& volumes);

}  // namespace tavso::test
