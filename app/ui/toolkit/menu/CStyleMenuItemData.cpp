#include "CStyleMenuItemData.h"

#include "CStyleMenuIcons.h"

#include <vector>

IMPLEMENT_DYNAMIC(CStyleMenuItemData, CObject)
IMPLEMENT_DYNAMIC(CStyleMenuItemDataTitle, CStyleMenuItemData)

CStyleMenuItemData::CStyleMenuItemData() {}

CStyleMenuItemData::~CStyleMenuItemData() { SetIcons(nullptr); }

void CStyleMenuItemData::SetIcons(CStyleMenuIcons* store) {
    if (store == icons) return;
    AddRefIconStore(store);
    CStyleMenuIcons* old = icons;
    icons = store;
    ReleaseIconStore(old);
}

namespace {

// The main window's default accelerators; only a frame window has them
// (the program's main window is a dialog: no names then).
HACCEL MainFrameAccelerators() {
    CWnd* main = AfxGetMainWnd();
    CFrameWnd* frame = main && main->IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? static_cast<CFrameWnd*>(main) : nullptr;
    return frame ? frame->GetDefaultAccelerator() : nullptr;
}

CString KeyName(const ACCEL& entry) {
    if (!(entry.fVirt & FVIRTKEY)) return CString(static_cast<wchar_t>(entry.key));
    wchar_t name[129] = {};
    LONG scan = static_cast<LONG>(MapVirtualKeyW(entry.key, 0) << 16);
    GetKeyNameTextW(scan, name, 128);
    return name;
}

}  // namespace

CString AcceleratorNames(HACCEL table, UINT_PTR command) {
    CString names;
    int count = table ? CopyAcceleratorTableW(table, nullptr, 0) : 0;
    if (count <= 0) return names;
    std::vector<ACCEL> entries(static_cast<size_t>(count));
    count = CopyAcceleratorTableW(table, entries.data(), count);
    for (int i = 0; i < count; ++i) {
        const ACCEL& entry = entries[static_cast<size_t>(i)];
        if (entry.cmd != command) continue;
        if (!names.IsEmpty()) names += L", ";
        if (entry.fVirt & FALT) names += L"Alt+";
        if (entry.fVirt & FCONTROL) names += L"Ctrl+";
        if (entry.fVirt & FSHIFT) names += L"Shift+";
        names += KeyName(entry);
    }
    return names;
}

CString CStyleMenuItemData::GetString(HACCEL accel) const {
    if (flags & MF_POPUP) accel = nullptr;
    CString result = text;
    int tab = result.Find(L'\t');
    if (accel && tab < 0) {
        if (accel == reinterpret_cast<HACCEL>(static_cast<INT_PTR>(-1))) accel = MainFrameAccelerators();
        if (!accel) return result;
        CString names = AcceleratorNames(accel, id);
        if (!names.IsEmpty()) result += L"\t" + names;
        return result;
    }
    if (!accel && tab >= 0) return result.Left(tab);
    return result;
}
