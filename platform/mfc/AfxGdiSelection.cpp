#include "AfxGdiSelection.h"

#include <map>

#include "common/CAutoLock.h"

namespace {

// Kinds a DC holds one of at a time: pen, brush, font, bitmap.
int KindIndex(DWORD type) {
    switch (type) {
        case OBJ_PEN:
        case OBJ_EXTPEN: return 0;
        case OBJ_BRUSH: return 1;
        case OBJ_FONT: return 2;
        case OBJ_BITMAP: return 3;
        default: return -1;
    }
}

struct DcRecord {
    HGDIOBJ original[4] = {};
};

struct Registry {
    CLock lock;
    std::map<HDC, DcRecord> dcs;
    std::map<HGDIOBJ, HDC> selectedIn;
};

Registry& Reg() {
    static Registry registry;
    return registry;
}

}  // namespace

HGDIOBJ AfxSelectGdiObject(HDC dc, HGDIOBJ obj) {
    int kind = KindIndex(::GetObjectType(obj));
    HGDIOBJ old = ::SelectObject(dc, obj);
    if (kind < 0 || !old || old == HGDI_ERROR) return old;
    Registry& r = Reg();
    CAutoLock guard(&r.lock);
    DcRecord& rec = r.dcs[dc];
    if (!rec.original[kind]) rec.original[kind] = old;
    auto it = r.selectedIn.find(old);
    if (it != r.selectedIn.end() && it->second == dc) r.selectedIn.erase(it);
    if (obj != rec.original[kind]) r.selectedIn[obj] = dc;
    return old;
}

void AfxDeselectGdiObject(HGDIOBJ obj) {
    Registry& r = Reg();
    CAutoLock guard(&r.lock);
    auto it = r.selectedIn.find(obj);
    if (it == r.selectedIn.end()) return;
    HDC dc = it->second;
    r.selectedIn.erase(it);
    int kind = KindIndex(::GetObjectType(obj));
    auto rec = r.dcs.find(dc);
    if (kind >= 0 && rec != r.dcs.end() && ::GetCurrentObject(dc, ::GetObjectType(obj)) == obj)
        ::SelectObject(dc, rec->second.original[kind]);
}

void AfxRestoreDcObjects(HDC dc) {
    Registry& r = Reg();
    CAutoLock guard(&r.lock);
    auto rec = r.dcs.find(dc);
    if (rec == r.dcs.end()) return;
    for (HGDIOBJ original : rec->second.original) {
        if (original) ::SelectObject(dc, original);
    }
    r.dcs.erase(rec);
    for (auto it = r.selectedIn.begin(); it != r.selectedIn.end();) {
        it = (it->second == dc) ? r.selectedIn.erase(it) : std::next(it);
    }
}
