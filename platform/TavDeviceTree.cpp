#include "platform/TavDeviceTree.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <vector>

namespace {

constexpr const char* kScsiIface = "TavDeviceScsiIface";
constexpr const char* kImageMagic = "TAVSO-INQUIRY-IMAGE 1";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool parseHex(const std::string& text, std::vector<unsigned char>& out) {
    out.clear();
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r') {
            continue;
        }
        int d = hexDigit(c);
        if (d < 0) {
            return false;
        }
        if (high < 0) {
            high = d;
        } else {
            out.push_back(static_cast<unsigned char>(high * 16 + d));
            high = -1;
        }
    }
    return high < 0;
}

// The INQUIRY page a CDB asks for: "std", "80", "83", ...; empty when it is no INQUIRY.
std::string inquiryKey(const unsigned char* cdb, int cdbLength) {
    if (!cdb || cdbLength < 6 || cdb[0] != 0x12) {
        return std::string();
    }
    if ((cdb[1] & 0x01) == 0) {
        return "std";
    }
    char key[8];
    std::snprintf(key, sizeof key, "%02x", cdb[2]);
    return key;
}

class ImageDevice : public TavDevice, public TavDeviceScsiIface {
  public:
    ImageDevice(std::string name, std::map<std::string, std::vector<unsigned char>> pages)
        : m_name(std::move(name)), m_pages(std::move(pages)) {}
    const std::string& getName() const override { return m_name; }
    TavDeviceScsiIface* getInterface(const char* name) override {
        return name && std::strcmp(name, kScsiIface) == 0 ? this : nullptr;
    }
    int sendCdb(const unsigned char* cdb, int cdbLength, unsigned char* buffer, int bufferLength, int, int,
                int, int, int, CUboError* error) override {
        std::string key = inquiryKey(cdb, cdbLength);
        auto page = m_pages.find(key);
        if (key.empty() || page == m_pages.end()) {
            if (error) {
                error->Set(EIO,
                           "Device " + m_name + " rejected the command (check condition: illegal request)");
            }
            return -1;
        }
        int allocation = cdb[3] << 8 | cdb[4];
        int n = static_cast<int>(page->second.size());
        n = std::min(n, std::min(allocation, bufferLength));
        if (n > 0 && buffer) {
            std::memcpy(buffer, page->second.data(), static_cast<size_t>(n));
        }
        return n;
    }

  private:
    std::string m_name;
    std::map<std::string, std::vector<unsigned char>> m_pages;
};

class SgDevice : public TavDevice, public TavDeviceScsiIface {
  public:
    SgDevice(std::string name, int fd) : m_name(std::move(name)), m_fd(fd) {}
    ~SgDevice() override { ::close(m_fd); }
    SgDevice(const SgDevice&) = delete;
    SgDevice& operator=(const SgDevice&) = delete;
    const std::string& getName() const override { return m_name; }
    TavDeviceScsiIface* getInterface(const char* name) override {
        return name && std::strcmp(name, kScsiIface) == 0 ? this : nullptr;
    }
    int sendCdb(const unsigned char* cdb, int cdbLength, unsigned char* buffer, int bufferLength, int, int,
                int, int, int timeoutSeconds, CUboError* error) override {
        unsigned char sense[32] = {};
        sg_io_hdr_t io{};
        io.interface_id = 'S';
        io.dxfer_direction = SG_DXFER_FROM_DEV;
        io.cmd_len = static_cast<unsigned char>(cdbLength);
        io.cmdp = const_cast<unsigned char*>(cdb);
        io.dxferp = buffer;
        io.dxfer_len = static_cast<unsigned>(bufferLength);
        io.sbp = sense;
        io.mx_sb_len = sizeof sense;
        io.timeout = static_cast<unsigned>(timeoutSeconds > 0 ? timeoutSeconds : 10) * 1000u;
        if (::ioctl(m_fd, SG_IO, &io) < 0) {
            if (error) {
                error->Set(errno, "SG_IO on " + m_name + " failed: " + std::strerror(errno));
            }
            return -1;
        }
        if ((io.info & SG_INFO_OK_MASK) != SG_INFO_OK) {
            if (error) {
                char text[128];
                std::snprintf(text, sizeof text,
                              "SCSI command failed on %s (status 0x%x, host 0x%x, driver 0x%x)",
                              m_name.c_str(), io.status, io.host_status, io.driver_status);
                error->Set(EIO, text);
            }
            return -1;
        }
        return bufferLength - io.resid;
    }

  private:
    std::string m_name;
    int m_fd;
};

// A device node or file that is no SCSI device.
class PlainDevice : public TavDevice {
  public:
    explicit PlainDevice(std::string name) : m_name(std::move(name)) {}
    const std::string& getName() const override { return m_name; }
    TavDeviceScsiIface* getInterface(const char*) override { return nullptr; }

  private:
    std::string m_name;
};

TavDevicePtr openImage(const std::string& path, std::ifstream& in, CUboError* error) {
    std::map<std::string, std::vector<unsigned char>> pages;
    std::string line;
    while (std::getline(in, line)) {
        size_t sp = line.find(' ');
        if (line.empty() || sp == std::string::npos) {
            continue;
        }
        std::vector<unsigned char> bytes;
        std::string key = line.substr(0, sp);
        for (char& c : key) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (!parseHex(line.substr(sp + 1), bytes)) {
            if (error) {
                error->Set(EINVAL, "Malformed inquiry image " + path + ": bad hex in line '" + key + "'");
            }
            return nullptr;
        }
        pages[key] = std::move(bytes);
    }
    return std::make_shared<ImageDevice>(path, std::move(pages));
}

}  // namespace

TavDevicePtr TavDeviceTree::getDevice(const char* path, CUboError* error) {
    if (!path || !*path) {
        if (error) {
            error->Set(EINVAL, "No device path given");
        }
        return nullptr;
    }
    struct stat st {};
    if (::stat(path, &st) != 0) {
        if (error) {
            error->Set(errno, std::string(path) + ": " + std::strerror(errno));
        }
        return nullptr;
    }
    if (S_ISREG(st.st_mode)) {
        std::ifstream in(path);
        std::string first;
        if (in && std::getline(in, first)) {
            if (!first.empty() && first.back() == '\r') {
                first.pop_back();
            }
            if (first == kImageMagic) {
                return openImage(path, in, error);
            }
        }
        return std::make_shared<PlainDevice>(path);
    }
    if (S_ISBLK(st.st_mode) || S_ISCHR(st.st_mode)) {
        int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (error) {
                error->Set(errno, std::string(path) + ": " + std::strerror(errno));
            }
            return nullptr;
        }
        int version = 0;
        if (::ioctl(fd, SG_GET_VERSION_NUM, &version) < 0) {
            ::close(fd);
            return std::make_shared<PlainDevice>(path);
        }
        return std::make_shared<SgDevice>(path, fd);
    }
    return std::make_shared<PlainDevice>(path);
}
