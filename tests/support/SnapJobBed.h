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

class SnapJobBed {
  public:
    // The plug-in runs on a fake clock (no real waits) unless a caller times it for real.
    explicit SnapJobBed(bool fakeClock = true);
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

    std::unique_ptr<tavso::ScopedClock> m_useClock;
    TempDir m_dir;
    std::unique_ptr<ScopedSettings> m_settings;
    std::string m_extraSettings;
    uint16_t m_cliPort = 0;
    uint16_t m_restPort = 0;
    std::vector<std::pair<std::string, std::string>> m_volumeCredentials;
};

}  // namespace tavso::test
