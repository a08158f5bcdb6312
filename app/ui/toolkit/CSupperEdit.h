// CSupperEdit: an edit control that decides per character what may enter
// it: control characters that are always allowed (backspace, tab, form feed,
// carriage return), a list of denied characters, an optional list of the only
// allowed ones, and a maximum length counted in bytes of the ANSI code page
// (the form the text later takes at the SDK, XML and database layers). It can
// block pasting, put a default text back when emptied, and cuts an over-long
// text when it loses the focus. Pasted text never slips past the filter: with
// paste blocked it is refused (every way in: Ctrl+V, Shift+Insert, WM_PASTE,
// the context menu), otherwise it passes the same checks as typed text.
// UI thread.
#pragma once

#include <afxwin.h>

#include <vector>

class CSupperEdit : public CEdit {
public:
    CSupperEdit();
    ~CSupperEdit() override = default;

    CSupperEdit* SetAllowPaste(BOOL allow);
    CSupperEdit* SetMaxByteLen(int bytes);
    // Dialogs call it before each character-list setter; nothing to prepare.
    void PrepareFilter() {}
    void SetDefaultText(const CString& text);
    // Append the text's characters to the list (the list is kept).
    void SetDeniedChars(const CString& chars);
    void SetAllowedChars(const CString& chars);
    // Replace the whole list.
    void SetDeniedCharList(const std::vector<wchar_t>& chars) { m_denied = chars; }
    void SetAllowedCharList(const std::vector<wchar_t>& chars) { m_allowed = chars; }
    CString GetAllowedChars() const;
    // The code page the byte limit counts in: the system's ANSI code page
    // unless another is named.
    void SetCodePage(UINT codePage) { m_codePage = codePage; }

    // TRUE when the character may be typed at the end of the current text.
    virtual BOOL IsCharAllowed(UINT ch);
    virtual void SetHookText(CString) {}
    virtual CString GetHookText() { return CString(); }
    // Drops characters from the end until the text fits maxBytes (0 or less:
    // no limit); the caret then goes to the end.
    void TrimToMaxBytes(int maxBytes);
    // The text's length in bytes of the code page.
    static int CountBytes(const CString& text, UINT codePage);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnKillFocus(CWnd* newFocus);
    afx_msg void OnContextMenu(CWnd* wnd, CPoint point);
    afx_msg LRESULT OnPaste(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    static bool Contains(const std::vector<wchar_t>& list, UINT ch);
    // The list checks of IsCharAllowed (steps 1 to 3), without the length.
    int ListVerdict(UINT ch) const;
    // The characters of incoming that may join existing (the text outside the
    // selection): filtered by the lists, line breaks dropped in a one-line
    // edit, and cut where the byte limit would be passed.
    CString FilterPasted(const CString& incoming, const CString& existing) const;
    static CString ClipboardText(HWND owner);

    CString m_strDefaultText;
    int m_bHasDefault;
    std::vector<wchar_t> m_allowed;
    std::vector<wchar_t> m_alwaysAllowed;
    std::vector<wchar_t> m_denied;
    int m_nMaxBytes;
    BOOL m_bAllowPaste;
    UINT m_codePage;
};
