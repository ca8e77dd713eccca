// Tracing a host device back to an array and LUN: SCSI INQUIRY of a device path, or the host's
// description of a VMware device; and the supported-product check.
#pragma once

#include <string>

#include "platform/TavsoHost.h"

// Fills the device identity; true when it could be read (callers apply the product check).
bool getDevArrayInfo(const char* device, std::string& vendor, std::string& product, std::string& arrayId,
                     std::string& lunWwn, std::string& lunUuid, int& lunId, TAVSO::SnapInfo* volume,
                     TAVSO::TAVOSUtil* osUtil);

// True when the product, trimmed, is one of the supported product lines (exact, case-sensitive).
bool isSupportedHuaweiProduct(const std::string& product);

bool GetArrayIDfromVMWare(TAVSO::SnapInfo* volume, const std::string& lunUuid, TAVSO::TAVOSUtil* osUtil,
                          std::string& arrayId);
bool CheckAndGetArrayIDFromReg(std::string& lunWwn, std::string& arrayId);

// Replaces "*" by blanks in the caller's bytes and drops trailing white space; leading blanks stay.
std::string trimSpaces(unsigned char* bytes, int length);

void dumpHexBuffer(const int& length, const unsigned char* bytes);
void convertHexToAsciiAndDump(const std::string& hexText);
