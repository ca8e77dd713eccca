// Which transport drives an array (its CLI or its REST interface), the host's access details of
// an array or vStore, and the REST look-ups that tell whether a LUN lives in a vStore.
#pragma once

#include <cstdint>
#include <string>

#include "api/HuaweiArrayParams.h"
#include "platform/TavsoHost.h"
#include "platform/UboError.h"

// The access details the host keeps for an array or vStore.
struct _ArrayInfo {
    std::string arrayName;  // set by the caller: the array id or a vStore's name
    std::string userName;
    std::string password;  // never logged
    std::string hostName;
    std::string flags;  // decimal; bit value 8: a vStore
    void clear() { *this = _ArrayInfo(); }
};

// Bit of "hostFlags" that marks a vStore, which has no CLI.
constexpr unsigned long HUAWEI_VSTORE_FLAG = 8;

// True: REST, false: the CLI. Every failure on the way selects REST. An empty `parameters` record
// is filled from the host's access details.
bool isRESTAPIEnabled(TAVSO::SnapInfo* volume, const std::string& arrayId, _HuaweiCliParams& parameters,
                      TAVSO::TAVOSUtil* osUtil);

CUboError getArrayInfoByName(const uint64_t& jobId, TAVSO::SnapInfo* volume, TAVSO::TAVOSUtil* osUtil,
                             _ArrayInfo& info);

// Logs the access-details text with the password masked; always succeeds.
CUboError printArrayInfo(const std::string& text);
// The text with the value of "hostPassword:" masked, for log lines.
std::string MaskArrayInfo(const std::string& text);

CUboError getVStoreInfoUsingLunID(const uint64_t& jobId, _ArrayInfo& info, unsigned lunId,
                                  std::string& vstoreId, std::string& vstoreName);

// The name under which the host keeps the access details for LUN lunId of arrayName: the vStore's
// name when the LUN lies in a vStore, arrayName otherwise.
CUboError getArrayNameUsingLunID(const uint64_t& jobId, TAVSO::SnapInfo* volume, TAVSO::TAVOSUtil* osUtil,
                                 const std::string& arrayName, unsigned lunId, std::string& name);
