// A dialog whose menu bar and system menu are library menus; its popups get
// the command-update pass a frame gives them.
#pragma once

#include "CStyleFrame.h"

class CStyleDialog : public CStyleFrame<CDialog> {
    DECLARE_DYNCREATE(CStyleDialog)
public:
    CStyleDialog();
    CStyleDialog(UINT templateId, CWnd* parent);
    CStyleDialog(LPCTSTR templateName, CWnd* parent);
    BOOL OnInitDialog() override;

protected:
    afx_msg void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu);
    DECLARE_MESSAGE_MAP()
};
