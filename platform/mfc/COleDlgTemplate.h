// A dialog template split for hosting ActiveX controls: the items whose
// window class is a "{CLSID}" text are taken out (the dialog manager could
// not create them) and kept with their dialog-unit rectangles, so the
// dialog creates them itself once its window exists. Both template forms
// (DLGTEMPLATE and DLGTEMPLATEEX) are read; a malformed template is left
// whole.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class COleDlgTemplate {
public:
    struct Item {
        CLSID clsid;
        UINT id;
        DWORD style;
        RECT rectDlu;  // left, top, right, bottom in dialog units
        std::wstring title;
        size_t position;  // index among all of the template's items
    };

    explicit COleDlgTemplate(LPCDLGTEMPLATEW original);
    bool HasControls() const { return !m_items.empty(); }
    // The template without the control items (the original when it has none).
    LPCDLGTEMPLATEW Template() const;
    const std::vector<Item>& Controls() const { return m_items; }

private:
    bool Split(const uint8_t* data);

    LPCDLGTEMPLATEW m_original;
    std::vector<uint8_t> m_stripped;
    std::vector<Item> m_items;
};
