// The context of one DoDataExchange pass: which way data moves and which
// control is being exchanged, so a failed validation can put the focus on it.
#pragma once

#include "CUserException.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    // The control with this id; throws CResourceException when the dialog
    // has no such control (a template that does not match its class).
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Puts the focus on the last prepared control (selecting an edit's
    // text) and throws CUserException.
    [[noreturn]] void Fail();

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    // The control prepared last, and whether it is an edit.
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};
