#include "CCmdTarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id) {
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nSig != AfxSig_end; ++e) {
            if (e->nMessage == message && e->nCode == code && id >= e->nID && id <= e->nLastID) return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // Update requests are -1 in full; everything else carries the message
    // in its high word (0 standing for WM_COMMAND).
    UINT message = (nCode == CN_UPDATE_COMMAND_UI) ? 0 : HIWORD(static_cast<UINT>(nCode));
    if (message == 0) message = WM_COMMAND;
    UINT code = LOWORD(static_cast<UINT>(nCode));
    // An id range handler that declines (ON_NOTIFY_EX returning FALSE) lets
    // later entries and base maps have their turn.
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nSig != AfxSig_end; ++e) {
            if (e->nMessage != message || e->nCode != code || nID < e->nID || nID > e->nLastID) continue;
            if (pHandlerInfo) {
                pHandlerInfo->pTarget = this;
                pHandlerInfo->pmf = e->pfn;
                return TRUE;
            }
            AFX_NOTIFY* notify = static_cast<AFX_NOTIFY*>(pExtra);
            switch (e->nSig) {
                case AfxSig_v_v: (this->*e->pfn)(); return TRUE;
                case AfxSig_v_pCUI:
                    if (nCode != CN_UPDATE_COMMAND_UI) break;
                    (this->*reinterpret_cast<void (CCmdTarget::*)(CCmdUI*)>(e->pfn))(static_cast<CCmdUI*>(pExtra));
                    return TRUE;
                case AfxSig_v_u: (this->*reinterpret_cast<void (CCmdTarget::*)(UINT)>(e->pfn))(nID); return TRUE;
                case AfxSig_v_NMHDR_pl:
                    (this->*reinterpret_cast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(e->pfn))(notify->pNMHDR,
                                                                                              notify->pResult);
                    return TRUE;
                case AfxSig_v_uNMHDR_pl:
                    (this->*reinterpret_cast<void (CCmdTarget::*)(UINT, NMHDR*, LRESULT*)>(e->pfn))(nID, notify->pNMHDR,
                                                                                                    notify->pResult);
                    return TRUE;
                case AfxSig_b_uNMHDR_pl:
                    if ((this->*reinterpret_cast<BOOL (CCmdTarget::*)(UINT, NMHDR*, LRESULT*)>(e->pfn))(
                            nID, notify->pNMHDR, notify->pResult))
                        return TRUE;
                    break;
                default: break;
            }
        }
    }
    return FALSE;
}
