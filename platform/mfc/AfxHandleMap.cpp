#include "AfxHandleMap.h"

#include <algorithm>

namespace {

std::vector<CHandleMapBase*>& ThreadMaps() {
    thread_local std::vector<CHandleMapBase*> maps;
    return maps;
}

}  // namespace

CHandleMapBase::CHandleMapBase() { ThreadMaps().push_back(this); }

CHandleMapBase::~CHandleMapBase() {
    auto& maps = ThreadMaps();
    maps.erase(std::remove(maps.begin(), maps.end(), this), maps.end());
}

void AfxDeleteAllTempObjects() {
    for (CHandleMapBase* map : ThreadMaps()) map->DeleteTemps();
}

size_t AfxCountAllTempObjects() {
    size_t n = 0;
    for (CHandleMapBase* map : ThreadMaps()) n += map->TempCount();
    return n;
}
