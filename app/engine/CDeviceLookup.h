// CDeviceLookup: what the engine's parts read about a registered device.
// The device manager answers it from its registry; a part's tests answer it
// from a table of their own.
#pragma once

#include <functional>

#include "app/engine/DEVICE_RECORD.h"

class CDeviceLookup {
public:
    virtual ~CDeviceLookup() = default;

    // A copy of the device's record; a zeroed record (id 0) for an id that
    // is not registered.
    virtual DEVICE_RECORD GetDevice(int id) const = 0;
    // Calls read with the record in place, without copying it; false when
    // the id is not registered.
    virtual bool ReadDevice(int id, const std::function<void(const DEVICE_RECORD&)>& read) const = 0;
};

// The login handle of a device that is logged in with a non-zero handle; 0
// for an unknown device or one that is not logged in.
inline int LoginHandleOf(const DEVICE_RECORD& device) {
    return (device.id != 0 && device.loggedIn && device.loginHandle != 0) ? device.loginHandle : 0;
}
