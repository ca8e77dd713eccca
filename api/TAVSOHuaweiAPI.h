// The thirteen exported entry points of the plug-in.
#pragma once

#include <list>
#include <map>
#include <string>

#include "platform/TavsoHost.h"

#define TAVSO_EXPORT extern "C" __attribute__((visibility("default")))

TAVSO_EXPORT void tavso_version(short* major, short* minor, short* build);
TAVSO_EXPORT int tavso_isSupported(const char* device, TAVSO::SNAP_TYPE type, TAVSO::TAVOSUtil* osUtil,
                                   char* buffer, short bufferLength);
TAVSO_EXPORT int tavso_prepareDevices(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil* osUtil);
TAVSO_EXPORT int tavso_unprepareDevices(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil* osUtil);
TAVSO_EXPORT int tavso_snapDevices(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil* osUtil);
TAVSO_EXPORT int tavso_isMapped(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil* osUtil);
TAVSO_EXPORT int tavso_mapSnaps(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil* osUtil);
TAVSO_EXPORT int tavso_unmapSnaps(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil* osUtil);
TAVSO_EXPORT int tavso_deleteSnaps(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil* osUtil);
TAVSO_EXPORT int tavso_revertSnaps(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil* osUtil);
TAVSO_EXPORT int tavso_reconcileSnaps(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil* osUtil);
TAVSO_EXPORT int tavso_identifyDevices(TAVSO::SnapInfo** volumes, short count,
                                       std::map<std::string, std::list<std::string>>* devicesByVendor,
                                       int operation, void* reserved, TAVSO::TAVOSUtil* osUtil);
TAVSO_EXPORT int tavso_getArrayInfo(void* first, void* second);
