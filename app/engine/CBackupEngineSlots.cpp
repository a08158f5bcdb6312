// The four playback slots of the backup engine and the routing of stream data.
#include "app/engine/CBackupEngine.h"

#include "app/core/CAutoLock.h"
#include "app/core/FileUtil.h"
#include "app/core/SystemUtil.h"
#include "app/engine/RecordTime.h"

namespace {

const DWORD kSlotSettleMs = 100;
const int kMaxSpeedIndex = 6;

void CopyPath(char (&field)[516], const CString& path) {
    CStringA narrow(path);
    strncpy(field, narrow, 512);
    field[512] = 0;
}

// The kind of stop and seek that closes this source: a device recording is
// a playback, a local file a local source.
int ControlKindOf(const RECORD_SOURCE& source) {
    return source.itemType == SOURCE_ITEM_LOCAL ? REPLAY_KIND_LOCAL : REPLAY_KIND_PLAYBACK;
}

}  // namespace

int CBackupEngine::OpenSlotPort(int slot, HWND window) {
    if (m_slots[slot].state != 0) return 0;
    int port = m_playPorts->OpenStream(window, PLAY_KIND_DISPLAY);
    if (port < 0) return -1;
    m_slots[slot].source.playPort = port;
    return 0;
}

// Stops the slot for a new source and tells the main window it closed.
void CBackupEngine::ResetSlotForNewSource(int slot) {
    StopSlot(slot);
    PostMainWndMessage(WM_TW_SLOT_CLOSED, (WPARAM)slot, kSlotClosedByEngine);
    Sleep(kSlotSettleMs);
}

// 0 when no slot plays the device channel, no download and no conversion
// uses it; else the slot result that says who does. Engine lock held.
int CBackupEngine::CheckChannelFreeForSlot(int deviceId, const RECORD_FILE_DESC& desc) {
    for (const RECORD_TASK& other : m_slots) {
        if (other.source.itemType == SOURCE_ITEM_DEVICE && other.source.deviceId == deviceId &&
            other.source.desc.channel == desc.channel)
            return SLOT_ERR_CHANNEL_PLAYING;
    }
    for (const RECORD_TASK& task : m_active) {
        if (task.source.deviceId == deviceId && task.source.desc.channel == desc.channel &&
            task.source.sdkHandle != 0)
            return SLOT_ERR_CHANNEL_DOWNLOADING;
    }
    if (m_taskQueue->FindTaskByDescriptor(deviceId, desc, 1)) return SLOT_ERR_CHANNEL_CONVERTING;
    return 0;
}

// Starts a device playback into the slot, by file or by the descriptor's
// time range. 1 playing, or a slot result.
int CBackupEngine::PlayDeviceSource(int slot, HWND window, int deviceId, const RECORD_FILE_DESC& desc, bool byTime) {
    if (!SlotIndexValid(slot)) return -1;
    ResetSlotForNewSource(slot);
    CAutoLock guard(&m_engineLock);
    int busy = CheckChannelFreeForSlot(deviceId, desc);
    if (busy != 0) return busy;
    if (OpenSlotPort(slot, window) != 0) return SLOT_ERR_NO_PORT;
    guard.Unlock();
    int login = GetLoginHandle(deviceId);
    int handle = byTime ? m_replay->PlayByTime(login, (int)desc.channel, &desc.start, &desc.end)
                        : m_replay->PlayByFile(login, desc);
    guard.Lock();
    RECORD_SOURCE& source = m_slots[slot].source;
    if (handle == -1) {
        CloseSlotPortLocked(slot);
        return SLOT_ERR_NOT_STARTED;
    }
    source.sdkHandle = handle;
    source.deviceId = deviceId;
    source.channel = (int32_t)desc.channel;
    source.itemType = SOURCE_ITEM_DEVICE;
    source.desc = desc;
    source.received = 0;
    source.playState = 0;
    source.speedIndex = kNormalSpeedIndex;
    return 1;
}

// Closes the slot's port (when it shows through one) and resets its source.
void CBackupEngine::CloseSlotPortLocked(int slot) {
    RECORD_SOURCE& source = m_slots[slot].source;
    if (m_slots[slot].state == 0 && source.playPort >= 0) m_playPorts->CloseStream(source.playPort);
    source = RECORD_SOURCE();
}

