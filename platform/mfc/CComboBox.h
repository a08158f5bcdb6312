// A combo box control. Owner-drawn combo boxes draw and measure their items
// themselves: the parent's WM_DRAWITEM, WM_MEASUREITEM, WM_COMPAREITEM and
// WM_DELETEITEM are reflected to the virtual members.
#pragma once

#include "CWnd.h"

class CComboBox : public CWnd {
    DECLARE_DYNAMIC(CComboBox)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int GetCount() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)); }
    // Index of the selection, CB_ERR (-1) for none.
    int GetCurSel() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    // Index of the new item; CB_ERR or CB_ERRSPACE on failure.
    int AddString(LPCWSTR text) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int InsertString(int index, LPCWSTR text) {
        return static_cast<int>(
            SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(UINT index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    // Text of item index; empty when there is no such item.
    void GetLBText(int index, CString& text) const;
    int GetLBTextLen(int index) const {
        return static_cast<int>(::SendMessageW(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
    }
    int FindString(int startAfter, LPCWSTR text) const {
        return static_cast<int>(
            ::SendMessageW(m_hWnd, CB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)));
    }
    int FindStringExact(int startAfter, LPCWSTR text) const {
        return static_cast<int>(::SendMessageW(m_hWnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter),
                                               reinterpret_cast<LPARAM>(text)));
    }
    int SelectString(int startAfter, LPCWSTR text) {
        return static_cast<int>(
            SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)));
    }
    DWORD_PTR GetItemData(int index) const {
        return static_cast<DWORD_PTR>(::SendMessageW(m_hWnd, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    }
    int SetItemData(int index, DWORD_PTR data) {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
    void* GetItemDataPtr(int index) const { return reinterpret_cast<void*>(GetItemData(index)); }
    int SetItemDataPtr(int index, void* data) { return SetItemData(index, reinterpret_cast<DWORD_PTR>(data)); }
    int GetDroppedWidth() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETDROPPEDWIDTH, 0, 0)); }
    int SetDroppedWidth(UINT width) { return static_cast<int>(SendMessage(CB_SETDROPPEDWIDTH, width)); }
    void ShowDropDown(BOOL show = TRUE) { SendMessage(CB_SHOWDROPDOWN, show); }
    BOOL GetDroppedState() const { return static_cast<BOOL>(::SendMessageW(m_hWnd, CB_GETDROPPEDSTATE, 0, 0)); }
    void GetDroppedControlRect(LPRECT r) const {
        ::SendMessageW(m_hWnd, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(r));
    }
    BOOL LimitText(int maxChars) { return static_cast<BOOL>(SendMessage(CB_LIMITTEXT, static_cast<WPARAM>(maxChars))); }
    BOOL SetEditSel(int start, int end) {
        return static_cast<BOOL>(SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(start, end)));
    }
    int GetItemHeight(int index) const {
        return static_cast<int>(::SendMessageW(m_hWnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0));
    }
    int SetItemHeight(int index, UINT height) {
        return static_cast<int>(SendMessage(CB_SETITEMHEIGHT, static_cast<WPARAM>(index), height));
    }

    virtual void DrawItem(LPDRAWITEMSTRUCT dis) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mis) {}
    // Negative, zero or positive as item 1 sorts before, with or after item 2.
    virtual int CompareItem(LPCOMPAREITEMSTRUCT cis) { return 0; }
    virtual void DeleteItem(LPDELETEITEMSTRUCT dis) {}

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
