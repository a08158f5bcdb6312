// A document template of the multiple-document kind: its resource id and the
// menu shared by its frames, loaded from that id.
#pragma once

#include "CCmdTarget.h"
#include "CRuntimeClass.h"

class CMultiDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CMultiDocTemplate)
public:
    CMultiDocTemplate(UINT resourceId, CRuntimeClass* docClass, CRuntimeClass* frameClass, CRuntimeClass* viewClass);
    ~CMultiDocTemplate() override;

    UINT m_nIDResource;
    CRuntimeClass* m_pDocClass;
    CRuntimeClass* m_pFrameClass;
    CRuntimeClass* m_pViewClass;
    // Owned: destroyed with the template unless cleared first.
    HMENU m_hMenuShared;
};