int CBackupEngine::PlayRecordInSlot(int slot, HWND window, int deviceId, const RECORD_FILE_DESC* desc) {
    return PlayDeviceSource(slot, window, deviceId, *desc, false);
}

int CBackupEngine::PlayTimeRangeInSlot(int slot, HWND window, int deviceId, const RECORD_FILE_DESC* desc) {
    int result = PlayDeviceSource(slot, window, deviceId, *desc, true);
    if (result != 1) return result;
    RECORD_SOURCE source;
    {
        CAutoLock guard(&m_engineLock);
        source = m_slots[slot].source;
    }
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock listGuard(&playlist.lock);
    playlist.items.assign(1, source);
    playlist.position = 0;
    return 1;
}

int CBackupEngine::PlayLocalFileInSlot(int slot, int deviceId, int channel, HWND window, CString path) {
    if (!SlotIndexValid(slot)) return -1;
    ResetSlotForNewSource(slot);
    CAutoLock guard(&m_engineLock);
    if (OpenSlotPort(slot, window) != 0) return -1;
    int sizeKB = 0;
    int handle = m_replay->OpenLocalFile(path, &sizeKB);
    RECORD_SOURCE& source = m_slots[slot].source;
    if (handle == -1) {
        CloseSlotPortLocked(slot);
        return -1;
    }
    source.sdkHandle = handle;
    source.deviceId = deviceId;
    source.channel = channel;
    source.itemType = SOURCE_ITEM_LOCAL;
    source.desc.sizeKB = (uint32_t)sizeKB;
    source.desc.channel = (uint32_t)channel;
    CopyPath(source.path, path);
    source.received = 0;
    source.playState = 0;
    source.speedIndex = kNormalSpeedIndex;
    return 0;
}

int CBackupEngine::PlayListInSlot(int slot, HWND window, const std::vector<RECORD_SOURCE>& items) {
    if (!SlotIndexValid(slot)) return -1;
    if (items.empty()) {
        StopSlot(slot);
        ClearSlotPlaylist(slot);
        return 0;
    }
    ClearSlotPlaylist(slot);
    const RECORD_SOURCE& first = items.front();
    int result = first.itemType == SOURCE_ITEM_LOCAL
                     ? PlayLocalFileInSlot(slot, first.deviceId, first.channel, window, CString(first.path))
                     : PlayRecordInSlot(slot, window, first.deviceId, &first.desc);
    if (result < 0) return result;
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock guard(&playlist.lock);
    playlist.items = items;
    playlist.position = 0;
    return 0;
}

int CBackupEngine::PlayFilesInSlot(int slot, int deviceId, int channel, HWND window, const std::vector<CString>& paths) {
    std::vector<RECORD_SOURCE> items;
    for (const CString& path : paths) {
        RECORD_SOURCE item;
        item.itemType = SOURCE_ITEM_LOCAL;
        item.deviceId = deviceId;
        item.channel = channel;
        item.desc.channel = (uint32_t)channel;
        CopyPath(item.path, path);
        items.push_back(item);
    }
    return PlayListInSlot(slot, window, items);
}

int CBackupEngine::PlayRecordsInSlot(int slot, HWND window, int deviceId, const std::vector<RECORD_FILE_DESC>& descs) {
    std::vector<RECORD_SOURCE> items;
    for (const RECORD_FILE_DESC& desc : descs) {
        RECORD_SOURCE item;
        item.itemType = SOURCE_ITEM_DEVICE;
        item.deviceId = deviceId;
        item.channel = (int32_t)desc.channel;
        item.desc = desc;
        items.push_back(item);
    }
    return PlayListInSlot(slot, window, items);
}

int CBackupEngine::PlaySlotItem(int slot, HWND window, int n) {
    if (!SlotIndexValid(slot)) return -1;
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock guard(&playlist.lock);
    if (n < 0 || n >= (int)playlist.items.size()) return 0;
    RECORD_SOURCE item = playlist.items[n];
    if (item.itemType == SOURCE_ITEM_DEVICE) {
        PlayRecordInSlot(slot, window, item.deviceId, &item.desc);
    } else if (item.itemType == SOURCE_ITEM_LOCAL) {
        PlayLocalFileInSlot(slot, item.deviceId, item.channel, window, CString(item.path));
    }
    playlist.position = n;
    return 0;
}

