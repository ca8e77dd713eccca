#include "host/PluginLibrary.h"

#include <dlfcn.h>

namespace tavso::host {

void PluginLibrary::Closer::operator()(void* handle) const {
    if (handle != nullptr) {
        dlclose(handle);
    }
}

namespace {

template <class Fn>
void resolve(void* handle, const std::string& path, const char* name, Fn& out) {
    dlerror();
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        throw PluginError("plug-in " + path + " lacks the export " + name + ": not a tavso plug-in");
    }
    out = reinterpret_cast<Fn>(symbol);
}

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path) : m_path(path) {
    // RTLD_LOCAL keeps the plug-in's own symbols out of our namespace, as a host would load it.
    m_handle.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!m_handle) {
        const char* why = dlerror();
        throw PluginError("cannot load plug-in " + path + ": " + (why != nullptr ? why : "unknown error"));
    }
    void* h = m_handle.get();
    resolve(h, path, "tavso_version", m_exports.version);
    resolve(h, path, "tavso_isSupported", m_exports.isSupported);
    resolve(h, path, "tavso_prepareDevices", m_exports.prepareDevices);
    resolve(h, path, "tavso_unprepareDevices", m_exports.unprepareDevices);
    resolve(h, path, "tavso_snapDevices", m_exports.snapDevices);
    resolve(h, path, "tavso_isMapped", m_exports.isMapped);
    resolve(h, path, "tavso_mapSnaps", m_exports.mapSnaps);
    resolve(h, path, "tavso_unmapSnaps", m_exports.unmapSnaps);
    resolve(h, path, "tavso_deleteSnaps", m_exports.deleteSnaps);
    resolve(h, path, "tavso_revertSnaps", m_exports.revertSnaps);
    resolve(h, path, "tavso_reconcileSnaps", m_exports.reconcileSnaps);
    resolve(h, path, "tavso_identifyDevices", m_exports.identifyDevices);
    resolve(h, path, "tavso_getArrayInfo", m_exports.getArrayInfo);
}

}  // namespace tavso::host
