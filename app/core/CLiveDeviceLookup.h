// CLiveDeviceLookup: answers whether a device is in the device list held in
// memory (the engine's device manager), for a schedule purge that is given
// no device list file.
#pragma once

class CLiveDeviceLookup {
public:
    virtual ~CLiveDeviceLookup() = default;

    // True when the list holds a device with the id.
    virtual bool HasDevice(int devId) = 0;
};
