// A list box control; owner-drawn list boxes get their item messages by
// reflection, like CComboBox.
#pragma once

#include "CWnd.h"

class CListBox : public CWnd {
    DECLARE_DYNAMIC(CListBox)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int GetCount() const { return static_cast<int>(::SendMessageW(m_hWnd, LB_GETCOUNT, 0, 0)); }
    int GetCurSel() const { return static_cast<int>(::SendMessageW(m_hWnd, LB_GETCURSEL, 0, 0)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetSel(int index) const {
        return static_cast<int>(::SendMessageW(m_hWnd, LB_GETSEL, static_cast<WPARAM>(index), 0));
    }
    int SetSel(int index, BOOL select = TRUE) { return static_cast<int>(SendMessage(LB_SETSEL, select, index)); }
    int GetSelCount() const { return static_cast<int>(::SendMessageW(m_hWnd, LB_GETSELCOUNT, 0, 0)); }
    int AddString(LPCWSTR text) {
        return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int InsertString(int index, LPCWSTR text) {
        return static_cast<int>(
            SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(UINT index) { return static_cast<int>(SendMessage(LB_DELETESTRING, index)); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    // Text of item index; empty when there is no such item.
    void GetText(int index, CString& text) const;
    int GetTextLen(int index) const {
        return static_cast<int>(::SendMessageW(m_hWnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0));
    }
    int FindString(int startAfter, LPCWSTR text) const {
        return static_cast<int>(
            ::SendMessageW(m_hWnd, LB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)));
    }
    int FindStringExact(int startAfter, LPCWSTR text) const {
        return static_cast<int>(::SendMessageW(m_hWnd, LB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter),
                                               reinterpret_cast<LPARAM>(text)));
    }
    DWORD_PTR GetItemData(int index) const {
        return static_cast<DWORD_PTR>(::SendMessageW(m_hWnd, LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    }
    int SetItemData(int index, DWORD_PTR data) {
        return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
    int GetTopIndex() const { return static_cast<int>(::SendMessageW(m_hWnd, LB_GETTOPINDEX, 0, 0)); }
    int SetTopIndex(int index) { return static_cast<int>(SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(index))); }
    int GetHorizontalExtent() const { return static_cast<int>(::SendMessageW(m_hWnd, LB_GETHORIZONTALEXTENT, 0, 0)); }
    void SetHorizontalExtent(int extent) { SendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent)); }
    int GetItemHeight(int index) const {
        return static_cast<int>(::SendMessageW(m_hWnd, LB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0));
    }
    int SetItemHeight(int index, UINT height) {
        return static_cast<int>(SendMessage(LB_SETITEMHEIGHT, static_cast<WPARAM>(index), height));
    }

    virtual void DrawItem(LPDRAWITEMSTRUCT dis) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mis) {}
    virtual int CompareItem(LPCOMPAREITEMSTRUCT cis) { return 0; }
    virtual void DeleteItem(LPDELETEITEMSTRUCT dis) {}

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
