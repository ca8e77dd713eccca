#include "tests/support/InquiryImage.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tavso::test {

namespace {

void put(Bytes& bytes, size_t offset, size_t width, const std::string& text) {
    for (size_t i = 0; i < width; ++i) {
        bytes[offset + i] = i < text.size() ? static_cast<uint8_t>(text[i]) : ' ';
    }
}

std::string hex(const Bytes& bytes) {
    std::string out;
    char pair[3];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        out += pair;
    }
    return out;
}

}  // namespace

Bytes standardInquiry(const std::string& vendor, const std::string& product) {
    Bytes b(96, 0);
    b[2] = 0x05;
    b[4] = static_cast<uint8_t>(b.size() - 5);
    put(b, 8, 8, vendor);
    put(b, 16, 16, product);
    put(b, 32, 4, "2100");
    return b;
}

Bytes page80(const std::string& arrayId, const std::string& lunIdDigits) {
    Bytes b(28, 0);
    b[1] = 0x80;
    b[3] = 24;
    put(b, 4, 20, arrayId);
    put(b, 24, 4, lunIdDigits);
    return b;
}

Bytes page83(const std::string& wwnHex) {
    Bytes b(24, 0);
    b[1] = 0x83;
    b[3] = 20;
    b[4] = 0x01;
    b[5] = 0x03;
    b[7] = 16;
    for (size_t i = 0; i < 16 && 2 * i + 1 < wwnHex.size(); ++i) {
        b[8 + i] = static_cast<uint8_t>(std::stoul(wwnHex.substr(2 * i, 2), nullptr, 16));
    }
    return b;
}

InquiryImage huaweiLun(const std::string& product, const std::string& arrayId, const std::string& wwnHex,
                       const std::string& lunIdDigits) {
    return {standardInquiry("HUAWEI", product), page80(arrayId, lunIdDigits), page83(wwnHex)};
}

bool writeInquiryImage(const std::string& path, const InquiryImage& image) {
    std::ofstream out(path, std::ios::trunc);
    if (!out) {
        return false;
    }
    out << "TAVSO-INQUIRY-IMAGE 1\n";
    if (image.standard) {
        out << "std " << hex(*image.standard) << "\n";
    }
    if (image.vpd80) {
        out << "80 " << hex(*image.vpd80) << "\n";
    }
    if (image.vpd83) {
        out << "83 " << hex(*image.vpd83) << "\n";
    }
    return static_cast<bool>(out);
}

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tavso-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::device(const std::string& name, const InquiryImage& image) const {
    std::string path = file(name);
    if (!writeInquiryImage(path, image)) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

std::string TempDir::write(const std::string& name, const std::string& text) const {
    std::string path = file(name);
    std::ofstream out(path, std::ios::trunc);
    out << text;
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

}  // namespace tavso::test
