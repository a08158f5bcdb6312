// SLOT_PLAYLIST: the sources a playback slot plays in turn, with its own lock.
#pragma once

#include <vector>

#include "common/CLock.h"
#include "app/engine/RECORD_TASK.h"

struct SLOT_PLAYLIST {
    SLOT_PLAYLIST() = default;
    SLOT_PLAYLIST(const SLOT_PLAYLIST&) = delete;
    SLOT_PLAYLIST& operator=(const SLOT_PLAYLIST&) = delete;

    CLock lock;
    std::vector<RECORD_SOURCE> items;
    int position = 0;
};
