// CDeviceUserLists: the device dialog's user combo and the working device
// list behind each of its entries. The super user gets an entry for himself
// (the engine's list, entry 0) and one for every user; any other user gets
// his own alone. Each entry has a CDeviceManager read from the user's
// device.xml, freed by FreeAll (the dialog's OK, Cancel and destruction);
// entries whose files are one file share one.
#pragma once

#include <afxwin.h>

#include "app/engine/CDeviceManager.h"

class CDeviceUserLists {
public:
    explicit CDeviceUserLists(CComboBox& combo) : m_combo(combo) {}

    // Fresh entries and lists from the users' files; the first one selected.
    void Fill();
    void FreeAll();
    int Count() const { return m_combo.GetCount(); }
    // The entry's working list; null for none.
    CDeviceManager* At(int entry) const;
    // The selected entry's working list; null when no entry is selected.
    CDeviceManager* Selected() const;

private:
    void Add(const CString& text, const CString& directory);
    CDeviceManager* FindByFile(const CString& file) const;

    CComboBox& m_combo;
};
