// The SCSI INQUIRY replies a host device presenting an array LUN or snapshot gives: standard
// data (vendor HUAWEI, product XSG1), VPD page 0x80 (array serial and object ID) and VPD page 0x83
// (the object's WWN as an NAA identifier).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/ArrayModel.h"

namespace tavso::sim {

struct InquiryPages {
    std::vector<uint8_t> standard;
    std::vector<uint8_t> page80;
    std::vector<uint8_t> page83;
};

// Page 0x80: bytes 4..23 the serial (20 characters), bytes 24..27 the ID as four decimal digits.
// Page 0x83: bytes 8..23 the 32 hex digits of the WWN.
InquiryPages renderInquiry(const std::string& serial, uint32_t id, const std::string& wwn);
// The pages of a LUN or snapshot of the model; none when no object has that ID.
std::optional<InquiryPages> inquiryOf(const ArrayModel& model, uint32_t objectId);
// The emulated-device file text: "TAVSO-INQUIRY-IMAGE 1" and the lines "std", "80", "83".
std::string inquiryImage(const InquiryPages& pages);
// Upper-case hex digits of the bytes, as the image file and the control endpoint carry a page.
std::string hexText(const std::vector<uint8_t>& bytes);

}  // namespace tavso::sim
