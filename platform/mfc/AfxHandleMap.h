// Per-thread maps from Windows handles to the framework objects wrapping
// them. Permanent entries belong to objects the program owns; temporary
// entries are objects the map created for FromHandle and deletes when the
// thread is idle (after detaching their handle, so nothing is destroyed).
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

// Each map registers itself so that AfxUnlockTempMaps reaches every kind.
class CHandleMapBase {
public:
    virtual void DeleteTemps() = 0;
    virtual size_t TempCount() const = 0;

protected:
    CHandleMapBase();
    ~CHandleMapBase();
};

void AfxDeleteAllTempObjects();
size_t AfxCountAllTempObjects();

template <class OBJ, class HANDLE_T, HANDLE_T OBJ::*FIELD>
class CHandleMap : public CHandleMapBase {
public:
    ~CHandleMap() { DeleteTemps(); }

    OBJ* LookupPermanent(HANDLE_T h) const {
        auto it = m_permanent.find(h);
        return it == m_permanent.end() ? nullptr : it->second;
    }
    // The permanent object, else a temporary one made by newTemp.
    template <class FACTORY>
    OBJ* FromHandle(HANDLE_T h, FACTORY newTemp) {
        if (!h) return nullptr;
        if (OBJ* o = LookupPermanent(h)) return o;
        auto it = m_temporary.find(h);
        if (it != m_temporary.end()) return it->second;
        OBJ* temp = newTemp();
        temp->*FIELD = h;
        m_temporary[h] = temp;
        return temp;
    }
    void SetPermanent(HANDLE_T h, OBJ* o) {
        // A temporary wrapper of the same handle stays usable for whoever
        // holds it until idle time, but lookups find the permanent one.
        auto it = m_temporary.find(h);
        if (it != m_temporary.end()) {
            m_pendingDelete.push_back(it->second);
            m_temporary.erase(it);
        }
        m_permanent[h] = o;
    }
    void RemoveHandle(HANDLE_T h) { m_permanent.erase(h); }
    bool IsTemporary(const OBJ* o) const {
        auto it = m_temporary.find(o->*FIELD);
        return it != m_temporary.end() && it->second == o;
    }

    void DeleteTemps() override {
        std::unordered_map<HANDLE_T, OBJ*> temps;
        temps.swap(m_temporary);
        for (auto& entry : temps) {
            entry.second->*FIELD = HANDLE_T();
            delete entry.second;
        }
        std::vector<OBJ*> pending;
        pending.swap(m_pendingDelete);
        for (OBJ* o : pending) {
            o->*FIELD = HANDLE_T();
            delete o;
        }
    }
    size_t TempCount() const override { return m_temporary.size() + m_pendingDelete.size(); }

private:
    std::unordered_map<HANDLE_T, OBJ*> m_permanent;
    std::unordered_map<HANDLE_T, OBJ*> m_temporary;
    // Temporaries replaced by a permanent object: callers may still hold
    // them until idle time.
    std::vector<OBJ*> m_pendingDelete;
};
