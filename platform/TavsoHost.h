// The host snapshot framework's interfaces, as the plug-in sees them. The virtual operations are
// declared in the framework's slot order, with no virtual destructor in front: a host built from
// the same list calls us through the same vtable.
#pragma once

#include <cstdint>
#include <string>

namespace TAVSO {

enum SNAP_TYPE : int {
    SNAP_TYPE_DEFAULT = 0,
    SNAP_TYPE_SNAPSHOT = 1,
    SNAP_TYPE_CLONE = 2,
};

enum LogLevel : int {
    LOG_DETAIL = 0,
    LOG_INFO = 1,
    LOG_ERROR = 2,
    LOG_ERROR_ALT = 3,
};

// Host value keys (the host enumerates 0 to 33; these are the ones the plug-in asks for).
enum ValueKey : int {
    GET_VALUE_SUBCLINET_ID = 1,
    GET_VALUE_VOL_SOURCE_PATH = 10,
    GET_VALUE_VOL_KORVL_ID = 11,
    GET_VALUE_LAST = 33,
};

// Metadata ids kept by the host across calls, and transient ids kept for one job.
enum MetadataId : int {
    METADATA_SNAP = 1,
    METADATA_SM_MDT_SNAP_UUID = 6,
    TRANSIENT_DEVICE_LIST = 102,
    TRANSIENT_TRANSPORT = 145,
};

// Volume flag: the volume is presented through a snapshot copy.
constexpr uint64_t SNAP_FLAG_SNAPSHOT_COPY = 0x8000;

class SnapInfo {
  public:
    virtual void getSnapName(char* buffer, short* length) = 0;
    virtual void setSnapName(const char* name) = 0;
    virtual int getLoginCredentials(char* buffer, short* length) = 0;
    virtual int setLoginCredentials(const char* arrayId) = 0;
    virtual int getHostId(char* buffer, short* length) = 0;
    virtual bool isFlagSet(uint64_t flag) = 0;
    virtual void setSnapFlag(int flag) = 0;
    virtual int getStatus() = 0;
    virtual void setStatus(int status) = 0;
    virtual void getSourceDevice(char* buffer, short* length) = 0;
    virtual void getSnapDevice(char* buffer, short* length) = 0;
    virtual void setSnapDevice(const char* device) = 0;
    virtual int getMetadata(int id, char* buffer, short* length) = 0;
    virtual int setMetadata(int id, const char* text) = 0;
    virtual void reportError(int code, const char* text) = 0;
    virtual void log(int level, const char* tag, const char* text) = 0;
    virtual void setSourceLunId(int lunId) = 0;
    virtual unsigned getNumericId() = 0;
    virtual void getConfigInt(const char* key, int* value) = 0;
    virtual void getConfigString(const char* key, char* buffer, int* length) = 0;
    virtual void setTransientMetadata(int id, const char* text) = 0;
    virtual int getValueInt(int key, int* value) = 0;
    virtual int getValueString(int key, char* buffer, short* length) = 0;
    virtual void addVolumeFlag(uint64_t flag) = 0;
    virtual bool getTransientMetadata(short id, std::string& text) = 0;

  protected:
    ~SnapInfo() = default;
};

class TAVOSUtil {
  public:
    virtual void rescanBus(const char* host, const char** initiators, const char** devicesToRemove) = 0;
    virtual int listDevices(const char* host, const char* vendor, char separator, int length,
                            char* buffer) = 0;
    virtual bool getInitiators(const char* host, const char* arrayId, char* names, short* namesLength,
                               char* kinds, short* kindsLength, short* count) = 0;
    virtual int getArrayLoginCredentials(const char* arrayName, char* buffer, short* length) = 0;
    virtual uint64_t getJobId() = 0;
    virtual int getVMwareDevicePage(const char* sourcePath, const char* device, const char* pageKind,
                                    int appId, int arg1, int arg2, char separator, int length,
                                    char* buffer) = 0;
    virtual bool getESXInitiators(const char* host, const char* arrayId, char* names, short* namesLength,
                                  char* kinds, short* kindsLength, short* count) = 0;

  protected:
    ~TAVOSUtil() = default;
};

}  // namespace TAVSO
