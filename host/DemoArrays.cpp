#include "host/DemoArrays.h"

#include "platform/TavClock.h"

namespace tavso::host {

const char* const kDemoUser = "admin";
const char* const kDemoPassword = "Demo@1234";

DemoArray::DemoArray(std::string label_, std::string firmware_, std::string serial_, std::string address_)
    : label(std::move(label_)),
      firmware(std::move(firmware_)),
      serial(std::move(serial_)),
      address(std::move(address_)) {}

DemoArray::~DemoArray() {
    stop();
}

void DemoArray::stop() {
    // The servers go before the model they serve.
    cli.reset();
    rest.reset();
}

void DemoArray::seed(int lunCount, const std::string& hostName, const std::string& initiator) {
    model.with([&](sim::ArrayState& s) {
        s.system.serial = serial;
        s.system.productVersion = firmware;
    });
    model.addUser({kDemoUser, kDemoPassword, "Super_admin", "", ""});
    const uint32_t pool = model.addPool("pool0", 1024 * sim::kSectorsPerGb, 900 * sim::kSectorsPerGb);
    for (int i = 0; i < lunCount; ++i) {
        sim::LunSpec spec;
        spec.name = "db_" + label + "_" + std::to_string(i);
        spec.poolId = pool;
        spec.capacity = 10 * sim::kSectorsPerGb;
        luns.push_back(model.addLun(spec));
    }
    const uint32_t host = std::stoul(model.createHost(hostName, "Linux").id);
    model.createInitiator(false, initiator);
    model.addInitiatorToHost(host, false, initiator);
    const uint32_t group = std::stoul(model.createHostGroup(hostName + "_HG").id);
    model.addHostToHostGroup(group, host);
    const uint32_t lunGroup = std::stoul(model.createLunGroup("backup_LG").id);
    for (uint32_t lun : luns) {
        model.addToLunGroup(lunGroup, lun);
    }
    const uint32_t view = std::stoul(model.createMappingView("backup_MV").id);
    model.addHostGroupToView(view, group);
    model.addLunGroupToView(view, lunGroup);
}

namespace {

bool startOne(DemoArray& a, uint16_t& cliPort, uint16_t& restPort, std::string& error) {
    sim::CliOptions cliOptions;
    cliOptions.port = cliPort;
    cliOptions.address = a.address;
    a.cli = std::make_unique<sim::CliServer>(sim::CliBackend{a.model, a.faults, a.transcript, clock()},
                                             cliOptions);
    if (!a.cli->start(error)) {
        return false;
    }
    sim::RestOptions restOptions;
    restOptions.port = restPort;
    restOptions.address = a.address;
    // Plain HTTP keeps the demo free of certificates; the settings say so to the plug-in.
    restOptions.plainHttp = true;
    a.rest = std::make_unique<sim::RestServer>(a.model, clock(), restOptions);
    if (!a.rest->start(error)) {
        return false;
    }
    cliPort = a.cli->port();
    restPort = a.rest->port();
    return true;
}

}  // namespace

bool startOnSharedPorts(const std::vector<DemoArray*>& arrays, uint16_t& cliPort, uint16_t& restPort,
                        std::string& error) {
    // A free port on the first address may be taken on another; a few fresh tries settle it.
    for (int attempt = 0; attempt < 5; ++attempt) {
        cliPort = 0;
        restPort = 0;
        bool started = true;
        for (DemoArray* a : arrays) {
            started = started && startOne(*a, cliPort, restPort, error);
        }
        if (started) {
            return true;
        }
        for (DemoArray* a : arrays) {
            a->stop();
        }
    }
    return false;
}

}  // namespace tavso::host
