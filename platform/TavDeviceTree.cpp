#include "platform/TavDeviceTree.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

const char* kScsiIface = "TavDeviceScsiIface";
const char* kImageHeader = "TAVSO-INQUIRY-IMAGE 1";

// Which reply an INQUIRY CDB asks for: "std", "80", "83", or "" for anything else.
std::string replyKey(const unsigned char* cdb, int cdbLength) {
    if (!cdb || cdbLength < 6 || cdb[0] != 0x12) {
        return "";
    }
    if ((cdb[1] & 1) == 0) {
        return cdb[2] == 0 ? "std" : "";
    }
    if (cdb[2] == 0x80) {
        return "80";
    }
    if (cdb[2] == 0x83) {
        return "83";
    }
    return "";
}

class ImageDevice : public TavDevice, public TavDeviceScsiIface {
  public:
    ImageDevice(std::string name, std::map<std::string, std::vector<unsigned char>> replies)
        : TavDevice(std::move(name)), m_replies(std::move(replies)) {}
    TavDeviceScsiIface* getInterface(const std::string& name) override {
        return name == kScsiIface ? this : nullptr;
    }
    int sendScsiCommand(const unsigned char* cdb, int cdbLength, unsigned char* buffer, int bufferLength, int,
                        int, int, int, int, CUboError* error) override {
        auto it = m_replies.find(replyKey(cdb, cdbLength));
        if (it == m_replies.end() || !buffer || bufferLength < 0) {
            if (error) {
                error->Set(EIO, "ILLEGAL REQUEST: INQUIRY not supported by " + getName());
            }
            return -1;
        }
        size_t n = std::min(it->second.size(), static_cast<size_t>(bufferLength));
        std::memcpy(buffer, it->second.data(), n);
        return static_cast<int>(n);
    }

  private:
    std::map<std::string, std::vector<unsigned char>> m_replies;
};

class SgDevice : public TavDevice, public TavDeviceScsiIface {
  public:
    SgDevice(std::string name, int fd) : TavDevice(std::move(name)), m_fd(fd) {}
    ~SgDevice() override { ::close(m_fd); }
    TavDeviceScsiIface* getInterface(const std::string& name) override {
        return name == kScsiIface ? this : nullptr;
    }
    int sendScsiCommand(const unsigned char* cdb, int cdbLength, unsigned char* buffer, int bufferLength, int,
                        int, int, int, int timeoutSecs, CUboError* error) override {
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
        io.timeout = static_cast<unsigned>(timeoutSecs > 0 ? timeoutSecs : 10) * 1000;
        if (::ioctl(m_fd, SG_IO, &io) < 0) {
            if (error) {
                error->Set(errno, std::string("SG_IO failed: ") + std::strerror(errno));
            }
            return -1;
        }
        if ((io.info & SG_INFO_OK_MASK) != SG_INFO_OK) {
            if (error) {
                error->Set(EIO, "SCSI command failed, status " + std::to_string(io.status));
            }
            return -1;
        }
        return bufferLength - io.resid;
    }

  private:
    int m_fd;
};

class PlainDevice : public TavDevice {
  public:
    explicit PlainDevice(std::string name) : TavDevice(std::move(name)) {}
    TavDeviceScsiIface* getInterface(const std::string&) override { return nullptr; }
};

bool parseHex(const std::string& text, std::vector<unsigned char>* out) {
    if (text.size() % 2 != 0) {
        return false;
    }
    for (size_t i = 0; i < text.size(); i += 2) {
        char pair[3] = {text[i], text[i + 1], 0};
        char* end = nullptr;
        unsigned long v = std::strtoul(pair, &end, 16);
        if (*end != '\0' || !std::isxdigit(static_cast<unsigned char>(pair[0]))) {
            return false;
        }
        out->push_back(static_cast<unsigned char>(v));
    }
    return true;
}

std::shared_ptr<TavDevice> openImage(const std::string& path, CUboError* error) {
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line) || line != kImageHeader) {
        return std::make_shared<PlainDevice>(path);
    }
    std::map<std::string, std::vector<unsigned char>> replies;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key, hex;
        if (!(fields >> key >> hex)) {
            continue;
        }
        std::vector<unsigned char> bytes;
        if ((key != "std" && key != "80" && key != "83") || !parseHex(hex, &bytes)) {
            if (error) {
                error->Set(EINVAL, "malformed inquiry image line in " + path);
            }
            return nullptr;
        }
        replies[key] = std::move(bytes);
    }
    return std::make_shared<ImageDevice>(path, std::move(replies));
}

}  // namespace

std::shared_ptr<TavDevice> TavDeviceTree::getDevice(const char* path, CUboError* error) {
    if (!path || !*path) {
        if (error) {
            error->Set(EINVAL, "no device path");
        }
        return nullptr;
    }
    struct stat st {};
    if (::stat(path, &st) != 0) {
        if (error) {
            error->Set(errno, std::string("cannot open device ") + path + ": " + std::strerror(errno));
        }
        return nullptr;
    }
    if (S_ISREG(st.st_mode)) {
        return openImage(path, error);
    }
    if (!S_ISBLK(st.st_mode) && !S_ISCHR(st.st_mode)) {
        return std::make_shared<PlainDevice>(path);
    }
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error) {
            error->Set(errno, std::string("cannot open device ") + path + ": " + std::strerror(errno));
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