int CBackupEngine::PlayNextInSlot(int slot, HWND window) {
    if (!SlotIndexValid(slot)) return -1;
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock guard(&playlist.lock);
    int next = playlist.position + 1;
    if (playlist.items.empty() || next >= (int)playlist.items.size()) return -1;
    RECORD_SOURCE item = playlist.items[next];
    playlist.position = next;
    if (item.itemType == SOURCE_ITEM_LOCAL)
        return PlayLocalFileInSlot(slot, item.deviceId, item.channel, window, CString(item.path));
    if (item.itemType == SOURCE_ITEM_DEVICE) PlayRecordInSlot(slot, window, item.deviceId, &item.desc);
    return 0;
}

int CBackupEngine::ControlSlot(int slot, int command, unsigned value) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_engineLock);
    RECORD_TASK& task = m_slots[slot];
    RECORD_SOURCE& source = task.source;
    if (task.sourceCount != 1 || source.sdkHandle == 0) return -1;
    const bool withPort = task.state == 0;
    switch (command) {
        case 1: {
            RECORD_SOURCE stopped = source;
            // The SDK's progress callback takes the engine lock: stop unlocked.
            guard.Unlock();
            m_replay->Control(stopped.sdkHandle, ControlKindOf(stopped), REPLAY_CMD_STOP, 0);
            guard.Lock();
            CloseSlotPortLocked(slot);
            break;
        }
        case 2:
            if (source.itemType == SOURCE_ITEM_DEVICE && source.desc.sizeKB != 0 &&
                source.done >= source.desc.sizeKB) {
                if (RestartSlotPlayback(slot, false) != 0) return 0;
            }
            m_replay->Control(source.sdkHandle, ControlKindOf(source), REPLAY_CMD_SEEK_FILE,
                              (uint32_t)((uint64_t)value * source.desc.sizeKB / 100));
            if (withPort) m_playPorts->ClearDisplay(source.playPort);
            break;
        case 3:
            source.playState = 1;
            if (withPort) m_playPorts->Pause(source.playPort, 1);
            break;
        case 4:
            source.playState = 0;
            if (withPort) {
                m_playPorts->Pause(source.playPort, 0);
                for (; source.speedIndex > kNormalSpeedIndex; --source.speedIndex) m_playPorts->SlowDown(source.playPort);
                for (; source.speedIndex < kNormalSpeedIndex; ++source.speedIndex) m_playPorts->SpeedUp(source.playPort);
            }
            break;
        case 5:
            if (source.speedIndex < kMaxSpeedIndex) {
                if (withPort) m_playPorts->SpeedUp(source.playPort);
                ++source.speedIndex;
            }
            break;
        case 6:
            if (source.speedIndex > 0) {
                if (withPort) m_playPorts->SlowDown(source.playPort);
                --source.speedIndex;
            }
            break;
        case 7:
            if (source.total != 0 && source.done >= source.total) {
                if (RestartSlotPlayback(slot, true) != 0) return 0;
            }
            m_replay->Control(source.sdkHandle, REPLAY_KIND_PLAYBACK, REPLAY_CMD_SEEK_RANGE,
                              (uint32_t)((uint64_t)value * source.total / 100));
            if (withPort) m_playPorts->ClearDisplay(source.playPort);
            break;
        default:
            break;
    }
    return 0;
}

// A playback that ran to its end is started again so it can seek. The engine
// lock is held by the caller and released around the stop and the start:
// the SDK's progress callback takes it. 0 restarted, -1 the start failed.
int CBackupEngine::RestartSlotPlayback(int slot, bool byTime) {
    RECORD_SOURCE copy = m_slots[slot].source;
    int device = copy.deviceId;
    m_engineLock.Unlock();
    m_replay->Control(copy.sdkHandle, REPLAY_KIND_PLAYBACK, REPLAY_CMD_STOP, 0);
    int login = GetLoginHandle(device);
    int handle = byTime ? m_replay->PlayByTime(login, copy.channel, &copy.desc.start, &copy.desc.end)
                        : m_replay->PlayByFile(login, copy.desc);
    m_engineLock.Lock();
    RECORD_SOURCE& source = m_slots[slot].source;
    if (handle == -1) {
        source.sdkHandle = 0;
        return -1;
    }
    source.sdkHandle = handle;
    source.done = 0;
    return 0;
}

int CBackupEngine::GetSlot(int slot, RECORD_TASK* out) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_engineLock);
    *out = m_slots[slot];
    return 0;
}

