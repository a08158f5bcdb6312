#include "app/engine/CPlaybackSlots.h"

#include "common/CAutoLock.h"
#include "app/core/FileUtil.h"
#include "app/core/SystemUtil.h"
#include "app/core/TwMessages.h"

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

bool PlaysDevice(const RECORD_SOURCE& source, int deviceId) {
    return source.itemType == SOURCE_ITEM_DEVICE && source.deviceId == deviceId;
}

bool PlaysChannel(const RECORD_SOURCE& source, int deviceId, int channel) {
    return PlaysDevice(source, deviceId) && (int)source.desc.channel == channel;
}

// A source that starts playing from its beginning at normal speed.
void StartFresh(RECORD_SOURCE& source, int handle, int deviceId, int channel, int itemType) {
    source.sdkHandle = handle;
    source.deviceId = deviceId;
    source.channel = channel;
    source.itemType = itemType;
    source.received = 0;
    source.playState = 0;
    source.speedIndex = kNormalSpeedIndex;
}

}  // namespace

CPlaybackSlots::CPlaybackSlots(CPlaybackSources& sources, CPlayPortPool& ports, CDeviceLookup& devices,
                               CTargetNamer& targets, CRecordListDB& records, CChannelUse& channels)
    : m_sources(sources),
      m_ports(ports),
      m_devices(devices),
      m_targets(targets),
      m_records(records),
      m_channels(channels) {}

int CPlaybackSlots::OpenPort(int slot, HWND window) {
    if (m_slots[slot].state != 0) return 0;
    int port = m_ports.OpenStream(window, PLAY_KIND_DISPLAY);
    if (port < 0) return -1;
    CAutoLock route(&m_routeLock);
    m_slots[slot].source.playPort = port;
    return 0;
}

// Stops the slot for a new source and tells the main window it closed.
void CPlaybackSlots::ResetForNewSource(int slot) {
    Control(slot, 1, 0);
    PostMainWndMessage(WM_TW_SLOT_CLOSED, (WPARAM)slot, kSlotClosedByEngine);
    Sleep(kSlotSettleMs);
}

// 0 when no slot plays the device channel, no download and no conversion
// uses it; else the slot result that says who does. m_lock held.
int CPlaybackSlots::CheckChannelFree(int deviceId, const RECORD_FILE_DESC& desc) {
    for (const RECORD_TASK& other : m_slots) {
        if (PlaysDevice(other.source, deviceId) && other.source.desc.channel == desc.channel)
            return SLOT_ERR_CHANNEL_PLAYING;
    }
    if (m_channels.IsChannelDownloading(deviceId, (int)desc.channel)) return SLOT_ERR_CHANNEL_DOWNLOADING;
    if (m_channels.IsChannelConverting(deviceId, desc)) return SLOT_ERR_CHANNEL_CONVERTING;
    return 0;
}

// Starts a device playback into the slot, by file or by the descriptor's
// time range. 1 playing, or a slot result.
int CPlaybackSlots::PlayDeviceSource(int slot, HWND window, int deviceId, const RECORD_FILE_DESC& desc, bool byTime) {
    if (!SlotIndexValid(slot)) return -1;
    ResetForNewSource(slot);
    CAutoLock guard(&m_lock);
    int busy = CheckChannelFree(deviceId, desc);
    if (busy != 0) return busy;
    if (OpenPort(slot, window) != 0) return SLOT_ERR_NO_PORT;
    guard.Unlock();
    int login = LoginHandleOf(m_devices.GetDevice(deviceId));
    int handle = byTime ? m_sources.PlayByTime(login, (int)desc.channel, &desc.start, &desc.end)
                        : m_sources.PlayByFile(login, desc);
    guard.Lock();
    if (handle == -1) {
        ClosePortLocked(slot);
        return SLOT_ERR_NOT_STARTED;
    }
    CAutoLock route(&m_routeLock);
    RECORD_SOURCE& source = m_slots[slot].source;
    StartFresh(source, handle, deviceId, (int32_t)desc.channel, SOURCE_ITEM_DEVICE);
    source.desc = desc;
    return 1;
}

