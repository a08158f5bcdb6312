// CShortKeyTable: the user's keyboard short cuts as the engine hands them to
// the windows, loaded from the configuration with the user's data and
// written back into it when one changes.
//
// Lock: m_lock guards the table; only the configuration's fields are touched
// while it is held.
#pragma once

#include <afx.h>

#include <vector>

#include "common/CLock.h"

struct ENGINE_SHORT_KEY {
    CString itemName;
    CString itemKey;
    WORD keyValue = 0;
    WORD keyModifiers = 0;
};

class CShortKeyTable {
public:
    // Replaces the table with the configuration's entries.
    void LoadFromConfig();
    // Every entry for an empty name, else the first entry of that name.
    void Find(const CString& itemName, std::vector<ENGINE_SHORT_KEY>* out);
    // Changes the entries of entry's name here and in the configuration.
    void Set(const ENGINE_SHORT_KEY& entry);

private:
    CLock m_lock;
    std::vector<ENGINE_SHORT_KEY> m_keys;
};
