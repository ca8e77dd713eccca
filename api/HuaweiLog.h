// The one log function of the plug-in, the error reporter, and the module-wide objects.
#pragma once

#include "api/TavCriticalSection.h"
#include "platform/TavDebugLog.h"
#include "platform/TavsoHost.h"

// Log(tag, context, level, format, ...): context is the TAVSO::SnapInfo* to log through, or null
// for the module debug log.
using HuaweiLogFunc = void (*)(const char* tag, void* context, TAVSO::LogLevel level, const char* format,
                               ...);

void Log(const char* tag, void* context, TAVSO::LogLevel level, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Logs the message at level 2 on the volume, then reports (code, message) on it.
void setError(TAVSO::SnapInfo* volume, int code, const char* message);

// Module debug log level for a host log level: 0 -> 3, 1 -> 0, 2 and 3 -> -1, others -> 1.
int ModuleLogLevel(int hostLevel);

extern TavDebugLog g_HuaweiLog;
extern TavCriticalSection g_HuaweiCS;
