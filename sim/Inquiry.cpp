#include "sim/Inquiry.h"

#include <cstdio>

namespace tavso::sim {

namespace {

void putText(std::vector<uint8_t>& out, size_t at, const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) {
        out[at + i] = static_cast<uint8_t>(i < text.size() ? text[i] : ' ');
    }
}

}  // namespace

std::string hexText(const std::vector<uint8_t>& bytes) {
    std::string out;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
    }
    return out;
}

InquiryPages renderInquiry(const std::string& serial, uint32_t id, const std::string& wwn) {
    InquiryPages p;
    p.standard.assign(36, 0);
    p.standard[2] = 0x06;  // SPC-4
    p.standard[3] = 0x02;
    p.standard[4] = 31;  // additional length
    putText(p.standard, 8, "HUAWEI", 8);
    putText(p.standard, 16, "XSG1", 16);
    putText(p.standard, 32, "4305", 4);

    p.page80.assign(28, 0);
    p.page80[1] = 0x80;
    p.page80[3] = 24;
    putText(p.page80, 4, serial, 20);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04u", id % 10000);
    putText(p.page80, 24, digits, 4);

    p.page83.assign(24, 0);
    p.page83[1] = 0x83;
    p.page83[3] = 20;
    p.page83[4] = 0x01;  // binary code set
    p.page83[5] = 0x03;  // NAA, addressing the logical unit
    p.page83[7] = 16;
    for (size_t i = 0; i < 16 && 2 * i + 1 < wwn.size(); ++i) {
        p.page83[8 + i] = static_cast<uint8_t>(std::stoul(wwn.substr(2 * i, 2), nullptr, 16));
    }
    return p;
}

std::optional<InquiryPages> inquiryOf(const ArrayModel& model, uint32_t objectId) {
    return model.with([&](const ArrayState& s) -> std::optional<InquiryPages> {
        if (auto l = s.luns.find(objectId); l != s.luns.end()) {
            return renderInquiry(s.system.serial, objectId, l->second.wwn);
        }
        if (auto sn = s.snapshots.find(objectId); sn != s.snapshots.end()) {
            return renderInquiry(s.system.serial, objectId, sn->second.wwn);
        }
        return std::nullopt;
    });
}

std::string inquiryImage(const InquiryPages& pages) {
    return "TAVSO-INQUIRY-IMAGE 1\nstd " + hexText(pages.standard) + "\n80 " + hexText(pages.page80) +
           "\n83 " + hexText(pages.page83) + "\n";
}

}  // namespace tavso::sim
