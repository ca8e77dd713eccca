// The device library: a host device opened by path and asked with SCSI commands. Block and
// SCSI-generic devices are asked through the SG_IO ioctl; a regular file that begins with the line
// "TAVSO-INQUIRY-IMAGE 1" is an emulated device answering INQUIRY from the file.
#pragma once

#include <memory>
#include <string>

#include "platform/UboError.h"

class TavDeviceScsiIface {
  public:
    virtual ~TavDeviceScsiIface() = default;
    // Sends one CDB with a data-in buffer. The trailing values are the pass-through's options
    // (callers pass 0, 1, 0, 0 and a time-out of 10 seconds). Returns the bytes received, or -1
    // with the reason in `error`.
    virtual int sendCdb(const unsigned char* cdb, int cdbLength, unsigned char* buffer, int bufferLength,
                        int direction, int dataIn, int reserved1, int reserved2, int timeoutSeconds,
                        CUboError* error) = 0;
};

class TavDevice {
  public:
    virtual ~TavDevice() = default;
    virtual const std::string& getName() const = 0;
    // The interface named `name` ("TavDeviceScsiIface"), or null when the device has none.
    virtual TavDeviceScsiIface* getInterface(const char* name) = 0;
};

// Devices are shared: the last holder releases the handle.
using TavDevicePtr = std::shared_ptr<TavDevice>;

class TavDeviceTree {
  public:
    // The device at `path`, or null with the reason in `error`.
    static TavDevicePtr getDevice(const char* path, CUboError* error);
};
