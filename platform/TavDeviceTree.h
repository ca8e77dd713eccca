// The device library: looks a device up by path and sends SCSI commands to it. Block and
// SCSI-generic devices are asked with SG_IO; a regular file beginning with the line
// "TAVSO-INQUIRY-IMAGE 1" is an emulated device whose "std", "80" and "83" lines hold the replies
// to the standard INQUIRY and to VPD pages 0x80 and 0x83.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/UboError.h"

class TavDeviceScsiIface {
  public:
    virtual ~TavDeviceScsiIface() = default;
    // Sends one data-in CDB; the number of bytes received, or -1 with the reason in error.
    virtual int sendScsiCommand(const unsigned char* cdb, int cdbLength, unsigned char* buffer,
                                int bufferLength, int direction, int retries, int reserved1, int reserved2,
                                int timeoutSecs, CUboError* error) = 0;
};

class TavDevice {
  public:
    virtual ~TavDevice() = default;
    const std::string& getName() const { return m_name; }
    // The interface named "TavDeviceScsiIface", or null when the device is not a SCSI device.
    virtual TavDeviceScsiIface* getInterface(const std::string& name) = 0;

  protected:
    explicit TavDevice(std::string name) : m_name(std::move(name)) {}

  private:
    std::string m_name;
};

class TavDeviceTree {
  public:
    // The device at path, or null with the reason in error.
    static std::shared_ptr<TavDevice> getDevice(const char* path, CUboError* error);
};
