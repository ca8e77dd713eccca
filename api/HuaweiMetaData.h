// The snapshot metadata record and its text form, which the host stores per volume (metadata 1) and
// hands back on every later call. Hosts keep these texts for years: every version ever written
// (0 to 3) must keep reading the same way.
#pragma once

#include <list>
#include <string>

#include "platform/TavsoHost.h"

// File-system type codes of fsSnapType.
enum HuaweiFsSnapType : unsigned int {
    HUAWEI_FS_LUN = 0,
    HUAWEI_FS_NFS = 1,
    HUAWEI_FS_CIFS = 2,
    HUAWEI_FS_NDMP = 3,
};

// The version this plug-in writes; texts of a later version are refused.
constexpr unsigned int HUAWEI_METADATA_VERSION = 3;

struct _MetaDataParams {
    std::string arrayId;
    std::string sourceName;
    std::string targetName;
    std::string snapIdText;  // file-system snapshot ids are not plain numbers
    std::list<std::string> sharedIps;
    unsigned int fsSnapType = 0;
    unsigned int version = 0;
    unsigned int sourceId = 0;
    unsigned int snapId = 0;
    bool fullClone = false;
    short engineId = 0;
    std::string quotaName;
    std::string sharePath;  // from SM_MDT_SNAP_UUID, not part of the metadata text
};

// Clears bufferSize bytes of buffer and writes the record's metadata text into it. False, with the
// buffer left empty, when the text does not fit or a field holds a separator ("*", or "|" in a
// shared address): a cut or shifted text would later be read as another snapshot.
bool ConstructMetaData(char* buffer, unsigned int bufferSize, _MetaDataParams* record);

// Parses a metadata text into record.
bool GetMetaDataParams(TAVSO::SnapInfo* volume, const char* text, _MetaDataParams* record);

// Reads metadata 1 of the volume from the host and parses it.
bool GetMetaDataParams(TAVSO::SnapInfo* volume, _MetaDataParams* record);

// Takes sharePath from the "Path" item of an SM_MDT_SNAP_UUID text.
bool GetSMMDTSnapUUIDParams(TAVSO::SnapInfo* volume, std::string text, _MetaDataParams& record);

// The host's transient metadata of that id; true when the host has a value.
bool GetTransientMetadata(TAVSO::SnapInfo* volume, const int& id, std::string& value);

// Logs the record at level 1.
void DumpMeta(TAVSO::SnapInfo* volume, _MetaDataParams& record);

// The shared addresses joined by "|", as they stand in the metadata text.
std::string JoinSharedIps(const std::list<std::string>& ips);
