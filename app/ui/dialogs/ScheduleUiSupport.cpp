#include "ScheduleUiSupport.h"

#include <windowsx.h>

#include "app/core/CAppConfig.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/DialogMessages.h"

namespace {

const wchar_t* const kAgoTypeKeys[kAgoTypeCount] = {
    L"Today",        L"One Day Ago",  L"Two Days Ago",     L"Three Days Ago",  L"Four Days Ago",
    L"Five Days Ago", L"Six Days Ago", L"Fifteen Days Ago", L"Twenty Days Ago", L"Thirty Days Ago"};

const wchar_t* const kWeekdayKeys[7] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                        L"Thursday", L"Friday", L"Saturday"};

}  // namespace

CString AgoTypeName(int agoType) {
    if (agoType < 0 || agoType >= kAgoTypeCount) return CString();
    return Translate(kAgoTypeKeys[agoType]);
}

CString WeekdayName(int day) {
    if (day < 0 || day >= 7) return CString();
    return Translate(kWeekdayKeys[day]);
}

int OpenConfiguredDeviceList(CDeviceManager& list) {
    CAppConfig* config = GetAppConfig();
    list.SetMaxDeviceCount(config->m_nDevMaxCount);
    return list.OpenDeviceFile(config->GetDeviceFile());
}

CString DeviceTitle(const DEVICE_RECORD& device) { return CString(device.title); }

CString ChannelName(const DEVICE_RECORD& device, int channelIndex) {
    if (channelIndex < 0 || channelIndex >= device.channelCount || channelIndex >= kMaxChannels) return CString();
    return CString(device.channels[channelIndex].name);
}

void EnableTreeCheckBoxes(CTreeCtrl& tree) {
    tree.ModifyStyle(TVS_CHECKBOXES, 0);
    tree.ModifyStyle(0, TVS_CHECKBOXES);
}

HTREEITEM InsertCheckItem(CTreeCtrl& tree, const CString& text, HTREEITEM parent, DWORD_PTR data) {
    HTREEITEM item = tree.InsertItem(text, parent ? parent : TVI_ROOT);
    if (!item) return nullptr;
    tree.SetItemData(item, data);
    tree.SetCheck(item, FALSE);
    return item;
}

HTREEITEM CheckBoxItemAtClick(const CTreeCtrl& tree) {
    const DWORD position = ::GetMessagePos();
    POINT point = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    tree.ScreenToClient(&point);
    UINT flags = 0;
    HTREEITEM item = tree.HitTest(point, &flags);
    return (item && (flags & TVHT_ONITEMSTATEICON)) ? item : nullptr;
}

void SetSubtreeCheck(CTreeCtrl& tree, HTREEITEM item, BOOL check) {
    for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child)) {
        tree.SetCheck(child, check);
        SetSubtreeCheck(tree, child, check);
    }
}

bool AnyChildChecked(const CTreeCtrl& tree, HTREEITEM item) {
    for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child)) {
        if (tree.GetCheck(child)) return true;
    }
    return false;
}

bool AllChildrenChecked(const CTreeCtrl& tree, HTREEITEM item) {
    for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child)) {
        if (!tree.GetCheck(child)) return false;
    }
    return true;
}
