// What the user is told about the stored files once they were read: values
// out of range that were replaced, and devices that the list's maximum kept
// out of a device list (they stay in its file).
#pragma once

#include <afxwin.h>

class CDeviceManager;
class CDeviceUserLists;

// One box naming the files whose out-of-range values were replaced since the
// last call (each file once in the life of the program); none when there are none.
void TellRefusedValues(CWnd* owner);
// One box for each list whose file holds more devices than were loaded.
void TellHeldBackDevices(CWnd* owner, const CDeviceManager& list);
void TellHeldBackDevices(CWnd* owner, const CDeviceUserLists& lists);
