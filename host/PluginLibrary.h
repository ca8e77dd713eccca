// The plug-in, loaded as the backup product loads it: dlopen, then the thirteen exports by name.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/TavsoHost.h"

namespace tavso::host {

struct PluginExports {
    using Batch = int (*)(TAVSO::SnapInfo**, short, TAVSO::TAVOSUtil*);
    void (*version)(short*, short*, short*) = nullptr;
    int (*isSupported)(const char*, TAVSO::SNAP_TYPE, TAVSO::TAVOSUtil*, char*, short) = nullptr;
    Batch prepareDevices = nullptr;
    Batch unprepareDevices = nullptr;
    Batch snapDevices = nullptr;
    Batch isMapped = nullptr;
    Batch mapSnaps = nullptr;
    Batch unmapSnaps = nullptr;
    Batch deleteSnaps = nullptr;
    Batch revertSnaps = nullptr;
    Batch reconcileSnaps = nullptr;
    int (*identifyDevices)(TAVSO::SnapInfo**, short, std::map<std::string, std::list<std::string>>*, int,
                           void*, TAVSO::TAVOSUtil*) = nullptr;
    int (*getArrayInfo)(void*, void*) = nullptr;
};

class PluginError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class PluginLibrary {
  public:
    // Throws PluginError naming the path and what is wrong with it.
    explicit PluginLibrary(const std::string& path);

    const PluginExports& exports() const { return m_exports; }
    const std::string& path() const { return m_path; }

  private:
    struct Closer {
        void operator()(void* handle) const;
    };
    std::string m_path;
    std::unique_ptr<void, Closer> m_handle;
    PluginExports m_exports;
};

}  // namespace tavso::host
