#include "ScheduleUiSupport.h"

#include <windowsx.h>

#include "app/core/CAppConfig.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/toolkit/CRedrawPause.h"
#include "app/ui/toolkit/ControlCall.h"

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
    return AppendTreeCheckItem(tree.m_hWnd, text, parent, data);
}

HTREEITEM CheckBoxItemAtClick(const CTreeCtrl& tree) {
    const DWORD position = ::GetMessagePos();
    POINT point = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    tree.ScreenToClient(&point);
    UINT flags = 0;
    HTREEITEM item = tree.HitTest(point, &flags);
    return (item && (flags & TVHT_ONITEMSTATEICON)) ? item : nullptr;
}

namespace {

void CheckDescendants(HWND tree, HTREEITEM item, bool check) {
    for (HTREEITEM child = TreeNextItem(tree, item, TVGN_CHILD); child; child = TreeNextItem(tree, child, TVGN_NEXT)) {
        SetTreeItemCheck(tree, child, check);
        CheckDescendants(tree, child, check);
    }
}

}  // namespace

void SetSubtreeCheck(CTreeCtrl& tree, HTREEITEM item, BOOL check) {
    CRedrawPause pause(tree.m_hWnd);
    CheckDescendants(tree.m_hWnd, item, check != FALSE);
}

bool AnyChildChecked(const CTreeCtrl& tree, HTREEITEM item) {
    for (HTREEITEM child = TreeNextItem(tree.m_hWnd, item, TVGN_CHILD); child;
         child = TreeNextItem(tree.m_hWnd, child, TVGN_NEXT)) {
        if (TreeItemChecked(tree.m_hWnd, child)) return true;
    }
    return false;
}

bool AllChildrenChecked(const CTreeCtrl& tree, HTREEITEM item) {
    for (HTREEITEM child = TreeNextItem(tree.m_hWnd, item, TVGN_CHILD); child;
         child = TreeNextItem(tree.m_hWnd, child, TVGN_NEXT)) {
        if (!TreeItemChecked(tree.m_hWnd, child)) return false;
    }
    return true;
}
