// A document template whose shared menu is a library menu with the icons of
// the template's toolbar.
#pragma once

#include <afxwin.h>

#include "CStyleMenu.h"

class CStyleMultiDocTemplate : public CMultiDocTemplate {
    DECLARE_DYNAMIC(CStyleMultiDocTemplate)
public:
    CStyleMultiDocTemplate(UINT resourceId, CRuntimeClass* docClass, CRuntimeClass* frameClass,
                           CRuntimeClass* viewClass);
    ~CStyleMultiDocTemplate() override;

    CStyleMenu m_menu;
};
