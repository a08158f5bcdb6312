#include "app/engine/CShortKeyTable.h"

#include "app/core/CAppConfig.h"
#include "common/CAutoLock.h"

void CShortKeyTable::LoadFromConfig() {
    CAppConfig* config = GetAppConfig();
    CAutoLock guard(&m_lock);
    m_keys.clear();
    for (int i = 0; i < config->m_nShortKeyCount && i < kMaxShortKeys; ++i) {
        ENGINE_SHORT_KEY entry;
        entry.itemName = config->m_strShortKeyItemName[i];
        entry.itemKey = config->m_strShortKeyItemKey[i];
        entry.keyValue = config->m_wShortKeyValue[i];
        entry.keyModifiers = config->m_wShortKeyModifiers[i];
        m_keys.push_back(entry);
    }
}

void CShortKeyTable::Find(const CString& itemName, std::vector<ENGINE_SHORT_KEY>* out) {
    out->clear();
    CAutoLock guard(&m_lock);
    for (const ENGINE_SHORT_KEY& entry : m_keys) {
        if (itemName.IsEmpty()) {
            out->push_back(entry);
        } else if (entry.itemName == itemName) {
            out->push_back(entry);
            break;
        }
    }
}

void CShortKeyTable::Set(const ENGINE_SHORT_KEY& entry) {
    CAutoLock guard(&m_lock);
    CAppConfig* config = GetAppConfig();
    for (ENGINE_SHORT_KEY& own : m_keys) {
        if (own.itemName == entry.itemName) own = entry;
    }
    for (int i = 0; i < config->m_nShortKeyCount && i < kMaxShortKeys; ++i) {
        if (config->m_strShortKeyItemName[i] != entry.itemName) continue;
        config->m_strShortKeyItemKey[i] = entry.itemKey;
        config->m_wShortKeyValue[i] = entry.keyValue;
        config->m_wShortKeyModifiers[i] = entry.keyModifiers;
    }
}
