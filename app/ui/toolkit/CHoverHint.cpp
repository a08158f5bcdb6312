#include "CHoverHint.h"

int CHoverHint::Attach(CDialog* dialog, int staticId) {
    m_pDialog = dialog;
    m_nStaticId = staticId;
    return 0;
}

int CHoverHint::SetHint(int ctrlId, const CString& text) {
    m_hints[ctrlId] = text;
    return 0;
}

int CHoverHint::ShowHint(int ctrlId) {
    if (!m_pDialog) return -1;
    m_pDialog->SetDlgItemText(m_nStaticId, m_hints[ctrlId]);
    return 0;
}
