// Emulated SCSI devices as the plug-in's device library reads them: a file beginning with the line
// "TAVSO-INQUIRY-IMAGE 1", then "std <hex>", "80 <hex>" and "83 <hex>" lines with the INQUIRY
// replies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavso::host {

struct InquiryPages {
    std::vector<uint8_t> standard;
    std::vector<uint8_t> vpd80;
    std::vector<uint8_t> vpd83;
};

// Written under a temporary name and renamed, so a reader never sees half a device.
bool writeInquiryImage(const std::string& path, const InquiryPages& pages);
// The pages of an image file; none when the file is not one.
std::optional<InquiryPages> readInquiryImage(const std::string& path);
// Bytes of a text of hex digits (either case); none when it holds anything else or an odd count.
std::optional<std::vector<uint8_t>> bytesOfHex(const std::string& text);
// INQUIRY vendor (bytes 8 to 15), trailing blanks removed.
std::string inquiryVendor(const InquiryPages& pages);

}  // namespace tavso::host