// Closes the slot's port (when it shows through one) and resets its source.
void CPlaybackSlots::ClosePortLocked(int slot) {
    RECORD_SOURCE& source = m_slots[slot].source;
    if (m_slots[slot].state == 0 && source.playPort >= 0) m_ports.CloseStream(source.playPort);
    CAutoLock route(&m_routeLock);
    source = RECORD_SOURCE();
}

int CPlaybackSlots::PlayRecord(int slot, HWND window, int deviceId, const RECORD_FILE_DESC* desc) {
    return PlayDeviceSource(slot, window, deviceId, *desc, false);
}

int CPlaybackSlots::PlayTimeRange(int slot, HWND window, int deviceId, const RECORD_FILE_DESC* desc) {
    int result = PlayDeviceSource(slot, window, deviceId, *desc, true);
    if (result != 1) return result;
    RECORD_SOURCE source;
    {
        CAutoLock guard(&m_lock);
        source = m_slots[slot].source;
    }
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock listGuard(&playlist.lock);
    playlist.items.assign(1, source);
    playlist.position = 0;
    return 1;
}

int CPlaybackSlots::PlayLocalFile(int slot, int deviceId, int channel, HWND window, CString path) {
    if (!SlotIndexValid(slot)) return -1;
    ResetForNewSource(slot);
    CAutoLock guard(&m_lock);
    if (OpenPort(slot, window) != 0) return -1;
    int sizeKB = 0;
    int handle = m_sources.OpenLocalFile(path, &sizeKB);
    if (handle == -1) {
        ClosePortLocked(slot);
        return -1;
    }
    CAutoLock route(&m_routeLock);
    RECORD_SOURCE& source = m_slots[slot].source;
    StartFresh(source, handle, deviceId, channel, SOURCE_ITEM_LOCAL);
    source.desc.sizeKB = (uint32_t)sizeKB;
    source.desc.channel = (uint32_t)channel;
    CopyPath(source.path, path);
    return 0;
}

int CPlaybackSlots::PlayList(int slot, HWND window, const std::vector<RECORD_SOURCE>& items) {
    if (!SlotIndexValid(slot)) return -1;
    if (items.empty()) {
        Control(slot, 1, 0);
        ClearPlaylist(slot);
        return 0;
    }
    ClearPlaylist(slot);
    const RECORD_SOURCE& first = items.front();
    int result = first.itemType == SOURCE_ITEM_LOCAL
                     ? PlayLocalFile(slot, first.deviceId, first.channel, window, CString(first.path))
                     : PlayRecord(slot, window, first.deviceId, &first.desc);
    if (result < 0) return result;
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock guard(&playlist.lock);
    playlist.items = items;
    playlist.position = 0;
    return 0;
}

int CPlaybackSlots::PlayFiles(int slot, int deviceId, int channel, HWND window, const std::vector<CString>& paths) {
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
    return PlayList(slot, window, items);
}

int CPlaybackSlots::PlayRecords(int slot, HWND window, int deviceId, const std::vector<RECORD_FILE_DESC>& descs) {
    std::vector<RECORD_SOURCE> items;
    for (const RECORD_FILE_DESC& desc : descs) {
        RECORD_SOURCE item;
        item.itemType = SOURCE_ITEM_DEVICE;
        item.deviceId = deviceId;
        item.channel = (int32_t)desc.channel;
        item.desc = desc;
        items.push_back(item);
    }
    return PlayList(slot, window, items);
}

int CPlaybackSlots::PlayItem(int slot, HWND window, int n) {
    if (!SlotIndexValid(slot)) return -1;
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock guard(&playlist.lock);
    if (n < 0 || n >= (int)playlist.items.size()) return 0;
    RECORD_SOURCE item = playlist.items[n];
    if (item.itemType == SOURCE_ITEM_DEVICE) {
        PlayRecord(slot, window, item.deviceId, &item.desc);
    } else if (item.itemType == SOURCE_ITEM_LOCAL) {
        PlayLocalFile(slot, item.deviceId, item.channel, window, CString(item.path));
    }
    playlist.position = n;
    return 0;
}

