#include "CStyleMultiDocTemplate.h"

IMPLEMENT_DYNAMIC(CStyleMultiDocTemplate, CMultiDocTemplate)

CStyleMultiDocTemplate::CStyleMultiDocTemplate(UINT resourceId, CRuntimeClass* docClass, CRuntimeClass* frameClass,
                                               CRuntimeClass* viewClass)
    : CMultiDocTemplate(resourceId, docClass, frameClass, viewClass) {
    if (m_nIDResource && m_hMenuShared && m_menu.LoadFromHandle(m_hMenuShared)) {
        m_menu.SetPopup(FALSE);
        m_menu.LoadToolBar(m_nIDResource, nullptr);
    }
}

CStyleMultiDocTemplate::~CStyleMultiDocTemplate() {
    // The menu object destroys the shared menu; the base must not do it again.
    if (m_hMenuShared == m_menu.GetSafeHmenu()) m_hMenuShared = nullptr;
}
