// What the schedule list, the schedule editor and the manual download dialog
// share: their translated names, the device list they read, and
// the check-box clicks of their channel trees.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>

#include <vector>

class CDeviceManager;
struct DEVICE_RECORD;

// Number of AgoType values an automatic schedule can hold (0..9).
const int kAgoTypeCount = 10;
// "Today" ... "Thirty Days Ago", translated, for AgoType 0..9; "" for any
// other value (a hand-edited file may hold one).
CString AgoTypeName(int agoType);
// "Sunday" ... "Saturday", translated; index 0 is Sunday.
CString WeekdayName(int day);

// Loads the configuration's device file into list, with the configured
// device limit. OpenDeviceFile's result.
int OpenConfiguredDeviceList(CDeviceManager& list);
// What the schedule windows show of a configured device. A whole device
// record is 29 KB: copying a fleet of them was most of opening the
// schedule list.
struct SCHEDULE_DEVICE {
    int id = 0;
    CString title;
    std::vector<CString> channels;  // the stored channel names, channelCount of them
};
// Every device of the configuration's device file, in id order.
std::vector<SCHEDULE_DEVICE> ReadConfiguredDevices();
// The device's title, and the stored name of the channel ("" for a channel
// index outside the device's channels).
CString DeviceTitle(const DEVICE_RECORD& device);
CString ChannelName(const DEVICE_RECORD& device, int channelIndex);
CString ChannelName(const SCHEDULE_DEVICE& device, int channelIndex);

// Gives a tree from a template working check boxes: the style must be set
// again once the control exists, before it is filled.
void EnableTreeCheckBoxes(CTreeCtrl& tree);
// Appends an unchecked item with its data under parent (TVI_ROOT when NULL),
// expanded when asked: the children added under it later are shown.
HTREEITEM InsertCheckItem(CTreeCtrl& tree, const CString& text, HTREEITEM parent, DWORD_PTR data,
                          bool expanded = false);
// The item whose check box the mouse message being handled hit (the tree's
// NM_CLICK); NULL when the click was elsewhere.
HTREEITEM CheckBoxItemAtClick(const CTreeCtrl& tree);
// Sets the check mark of every descendant of item; the selection and the
// first item shown stay.
void SetSubtreeCheck(CTreeCtrl& tree, HTREEITEM item, BOOL check);
// Whether any child of item carries a check mark.
bool AnyChildChecked(const CTreeCtrl& tree, HTREEITEM item);
// Whether every child of item carries a check mark (true without children).
bool AllChildrenChecked(const CTreeCtrl& tree, HTREEITEM item);
