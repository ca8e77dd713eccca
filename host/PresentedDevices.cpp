#include "host/PresentedDevices.h"

#include <cctype>

#include "sim/ControlServer.h"

namespace tavso::host {

namespace {

std::vector<uint8_t> page(const nlohmann::json& inquiry, const char* key) {
    auto it = inquiry.find(key);
    if (it == inquiry.end()) {
        return {};
    }
    auto bytes = it->is_string() ? bytesOfHex(it->get<std::string>()) : std::nullopt;
    if (!bytes) {
        throw PresentationError(std::string("inquiry page ") + key + " is not a text of hex digits");
    }
    return *bytes;
}

// Serials and IDs become device file names: nothing but letters and digits may reach one.
std::string checkedSerial(const nlohmann::json& array) {
    const std::string serial = array.at("serial").get<std::string>();
    if (serial.empty()) {
        throw PresentationError("an array has no serial");
    }
    for (char c : serial) {
        if (!isalnum(static_cast<unsigned char>(c))) {
            throw PresentationError("array serial \"" + serial + "\" holds more than letters and digits");
        }
    }
    return serial;
}

}  // namespace

std::vector<PresentedArray> parsePresented(const nlohmann::json& answer) {
    std::vector<PresentedArray> out;
    try {
        for (const auto& a : answer.at("arrays")) {
            PresentedArray array;
            array.serial = checkedSerial(a);
            for (const auto& d : a.at("presented")) {
                if (!d.at("id").is_number_unsigned() || d.at("id").get<uint64_t>() > UINT32_MAX) {
                    throw PresentationError("a presented object's id is not a 32-bit unsigned number");
                }
                const auto& inquiry = d.at("inquiry");
                array.devices.push_back({d.at("id").get<uint32_t>(),
                                         {page(inquiry, "std"), page(inquiry, "80"), page(inquiry, "83")}});
            }
            out.push_back(std::move(array));
        }
    } catch (const nlohmann::json::exception& e) {
        throw PresentationError(std::string("not an answer of the simulator's control endpoint: ") +
                                e.what());
    }
    return out;
}

std::vector<PresentedArray> presentedBy(const std::vector<sim::ArrayModel*>& arrays,
                                        const std::vector<std::string>& initiators) {
    std::vector<sim::ControlArray> named;
    for (sim::ArrayModel* model : arrays) {
        named.push_back({model->system().serial, model});
    }
    return parsePresented(sim::presentedJson(named, initiators));
}

}  // namespace tavso::host
