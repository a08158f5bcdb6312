#include "CMultiDocTemplate.h"

#include "AfxGlobals.h"

IMPLEMENT_DYNAMIC(CMultiDocTemplate, CCmdTarget)

CMultiDocTemplate::CMultiDocTemplate(UINT resourceId, CRuntimeClass* docClass, CRuntimeClass* frameClass,
                                     CRuntimeClass* viewClass)
    : m_nIDResource(resourceId),
      m_pDocClass(docClass),
      m_pFrameClass(frameClass),
      m_pViewClass(viewClass),
      m_hMenuShared(resourceId ? ::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(resourceId)) : nullptr) {}

CMultiDocTemplate::~CMultiDocTemplate() {
    if (m_hMenuShared) ::DestroyMenu(m_hMenuShared);
}
