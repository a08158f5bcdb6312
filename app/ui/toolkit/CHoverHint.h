// CHoverHint: shows a per-control hint text in one static control of a
// dialog. The dialog's PreTranslateMessage calls ShowHint with the id of the
// control under the mouse on WM_MOUSEMOVE. Owns no window.
#pragma once

#include <afxwin.h>

#include <map>

class CHoverHint {
public:
    // Returns 0.
    int Attach(CDialog* dialog, int staticId);
    // Sets or replaces the control's hint. Returns 0.
    int SetHint(int ctrlId, const CString& text);
    // -1 before Attach; otherwise the hint static shows the control's hint
    // (empty for a control without one) and 0.
    int ShowHint(int ctrlId);

private:
    std::map<int, CString> m_hints;
    int m_nStaticId = 0;
    CDialog* m_pDialog = nullptr;
};
