#include "host/InquiryImageFile.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace tavso::host {

namespace {

const char* kMagic = "TAVSO-INQUIRY-IMAGE 1";

std::string hex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

}  // namespace

std::optional<std::vector<uint8_t>> bytesOfHex(const std::string& text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    auto digit = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    std::vector<uint8_t> out;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]), low = digit(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return out;
}

bool writeInquiryImage(const std::string& path, const InquiryPages& pages) {
    const std::string temp = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::trunc);
        out << kMagic << "\n";
        if (!pages.standard.empty()) {
            out << "std " << hex(pages.standard) << "\n";
        }
        if (!pages.vpd80.empty()) {
            out << "80 " << hex(pages.vpd80) << "\n";
        }
        if (!pages.vpd83.empty()) {
            out << "83 " << hex(pages.vpd83) << "\n";
        }
        if (!out.flush()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::optional<InquiryPages> readInquiryImage(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line) || line != kMagic) {
        return std::nullopt;
    }
    InquiryPages pages;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string page, digits;
        words >> page >> digits;
        auto bytes = bytesOfHex(digits);
        if (!bytes) {
            continue;
        }
        if (page == "std") {
            pages.standard = *bytes;
        } else if (page == "80") {
            pages.vpd80 = *bytes;
        } else if (page == "83") {
            pages.vpd83 = *bytes;
        }
    }
    return pages;
}

std::string inquiryVendor(const InquiryPages& pages) {
    if (pages.standard.size() < 16) {
        return {};
    }
    std::string vendor(pages.standard.begin() + 8, pages.standard.begin() + 16);
    while (!vendor.empty() && (vendor.back() == ' ' || vendor.back() == '\0')) {
        vendor.pop_back();
    }
    return vendor;
}

}  // namespace tavso::host