int CPlaybackSlots::PlayNext(int slot, HWND window) {
    if (!SlotIndexValid(slot)) return -1;
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock guard(&playlist.lock);
    int next = playlist.position + 1;
    if (playlist.items.empty() || next >= (int)playlist.items.size()) return -1;
    RECORD_SOURCE item = playlist.items[next];
    playlist.position = next;
    if (item.itemType == SOURCE_ITEM_LOCAL)
        return PlayLocalFile(slot, item.deviceId, item.channel, window, CString(item.path));
    if (item.itemType == SOURCE_ITEM_DEVICE) PlayRecord(slot, window, item.deviceId, &item.desc);
    return 0;
}

void CPlaybackSlots::SetPlayState(RECORD_SOURCE& source, int32_t state) {
    CAutoLock route(&m_routeLock);
    source.playState = state;
}

int CPlaybackSlots::Control(int slot, int command, unsigned value) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_lock);
    RECORD_TASK& task = m_slots[slot];
    RECORD_SOURCE& source = task.source;
    if (task.sourceCount != 1 || source.sdkHandle == 0) return -1;
    const bool withPort = task.state == 0;
    switch (command) {
        case 1: {
            RECORD_SOURCE stopped = source;
            // The SDK's progress callback takes the slots' lock: stop unlocked.
            guard.Unlock();
            m_sources.Control(stopped.sdkHandle, ControlKindOf(stopped), REPLAY_CMD_STOP, 0);
            guard.Lock();
            ClosePortLocked(slot);
            break;
        }
        case 2:
            if (source.itemType == SOURCE_ITEM_DEVICE && source.desc.sizeKB != 0 && source.done >= source.desc.sizeKB) {
                if (RestartPlayback(slot, false) != 0) return 0;
            }
            m_sources.Control(source.sdkHandle, ControlKindOf(source), REPLAY_CMD_SEEK_FILE,
                              (uint32_t)((uint64_t)value * source.desc.sizeKB / 100));
            if (withPort) m_ports.ClearDisplay(source.playPort);
            break;
        case 3:
            SetPlayState(source, 1);
            if (withPort) m_ports.Pause(source.playPort, 1);
            break;
        case 4:
            SetPlayState(source, 0);
            if (withPort) {
                m_ports.Pause(source.playPort, 0);
                for (; source.speedIndex > kNormalSpeedIndex; --source.speedIndex) m_ports.SlowDown(source.playPort);
                for (; source.speedIndex < kNormalSpeedIndex; ++source.speedIndex) m_ports.SpeedUp(source.playPort);
            }
            break;
        case 5:
            if (source.speedIndex < kMaxSpeedIndex) {
                if (withPort) m_ports.SpeedUp(source.playPort);
                ++source.speedIndex;
            }
            break;
        case 6:
            if (source.speedIndex > 0) {
                if (withPort) m_ports.SlowDown(source.playPort);
                --source.speedIndex;
            }
            break;
        case 7:
            if (source.total != 0 && source.done >= source.total) {
                if (RestartPlayback(slot, true) != 0) return 0;
            }
            m_sources.Control(source.sdkHandle, REPLAY_KIND_PLAYBACK, REPLAY_CMD_SEEK_RANGE,
                              (uint32_t)((uint64_t)value * source.total / 100));
            if (withPort) m_ports.ClearDisplay(source.playPort);
            break;
        default: break;
    }
    return 0;
}

// A playback that ran to its end is started again so it can seek. m_lock is
// held by the caller and released around the stop and the start: the SDK's
// progress callback takes it. 0 restarted, -1 the start failed.
int CPlaybackSlots::RestartPlayback(int slot, bool byTime) {
    RECORD_SOURCE copy = m_slots[slot].source;
    m_lock.Unlock();
    m_sources.Control(copy.sdkHandle, REPLAY_KIND_PLAYBACK, REPLAY_CMD_STOP, 0);
    int login = LoginHandleOf(m_devices.GetDevice(copy.deviceId));
    int handle = byTime ? m_sources.PlayByTime(login, copy.channel, &copy.desc.start, &copy.desc.end)
                        : m_sources.PlayByFile(login, copy.desc);
    m_lock.Lock();
    CAutoLock route(&m_routeLock);
    RECORD_SOURCE& source = m_slots[slot].source;
    if (handle == -1) {
        source.sdkHandle = 0;
        return -1;
    }
    source.sdkHandle = handle;
    source.done = 0;
    return 0;
}

