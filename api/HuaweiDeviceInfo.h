// Device identification: traces a host device (a path, or a VMware device text) back to the array
// and LUN behind it.
#pragma once

#include <string>

#include "platform/TavsoHost.h"

bool getDevArrayInfo(const char* device, std::string& vendor, std::string& product, std::string& arrayId,
                     std::string& lunWwn, std::string& lunUuid, int& lunId, TAVSO::SnapInfo* volume,
                     TAVSO::TAVOSUtil* osUtil);
// Whether the product (trimmed at both ends) is one of the supported array product lines.
bool isSupportedProduct(const std::string& product);
bool GetArrayIDfromVMWare(TAVSO::SnapInfo* volume, const std::string& lunUuid, TAVSO::TAVOSUtil* osUtil,
                          std::string& arrayId);
bool CheckAndGetArrayIDFromReg(std::string& lunWwn, std::string& arrayId);
std::string trimSpaces(unsigned char* bytes, int length);
void dumpHexBuffer(const int& length, const unsigned char* bytes);
void convertHexToAsciiAndDump(const std::string& hexText);
