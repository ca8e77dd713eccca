#include "tests/support/SnapJobBed.h"

#include <gtest/gtest.h>

#include "api/TAVSOHuaweiAPI.h"
#include "sim/Inquiry.h"

namespace tavso::test {

std::vector<std::string> BedArray::commands() const {
    return sim->transcript().commands();
}

std::vector<std::string> BedArray::commandsStarting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& c : commands()) {
        if (c.compare(0, prefix.size(), prefix) == 0) {
            out.push_back(c);
        }
    }
    return out;
}

std::vector<std::string> BedArray::requests() const {
    return rest ? rest->requests() : std::vector<std::string>{};
}

std::vector<std::string> BedArray::snapshots() const {
    std::vector<std::string> out;
    for (const auto& [id, s] : sim->model().copy().snapshots) {
        out.push_back(s.name + " of LUN " + std::to_string(s.sourceLunId) + " (" + s.running + ")");
    }
    return out;
}

SnapJobBed::SnapJobBed() : SnapJobBed(BedOptions{}) {}

SnapJobBed::SnapJobBed(BedOptions options)
    : m_options(std::move(options)), m_cliPort(m_options.cliPort), m_restPort(m_options.restPort) {
    if (m_options.installClock) {
        m_useClock = std::make_unique<tavso::ScopedClock>(clock);
    }
}

SnapJobBed::~SnapJobBed() {
    for (auto& a : arrays) {
        a->sim->stop();
    }
}

BedArray& SnapJobBed::addArray(const std::string& serial, const std::string& firmware) {
    auto a = std::make_unique<BedArray>();
    a->serial = serial;
    a->address = m_options.addressPrefix + std::to_string(arrays.size() + 1);
    tavso::sim::SimArrayOptions options;
    options.name = serial;
    options.cli.address = a->address;
    options.cli.port = m_cliPort;
    a->sim = std::make_unique<tavso::sim::SimArray>(options);
    a->sim->model().with([&](tavso::sim::ArrayState& s) {
        s.system.serial = serial;
        s.system.productVersion = firmware;
    });
    std::string error;
    EXPECT_TRUE(a->sim->start(&error)) << error;
    m_cliPort = a->sim->cliPort();
    tavso::sim::RestOptions restOptions;
    restOptions.address = a->address;
    restOptions.port = m_restPort;
    restOptions.plainHttp = !restHttps;
    auto rest = std::make_unique<tavso::sim::RestServer>(a->sim->model(), a->sim->clock(), restOptions);
    EXPECT_TRUE(rest->start(error)) << error;
    m_restPort = rest->port();
    a->rest = rest.get();
    a->sim->addFrontEnd(std::move(rest));
    setAccessDetails(serial, *a, 0);
    setVolumeCredentials(serial, *a);
    arrays.push_back(std::move(a));
    setSettings(m_extraSettings);
    return *arrays.back();
}

std::string SnapJobBed::settingsText() const {
    return "[~Dravel]\nHW_CLI_PORT=" + std::to_string(m_cliPort) +
           "\nHW_REST_PORT=" + std::to_string(m_restPort) + "\n" +
           (restHttps ? "" : "HW_REST_SCHEME=http\n") + m_extraSettings;
}

void SnapJobBed::setSettings(const std::string& lines) {
    m_extraSettings = lines;
    m_settings.reset();
    if (m_options.installSettings) {
        m_settings = std::make_unique<ScopedSettings>(settingsText());
    }
}

std::string SnapJobBed::credentialsText(const std::string& name, const BedArray& array,
                                        const std::string& user, const std::string& password,
                                        int engineId) const {
    return "{arrayId:" + name + ",hostName:" + array.address + ",hostUserName:" + user +
           ",hostPassword:" + password + ",engineId:" + std::to_string(engineId) + "}";
}

void SnapJobBed::setAccessDetails(const std::string& name, const BedArray& array, unsigned flags,
                                  const std::string& user, const std::string& password) {
    os.arrayCredentials[name] = "{hostName:" + array.address + ",hostUserName:" + user +
                                ",hostPassword:" + password + ",hostFlags:" + std::to_string(flags) +
                                ",engineName:huawei}";
}

void SnapJobBed::setVolumeCredentials(const std::string& name, const BedArray& array, const std::string& user,
                                      const std::string& password, int engineId) {
    const std::string text = credentialsText(name, array, user, password, engineId);
    bool known = false;
    for (auto& entry : m_volumeCredentials) {
        if (entry.first == name) {
            entry.second = text;
            known = true;
        }
    }
    if (!known) {
        m_volumeCredentials.emplace_back(name, text);
    }
    for (auto& v : volumes) {
        v->credentials[name] = text;
    }
}

FakeVolume& SnapJobBed::addVolumeWithDevice(const std::string& device) {
    auto v = std::make_unique<FakeVolume>(device);
    for (const auto& [name, text] : m_volumeCredentials) {
        v->credentials[name] = text;
    }
    volumes.push_back(std::move(v));
    luns.push_back(0);
    return *volumes.back();
}

FakeVolume& SnapJobBed::addVolumeWithImage(const InquiryImage& image) {
    return addVolumeWithDevice(m_dir.device("foreign" + std::to_string(volumes.size()), image));
}

FakeVolume& SnapJobBed::volumeFor(BedArray& array, uint32_t lunId, const std::string& snapName) {
    auto pages = tavso::sim::inquiryOf(array.model(), lunId);
    EXPECT_TRUE(pages.has_value());
    FakeVolume& v =
        addVolumeWithDevice(m_dir.write("dev" + std::to_string(volumes.size()) + "-" + std::to_string(lunId),
                                        tavso::sim::inquiryImage(*pages)));
    v.snapName = snapName;
    luns.back() = lunId;
    return v;
}

FakeVolume& SnapJobBed::addVolume(BedArray& array, const std::string& lunName, const std::string& snapName) {
    return volumeFor(array, array.model().addLun(lunName, 10 * tavso::sim::kSectorsPerGb), snapName);
}

FakeVolume& SnapJobBed::addVolumeOn(BedArray& array, uint32_t lunId, const std::string& snapName) {
    return volumeFor(array, lunId, snapName);
}

std::vector<TAVSO::SnapInfo*> SnapJobBed::batch() {
    std::vector<TAVSO::SnapInfo*> out;
    for (auto& v : volumes) {
        out.push_back(v.get());
    }
    return out;
}

int SnapJobBed::prepare() {
    auto b = batch();
    return tavso_prepareDevices(b.data(), static_cast<short>(b.size()), &os);
}

int SnapJobBed::snap() {
    auto b = batch();
    return tavso_snapDevices(b.data(), static_cast<short>(b.size()), &os);
}

}  // namespace tavso::test
