// The kinds and commands of the playback and download service's Control.
#pragma once

enum {
    REPLAY_KIND_PLAYBACK = 3,
    REPLAY_KIND_DOWNLOAD = 4,
    REPLAY_KIND_LOCAL = 5,
    REPLAY_CMD_STOP = 1,
    REPLAY_CMD_SEEK_FILE = 2,   // playback: file offset; local source: position in KB
    REPLAY_CMD_SEEK_RANGE = 7,  // playback of a time range: range offset
};
