#include "CSupperEdit.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CSupperEdit, CEdit)
ON_WM_CHAR()
ON_WM_KEYDOWN()
ON_WM_KILLFOCUS()
ON_WM_CONTEXTMENU()
ON_MESSAGE(WM_PASTE, &CSupperEdit::OnPaste)
END_MESSAGE_MAP()

namespace {

enum { kRefused = 0, kAlwaysAllowed = 1, kPassesLists = 2 };
const UINT kCtrlV = 22;

}  // namespace

CSupperEdit::CSupperEdit()
    : m_bHasDefault(0), m_alwaysAllowed{8, 9, 12, 13}, m_nMaxBytes(-1), m_bAllowPaste(TRUE), m_codePage(CP_ACP) {}

CSupperEdit* CSupperEdit::SetAllowPaste(BOOL allow) {
    m_bAllowPaste = allow;
    return this;
}

CSupperEdit* CSupperEdit::SetMaxByteLen(int bytes) {
    m_nMaxBytes = bytes;
    return this;
}

void CSupperEdit::SetDefaultText(const CString& text) {
    m_strDefaultText = text;
    m_bHasDefault = 1;
}

void CSupperEdit::SetDeniedChars(const CString& chars) {
    for (int i = 0; i < chars.GetLength(); ++i) m_denied.push_back(chars.GetAt(i));
}

void CSupperEdit::SetAllowedChars(const CString& chars) {
    for (int i = 0; i < chars.GetLength(); ++i) m_allowed.push_back(chars.GetAt(i));
}

CString CSupperEdit::GetAllowedChars() const {
    CString text;
    for (wchar_t ch : m_allowed) text += ch;
    return text;
}

bool CSupperEdit::Contains(const std::vector<wchar_t>& list, UINT ch) {
    return std::find(list.begin(), list.end(), static_cast<wchar_t>(ch)) != list.end();
}

int CSupperEdit::CountBytes(const CString& text, UINT codePage) {
    if (text.IsEmpty()) return 0;
    return ::WideCharToMultiByte(codePage, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
}

int CSupperEdit::ListVerdict(UINT ch) const {
    if (Contains(m_alwaysAllowed, ch)) return kAlwaysAllowed;
    if (Contains(m_denied, ch)) return kRefused;
    if (!m_allowed.empty() && !Contains(m_allowed, ch)) return kRefused;
    return kPassesLists;
}

BOOL CSupperEdit::IsCharAllowed(UINT ch) {
    const int verdict = ListVerdict(ch);
    if (verdict != kPassesLists) return verdict == kAlwaysAllowed;
    if (m_nMaxBytes <= 0) return TRUE;
    CString text;
    GetWindowText(text);
    text += static_cast<wchar_t>(ch);
    return CountBytes(text, m_codePage) <= m_nMaxBytes;
}

void CSupperEdit::TrimToMaxBytes(int maxBytes) {
    CString text;
    GetWindowText(text);
    if (maxBytes <= 0 || text.IsEmpty()) return;
    const int before = text.GetLength();
    while (!text.IsEmpty() && CountBytes(text, m_codePage) > maxBytes) text = text.Left(text.GetLength() - 1);
    if (text.GetLength() == before) return;
    SetWindowText(text);
    SetSel(0, -1);
    SetSel(-1, -1);
}

void CSupperEdit::OnChar(UINT ch, UINT repeat, UINT flags) {
    if (IsCharAllowed(ch)) {
        // Some edit controls paste Ctrl+V themselves, past WM_PASTE.
        if (ch == kCtrlV)
            SendMessage(WM_PASTE);
        else
            Default();
    }
    if (m_bHasDefault == 1 && !m_strDefaultText.IsEmpty() && GetWindowTextLength() == 0)
        SetWindowText(m_strDefaultText);
}

void CSupperEdit::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    // Shift+Insert likewise: every paste goes through OnPaste.
    const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const bool control = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (key == VK_INSERT && shift && !control)
        SendMessage(WM_PASTE);
    else
        Default();
}

void CSupperEdit::OnKillFocus(CWnd* newFocus) {
    TrimToMaxBytes(m_nMaxBytes);
    Default();
}

void CSupperEdit::OnContextMenu(CWnd* wnd, CPoint point) {
    // The menu's Paste would bypass the blocked shortcut.
    if (m_bAllowPaste) Default();
}

CString CSupperEdit::ClipboardText(HWND owner) {
    CString text;
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(owner)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

CString CSupperEdit::FilterPasted(const CString& incoming, const CString& existing) const {
    const bool oneLine = (GetStyle() & ES_MULTILINE) == 0;
    CString accepted;
    for (int i = 0; i < incoming.GetLength(); ++i) {
        const wchar_t ch = incoming.GetAt(i);
        if (oneLine && (ch == L'\r' || ch == L'\n')) continue;
        const int verdict = ListVerdict(ch);
        if (verdict == kRefused) continue;
        if (verdict == kPassesLists && m_nMaxBytes > 0 &&
            CountBytes(existing + accepted + ch, m_codePage) > m_nMaxBytes)
            break;
        accepted += ch;
    }
    return accepted;
}

LRESULT CSupperEdit::OnPaste(WPARAM, LPARAM) {
    if (!m_bAllowPaste) return 0;
    CString text;
    GetWindowText(text);
    int start = 0, end = 0;
    GetSel(start, end);
    const CString outside = text.Left(start) + text.Mid(end);
    const CString accepted = FilterPasted(ClipboardText(m_hWnd), outside);
    if (!accepted.IsEmpty()) ReplaceSel(accepted, TRUE);
    return 0;
}

BOOL CSupperEdit::PreTranslateMessage(MSG* msg) {
    if (!m_bAllowPaste) {
        if (msg->message == WM_RBUTTONDOWN) return TRUE;
        const bool ctrl = (::GetKeyState(VK_LCONTROL) & 0x8000) || (::GetKeyState(VK_RCONTROL) & 0x8000) ||
                          (::GetKeyState(VK_CONTROL) & 0x8000);
        if (msg->message == WM_KEYDOWN && msg->wParam == 'V' && ctrl) return TRUE;
    }
    return CEdit::PreTranslateMessage(msg);
}
