// Emulated SCSI devices for the suites: inquiry-image files as the device library reads them
// ("TAVSO-INQUIRY-IMAGE 1", then "std <hex>", "80 <hex>", "83 <hex>" lines), and a temporary
// directory to keep them in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavso::test {

using Bytes = std::vector<uint8_t>;

// Standard INQUIRY reply (96 bytes): vendor at 8..15 and product at 16..31, blank-padded.
Bytes standardInquiry(const std::string& vendor, const std::string& product);
// VPD page 0x80 reply: the serial number (array id) at 4..23 and the LUN id digits at 24..27,
// each blank-padded to its width.
Bytes page80(const std::string& arrayId, const std::string& lunIdDigits);
// VPD page 0x83 reply: the 16 identifier bytes at 8..23, given as 32 hex digits.
Bytes page83(const std::string& wwnHex);

// The three replies of one device; a reply left unset is missing from the image (the device
// rejects that INQUIRY).
struct InquiryImage {
    std::optional<Bytes> standard;
    std::optional<Bytes> vpd80;
    std::optional<Bytes> vpd83;
};

// A Huawei LUN as an array presents it.
InquiryImage huaweiLun(const std::string& product, const std::string& arrayId, const std::string& wwnHex,
                       const std::string& lunIdDigits = "0000");

// Writes the image file; false when it cannot be written.
bool writeInquiryImage(const std::string& path, const InquiryImage& image);

// A fresh directory under TMPDIR (or /tmp), removed with its files on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Writes an inquiry image named `name` in the directory and returns its path.
    std::string device(const std::string& name, const InquiryImage& image) const;
    // Writes a plain text file and returns its path.
    std::string write(const std::string& name, const std::string& text) const;

  private:
    std::string m_path;
};

}  // namespace tavso::test
