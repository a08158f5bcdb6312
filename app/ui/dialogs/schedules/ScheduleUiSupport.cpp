#include "ScheduleUiSupport.h"

#include <windowsx.h>

#include "app/core/CAppConfig.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/toolkit/CRedrawPause.h"
#include "app/ui/toolkit/ControlCall.h"

namespace {

const wchar_t* const kAgoTypeKeys[kAgoTypeCount] = {
    L"Today",         L"One Day Ago",  L"Two Days Ago",     L"Three Days Ago",  L"Four Days Ago",
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

std::vector<SCHEDULE_DEVICE> ReadConfiguredDevices() {
    CDeviceManager list;
    OpenConfiguredDeviceList(list);
    std::vector<SCHEDULE_DEVICE> devices;
    devices.reserve(static_cast<size_t>(list.GetDeviceCount()));
    list.ReadAllDevices([&devices](const DEVICE_RECORD& record) {
        SCHEDULE_DEVICE device;
        device.id = record.id;
        device.title = DeviceTitle(record);
        const int channels = std::min(std::max(record.channelCount, 0), static_cast<int>(kMaxChannels));
        device.channels.reserve(static_cast<size_t>(channels));
        for (int channel = 0; channel < channels; ++channel) device.channels.push_back(ChannelName(record, channel));
        devices.push_back(std::move(device));
    });
    return devices;
}

CString DeviceTitle(const DEVICE_RECORD& device) { return CString(device.title); }

CString ChannelName(const DEVICE_RECORD& device, int channelIndex) {
    if (channelIndex < 0 || channelIndex >= device.channelCount || channelIndex >= kMaxChannels) return CString();
    return CString(device.channels[channelIndex].name);
}

CString ChannelName(const SCHEDULE_DEVICE& device, int channelIndex) {
    if (channelIndex < 0 || channelIndex >= static_cast<int>(device.channels.size())) return CString();
    return device.channels[static_cast<size_t>(channelIndex)];
}

void EnableTreeCheckBoxes(CTreeCtrl& tree) {
    tree.ModifyStyle(TVS_CHECKBOXES, 0);
    tree.ModifyStyle(0, TVS_CHECKBOXES);
}

HTREEITEM InsertCheckItem(CTreeCtrl& tree, const CString& text, HTREEITEM parent, DWORD_PTR data, bool expanded) {
    return AppendTreeCheckItem(tree.m_hWnd, text, parent, data, expanded);
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
    const HWND window = tree.m_hWnd;
    CRedrawPause pause(window);
    // Wine's tree view walks every shown item to size its scroll bars after
    // each item that changes, hidden or not: ticking all 16 000 channels of a
    // fleet took seconds. Collapsed for the batch, the descendants are not
    // shown and each change walks only what lies beside the item.
    // Collapsing may move the selection up to the item, and scroll:
    // both are put back.
    const bool expanded = TreeItemExpanded(window, item);
    const HTREEITEM selected = TreeNextItem(window, nullptr, TVGN_CARET);
    const HTREEITEM firstShown = TreeNextItem(window, nullptr, TVGN_FIRSTVISIBLE);
    if (expanded) CollapseTreeItem(window, item);
    CheckDescendants(window, item, check != FALSE);
    if (!expanded) return;
    ExpandTreeItem(window, item);
    if (selected && TreeNextItem(window, nullptr, TVGN_CARET) != selected) SelectTreeItem(window, selected, TVGN_CARET);
    if (firstShown) SelectTreeItem(window, firstShown, TVGN_FIRSTVISIBLE);
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
