// Helpers the device dialogs share: comparing device addresses and the
// check boxes of their lists.
#pragma once

#include "app/ui/dialogs/ListCheckBoxes.h"

#include "app/engine/DEVICE_RECORD.h"

// 1 when the two records reach the same device: the same login type and, for
// a self-registering device (login type 2), the same port; otherwise the same
// DDNS server, device name and port with DDNS, or the same IP and port
// without. Else 0.
int IsSameDeviceAddress(const DEVICE_RECORD& a, const DEVICE_RECORD& b);