int CPlaybackSlots::Get(int slot, RECORD_TASK* out) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_lock);
    CAutoLock route(&m_routeLock);
    *out = m_slots[slot];
    return 0;
}

int CPlaybackSlots::GetPlaylist(int slot, int* position, std::vector<RECORD_SOURCE>* out) {
    if (!SlotIndexValid(slot)) return -1;
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock guard(&playlist.lock);
    *position = playlist.position;
    *out = playlist.items;
    return 0;
}

int CPlaybackSlots::ClearPlaylist(int slot) {
    if (!SlotIndexValid(slot)) return -1;
    SLOT_PLAYLIST& playlist = m_playlists[slot];
    CAutoLock guard(&playlist.lock);
    playlist.items.clear();
    playlist.position = 0;
    return 0;
}

int CPlaybackSlots::RefreshDisplay(int slot) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_lock);
    const RECORD_SOURCE& source = m_slots[slot].source;
    if (source.sdkHandle == 0 || source.playPort < 0) return -1;
    return m_ports.RefreshPort(source.playPort);
}

int CPlaybackSlots::SetDisplayRegion(int slot, int index, RECT rect, const RECT& ref, HWND window, BOOL enable) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_lock);
    if (m_slots[slot].state != 0) return -2;
    return m_ports.SetDisplayRegionScaled(m_slots[slot].source.playPort, index, rect, ref, window, enable);
}

int CPlaybackSlots::IsDrained(int slot) {
    if (!SlotIndexValid(slot)) return 1;
    CAutoLock guard(&m_lock);
    int port = m_slots[slot].source.playPort;
    return port < 0 ? 1 : m_ports.IsDrained(port);
}

int CPlaybackSlots::SetSound(int slot, int on) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_lock);
    int port = m_slots[slot].source.playPort;
    if (port < 0) {
        m_ports.StopSound(-1);
        return -1;
    }
    return on == 1 ? m_ports.PlaySound(port) : m_ports.StopSound(port);
}

int CPlaybackSlots::GetPlayInfo(int slot, int* fourth, int* fifth, int* sixth) {
    if (!SlotIndexValid(slot)) return -1;
    CAutoLock guard(&m_lock);
    const RECORD_SOURCE& source = m_slots[slot].source;
    if (source.sdkHandle == 0 || source.itemType != SOURCE_ITEM_DEVICE || source.playPort < 0) return -1;
    return m_ports.QueryPortInfo(source.playPort, fourth, fifth, sixth);
}

CString CPlaybackSlots::Snapshot(int slot) {
    if (!SlotIndexValid(slot)) return CString();
    RECORD_SOURCE source;
    int state;
    {
        CAutoLock guard(&m_lock);
        source = m_slots[slot].source;
        state = m_slots[slot].state;
    }
    if (source.sdkHandle == 0 || source.deviceId == 0) return CString();
    DEVICE_RECORD device = m_devices.GetDevice(source.deviceId);
    CTime now = CTime::GetCurrentTime();
    CString path;
    if (m_targets.MakeTargetFileName(&device, source.channel, &now, L"Pic", &path, 2, CString()) != 0) return CString();
    if (state != 0 || !m_ports.CapturePicture(source.playPort, path)) return CString();
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
    if (m_records.Insert(row) < 0) {
        DeleteFileChecked(path);
        return CString();
    }
    return path;
}

