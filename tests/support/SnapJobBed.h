// A backup job's test bed: simulated arrays, each on a loopback address of its own with its CLI
// and REST servers on ports shared by all of them (as real arrays share 22 and 8088), the
// settings that point the plug-in there, and fake host volumes whose source devices are inquiry
// images of the arrays' LUNs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/TavClock.h"
#include "platform/TavPlatformInfo.h"
#include "sim/RestServer.h"
#include "sim/SimArray.h"
#include "tests/support/FakeHost.h"
#include "tests/support/InquiryImage.h"

namespace tavso::test {

constexpr const char* kArrayUser = "admin";
constexpr const char* kArrayPassword = "Admin@123";

struct BedArray {
    std::string serial;
    std::string address;
    std::unique_ptr<tavso::sim::SimArray> sim;
    tavso::sim::RestServer* rest = nullptr;

    tavso::sim::ArrayModel& model() { return sim->model(); }
    // CLI command lines the array received.
    std::vector<std::string> commands() const;
    // Commands that begin with the prefix.
    std::vector<std::string> commandsStarting(const std::string& prefix) const;
    // "METHOD /resource" of every REST request the array received.
    std::vector<std::string> requests() const;
    // The array's snapshots as "name of LUN <id> (<running status>)", in ID order.
    std::vector<std::string> snapshots() const;
};

// Several beds can run jobs at once in one process when they share what is process-wide: the
// plug-in's clock, the settings store and so the two ports. Such beds install neither; the caller
// installs one clock and the settings of the first bed for all of them.
struct BedOptions {
    bool installClock = true;
    bool installSettings = true;
    std::string addressPrefix = "127.0.0.";  // array n (from 1) listens on <prefix><n>
    uint16_t cliPort = 0;                    // 0: the first array's server picks one
    uint16_t restPort = 0;
};

class SnapJobBed {
  public:
    SnapJobBed();
    explicit SnapJobBed(BedOptions options);
    ~SnapJobBed();

    // An array whose firmware decides the transport ("V300R006C00": CLI, others: REST).
    BedArray& addArray(const std::string& serial, const std::string& firmware);
    // A volume on a new LUN of the array, asking for snapshot name `snapName`.
    FakeVolume& addVolume(BedArray& array, const std::string& lunName,
                          const std::string& snapName = "job_snap");
    // Another volume on an existing LUN.
    FakeVolume& addVolumeOn(BedArray& array, uint32_t lunId, const std::string& snapName = "job_snap");
    // A volume whose source device is the given text (a device path of our own or a NAS text).
    FakeVolume& addVolumeWithDevice(const std::string& device);
    // A volume on a device of this inquiry image (another vendor's LUN, say).
    FakeVolume& addVolumeWithImage(const InquiryImage& image);
    // The host's access details of an array or vStore (what getArrayLoginCredentials answers).
    void setAccessDetails(const std::string& name, const BedArray& array, unsigned flags,
                          const std::string& user = kArrayUser, const std::string& password = kArrayPassword);
    // The array credentials of every volume for `name` (what getLoginCredentials answers).
    void setVolumeCredentials(const std::string& name, const BedArray& array,
                              const std::string& user = kArrayUser,
                              const std::string& password = kArrayPassword, int engineId = 39);
    // Extra settings lines of [~Dravel].
    void setSettings(const std::string& lines);

    // The [~Dravel] settings text in force, for a plug-in loaded with its own settings store.
    std::string settingsText() const;
    uint16_t cliPort() const { return m_cliPort; }
    uint16_t restPort() const { return m_restPort; }

    std::vector<TAVSO::SnapInfo*> batch();
    int prepare();
    int snap();

    FakeOsUtil os;
    std::vector<std::unique_ptr<FakeVolume>> volumes;
    std::vector<uint32_t> luns;  // the LUN of each volume
    std::vector<std::unique_ptr<BedArray>> arrays;
    tavso::FakeClock clock;
    // Set before the first addArray: REST over HTTPS (the client's default) instead of plain HTTP.
    bool restHttps = false;

  private:
    FakeVolume& volumeFor(BedArray& array, uint32_t lunId, const std::string& snapName);
    std::string credentialsText(const std::string& name, const BedArray& array, const std::string& user,
                                const std::string& password, int engineId) const;

    BedOptions m_options;
    std::unique_ptr<tavso::ScopedClock> m_useClock;
    TempDir m_dir;
    std::unique_ptr<ScopedSettings> m_settings;
    std::string m_extraSettings;
    uint16_t m_cliPort;
    uint16_t m_restPort;
    std::vector<std::pair<std::string, std::string>> m_volumeCredentials;
};

}  // namespace tavso::test
