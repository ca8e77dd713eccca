#include "api/HuaweiLog.h"

#include <cstdarg>
#include <cstdio>
#include <string>

int ModuleLogLevel(int hostLevel) {
    switch (hostLevel) {
        case 0:
            return 3;
        case 1:
            return 0;
        case 2:
        case 3:
            return -1;
        default:
            return 1;
    }
}

void Log(const char* tag, void* context, TAVSO::LogLevel level, const char* format, ...) {
    char text[2048];
    text[0] = '\0';
    if (format) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
    }
    std::string line = "[Huawei-Log]:";
    line += text;
    if (context) {
        static_cast<TAVSO::SnapInfo*>(context)->log(level, tag ? tag : "", line.c_str());
        return;
    }
    g_HuaweiLog.Write(0, tag, ModuleLogLevel(level), line);
}

void setError(TAVSO::SnapInfo* volume, int code, const char* message) {
    if (!volume || !message) {
        return;
    }
    Log("", volume, TAVSO::LOG_ERROR, "%s", message);
    volume->reportError(code, message);
}