int CBackupEngine::GetSlotPlaylist(int slot, int* position, std::vector<RECORD_SOURCE>* out) {
    if (!SlotIndexValid(slot)) return -1;
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock guard(&playlist.lock);
    *position = playlist.position;
    *out = playlist.items;
    return 0;
}

int CBackupEngine::ClearSlotPlaylist(int slot) {
    if (!SlotIndexValid(slot)) return -1;
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock guard(&playlist.lock);
    playlist.items.clear();
    playlist.position = 0;
    return 0;
}

int CBackupEngine::RefreshSlotDisplay(int slot) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_engineLock);
    const RECORD_SOURCE& source = m_slots[slot].source;
    if (source.sdkHandle == 0 || source.playPort < 0) return -1;
    return m_playPorts->RefreshPort(source.playPort);
}

int CBackupEngine::SetSlotDisplayRegion(int slot, int index, RECT rect, const RECT& ref, HWND window, BOOL enable) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_engineLock);
    if (m_slots[slot].state != 0) return -2;
    return m_playPorts->SetDisplayRegionScaled(m_slots[slot].source.playPort, index, rect, ref, window, enable);
}

int CBackupEngine::IsSlotDrained(int slot) {
    if (!SlotIndexValid(slot)) return 1;
    CAutoLock guard(&m_engineLock);
    int port = m_slots[slot].source.playPort;
    return port < 0 ? 1 : m_playPorts->IsDrained(port);
}

int CBackupEngine::SetSlotSound(int slot, int on) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_engineLock);
    int port = m_slots[slot].source.playPort;
    if (port < 0) {
        m_playPorts->StopSound(-1);
        return -1;
    }
    return on == 1 ? m_playPorts->PlaySound(port) : m_playPorts->StopSound(port);
}

int CBackupEngine::GetSlotPlayInfo(int slot, int* value4, int* value5, int* value6) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_engineLock);
    const RECORD_SOURCE& source = m_slots[slot].source;
    if (source.sdkHandle == 0 || source.itemType != SOURCE_ITEM_DEVICE || source.playPort < 0) return -1;
    return m_playPorts->QueryPortInfo(source.playPort, value4, value5, value6);
}

CString CBackupEngine::SnapshotSlot(int slot) {
    if (!SlotIndexValid(slot)) return CString();
    RECORD_SOURCE source;
    int state;
    {
        CAutoLock guard(&m_engineLock);
        source = m_slots[slot].source;
        state = m_slots[slot].state;
    }
    if (source.sdkHandle == 0 || source.deviceId == 0) return CString();
    DEVICE_RECORD device = m_devices.GetDevice(source.deviceId);
    CTime now = CTime::GetCurrentTime();
    CString path;
    if (MakeTargetFileName(&device, source.channel, &now, L"Pic", &path, 2, CString()) != 0) return CString();
    if (state != 0 || !m_playPorts->CapturePicture(source.playPort, path)) return CString();
    RECORD_LIST_ROW row;
    row.L_DevID = source.deviceId;
    row.I_ChannelIndex = source.channel;
    row.I_Type = 0;
    row.I_FileType = 1;
    row.C_StartTime = now.Format(L"%Y-%m-%d %H:%M:%S");
    row.C_EndTime = row.C_StartTime;
    row.C_UpdateTime = row.C_StartTime;
    row.C_FilePath = path;
    row.L_FileLen = (int)(GetFileLength(path) / 1024);
    if (m_recordList.Insert(row) < 0) {
        DeleteFileChecked(path);
        return CString();
    }
    return path;
}

int CBackupEngine::OnStreamData(int handle, const void* data, int length) {
    for (RECORD_TASK& slot : m_slots) {
        RECORD_SOURCE& source = slot.source;
        if (slot.sourceCount < 1 || source.sdkHandle != handle || handle == 0) continue;
        if (source.playState == 1 || slot.state != 0) return -1;
        if (!m_playPorts->InputData(source.playPort, static_cast<const uint8_t*>(data), length)) return -1;
        source.received += length;
        return 0;
    }
    // A handle that no slot and no conversion knows yet (a playback whose
    // start has not returned) is refused, so its data is offered again.
    int queue = m_taskQueue->OnSourceData(handle, static_cast<const uint8_t*>(data), length);
    return queue == 0 ? 0 : -1;
}