bool CPlaybackSlots::IsChannelInUse(int deviceId, int channel) {
    {
        CAutoLock guard(&m_lock);
        for (const RECORD_TASK& slot : m_slots) {
            if (PlaysChannel(slot.source, deviceId, channel)) return true;
        }
    }
    for (SLOT_PLAYLIST& playlist : m_playlists) {
        CAutoLock guard(&playlist.lock);
        if (!playlist.items.empty() && PlaysChannel(playlist.items.front(), deviceId, channel)) return true;
    }
    return false;
}

int CPlaybackSlots::IsFileInUse(const CString& path) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        {
            CAutoLock guard(&m_lock);
            const RECORD_SOURCE& source = m_slots[slot].source;
            if (source.itemType == SOURCE_ITEM_LOCAL && path.CompareNoCase(CString(source.path)) == 0) return 1;
        }
        SLOT_PLAYLIST& playlist = m_playlists[slot];
        CAutoLock guard(&playlist.lock);
        for (const RECORD_SOURCE& item : playlist.items) {
            if (path.CompareNoCase(CString(item.path)) == 0) return 1;
        }
    }
    return 0;
}

bool CPlaybackSlots::UpdateProgress(int handle, uint32_t done, uint32_t total) {
    if (handle == 0) return false;
    CAutoLock guard(&m_lock);
    for (RECORD_TASK& slot : m_slots) {
        if (slot.sourceCount != 1 || slot.source.sdkHandle != handle) continue;
        slot.source.done = done;
        slot.source.total = total;
        return true;
    }
    return false;
}

int CPlaybackSlots::FindByHandle(int handle, int* deviceId, int* channel) {
    CAutoLock guard(&m_lock);
    for (const RECORD_TASK& slot : m_slots) {
        const RECORD_SOURCE* sources[2] = {&slot.source, &slot.secondSource};
        for (int i = 0; i < slot.sourceCount && i < 2; ++i) {
            if (sources[i]->itemType != SOURCE_ITEM_DEVICE || sources[i]->sdkHandle != handle) continue;
            *deviceId = sources[i]->deviceId;
            *channel = (int)sources[i]->desc.channel;
            return 0;
        }
    }
    return -1;
}

int CPlaybackSlots::OnStreamData(int handle, const void* data, int length) {
    if (handle == 0) return 1;
    int slotIndex = -1;
    int port = -1;
    {
        CAutoLock route(&m_routeLock);
        for (int i = 0; i < kSlotCount && slotIndex < 0; ++i) {
            const RECORD_TASK& slot = m_slots[i];
            if (slot.sourceCount < 1 || slot.source.sdkHandle != handle) continue;
            if (slot.source.playState == 1 || slot.state != 0) return -1;
            slotIndex = i;
            port = slot.source.playPort;
        }
    }
    if (slotIndex < 0) return 1;
    // Fed outside the lock: a slot's port is closed only after its source was
    // stopped, and a stop returns only once the data call in flight is over.
    if (!m_ports.InputData(port, static_cast<const uint8_t*>(data), length)) return -1;
    CAutoLock route(&m_routeLock);
    RECORD_SOURCE& source = m_slots[slotIndex].source;
    if (source.sdkHandle == handle) source.received += length;
    return 0;
}

void CPlaybackSlots::CloseDeviceSlots(int deviceId) {
    CloseSlotsWhere([deviceId](const RECORD_SOURCE& source) { return PlaysDevice(source, deviceId); });
}

void CPlaybackSlots::CloseChannelSlots(int deviceId, int channel) {
    CloseSlotsWhere(
        [deviceId, channel](const RECORD_SOURCE& source) { return PlaysChannel(source, deviceId, channel); });
}

void CPlaybackSlots::CloseSlotsWhere(const std::function<bool(const RECORD_SOURCE&)>& plays) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        bool close;
        {
            CAutoLock guard(&m_lock);
            close = plays(m_slots[slot].source);
        }
        if (close) Close(slot);
    }
}

// Empties the slot's playlist, stops it and tells the main window.
void CPlaybackSlots::Close(int slot) {
    ClearPlaylist(slot);
    Control(slot, 1, 0);
    PostMainWndMessage(WM_TW_SLOT_CLOSED, (WPARAM)slot, kSlotClosedByEngine);
}
