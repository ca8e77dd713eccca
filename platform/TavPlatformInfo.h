// The machine's settings store: a text file of key=value lines under [section] headers, named by
// TAVSO_SETTINGS_FILE (default /etc/tavso/settings.conf). A missing file means every key is absent.
#pragma once

#include <string>

class TAVPlatformInfo {
  public:
    // 1 when the key exists and holds an integer, 0 otherwise (value untouched).
    static int getRegInt(const char* section, const char* key, int* value);
    // Non-zero when the key exists (value set), 0 otherwise.
    static int getString(const char* section, const char* key, std::string* value);
    // "~<base>" or "~<base>/<sub>" for a non-empty sub-section.
    static std::string getSectionName(const char* base, const char* subSection);

    // Tests: use this text instead of the file (until cleared).
    static void setOverrideText(const std::string& text);
    static void clearOverride();
    // The path currently in force.
    static std::string settingsPath();
};

// Installs settings text for the lifetime of the guard.
class ScopedSettings {
  public:
    explicit ScopedSettings(const std::string& text) { TAVPlatformInfo::setOverrideText(text); }
    ~ScopedSettings() { TAVPlatformInfo::clearOverride(); }
    ScopedSettings(const ScopedSettings&) = delete;
    ScopedSettings& operator=(const ScopedSettings&) = delete;
};
