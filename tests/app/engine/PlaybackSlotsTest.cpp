// The playback slots alone: the sources they play, the devices, the namer
// of pictures and the other users of a channel are stand-ins; the play
// ports are the real pool over the playback library, showing in a real
// window, and the record list a real database.
#include <gtest/gtest.h>

#include "PartFakes.h"
#include "TempDir.h"
#include "app/core/SystemUtil.h"
#include "app/core/TwMessages.h"
#include "app/engine/CPlaybackSlots.h"

namespace {

const int kCamera = 1001;
const int kOtherCamera = 1002;
const int kLogin = 42;

class PlaybackSlotsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.Load()) << "qvplay.dll with every ordinal";
        window = CreateWindowW(L"STATIC", L"", WS_OVERLAPPED, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window);
        SetMainWindow(window, nullptr);
        ASSERT_EQ(1, records.Open(CString(temp.File(L"RecordList.db").c_str())));
        devices.Put(kCamera, true, kLogin);
        devices.Put(kOtherCamera, false, 0);
    }
    void TearDown() override {
        for (int slot = 0; slot < kSlotCount; ++slot) slots.Control(slot, 1, 0);
        SetMainWindow(nullptr, nullptr);
        DestroyWindow(window);
    }

    // The slots the engine said it closed, in order.
    std::vector<int> ClosedSlots() {
        std::vector<int> closed;
        MSG msg;
        while (PeekMessageW(&msg, window, WM_TW_SLOT_CLOSED, WM_TW_SLOT_CLOSED, PM_REMOVE)) {
            if (msg.lParam == kSlotClosedByEngine) closed.push_back((int)msg.wParam);
        }
        return closed;
    }
    RECORD_SOURCE Source(int slot) {
        RECORD_TASK task;
        EXPECT_EQ(0, slots.Get(slot, &task));
        return task.source;
    }
    static RECORD_FILE_DESC File(int channel) {
        RECORD_FILE_DESC desc = RecordAt(channel, CTime::GetCurrentTime(), 1, 0, 0, 600);
        desc.sizeKB = 100;
        return desc;
    }

    TempDir temp;
    HWND window = nullptr;
    CQvPlayLibrary library;
    CPlayPortPool ports{library};
    CRecordListDB records;
    FakeSources sources;
    FakeDevices devices;
    FakeTargets targets{temp.Path()};
    FakeChannelUse channels;
    CPlaybackSlots slots{sources, ports, devices, targets, records, channels};
};

TEST_F(PlaybackSlotsTest, AChannelInUseElsewhereIsRefusedWithWhoUsesIt) {
    const RECORD_FILE_DESC file = File(0);
    struct Case {
        const char* user;
        std::set<DeviceChannel> FakeChannelUse::*held;
        int refusal;
    } cases[] = {
        {"a download", &FakeChannelUse::downloading, SLOT_ERR_CHANNEL_DOWNLOADING},
        {"a conversion", &FakeChannelUse::converting, SLOT_ERR_CHANNEL_CONVERTING},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        (channels.*c.held).insert({kCamera, 0});
        EXPECT_EQ(c.refusal, slots.PlayRecord(0, window, kCamera, &file));
        (channels.*c.held).clear();
        EXPECT_EQ(-1, Source(0).playPort) << "a refused slot keeps no port";
    }
    EXPECT_TRUE(sources.started.empty());

    ASSERT_EQ(1, slots.PlayRecord(0, window, kCamera, &file));
    EXPECT_EQ(SLOT_ERR_CHANNEL_PLAYING, slots.PlayRecord(1, window, kCamera, &file));
    EXPECT_EQ(1u, sources.started.size());
}

TEST_F(PlaybackSlotsTest, APlaybackStartsWithTheDevicesLoginAndTakesOnlyItsOwnStream) {
    const RECORD_FILE_DESC file = File(2);
    ASSERT_EQ(1, slots.PlayRecord(0, window, kCamera, &file));
    ASSERT_EQ(1u, sources.started.size());
    EXPECT_EQ(kLogin, sources.started[0].login);
    EXPECT_FALSE(sources.started[0].byTime);
    const int handle = sources.started[0].handle;
    EXPECT_TRUE(slots.IsChannelInUse(kCamera, 2));
    int deviceId = 0, channel = -1;
    ASSERT_EQ(0, slots.FindByHandle(handle, &deviceId, &channel));
    EXPECT_EQ(kCamera, deviceId);
    EXPECT_EQ(2, channel);

    const uint8_t block[64] = {1, 2, 3};
    EXPECT_EQ(0, slots.OnStreamData(handle, block, sizeof(block)));
    EXPECT_EQ((int)sizeof(block), Source(0).received);
    EXPECT_EQ(1, slots.OnStreamData(handle + 1, block, sizeof(block))) << "no slot plays that handle";
    EXPECT_TRUE(slots.UpdateProgress(handle, 30, 100));
    EXPECT_FALSE(slots.UpdateProgress(handle + 1, 30, 100));
    EXPECT_EQ(30u, Source(0).done);

    ASSERT_EQ(0, slots.Control(0, 3, 0));
    EXPECT_EQ(-1, slots.OnStreamData(handle, block, sizeof(block))) << "a paused slot has its data offered again";
    ASSERT_EQ(0, slots.Control(0, 4, 0));
    EXPECT_EQ(0, slots.OnStreamData(handle, block, sizeof(block)));

    // A device that is not logged in is played with no login: the SDK refuses.
    sources.refuse = true;
    EXPECT_EQ(SLOT_ERR_NOT_STARTED, slots.PlayTimeRange(1, window, kOtherCamera, &file));
    ASSERT_EQ(2u, sources.started.size());
    EXPECT_EQ(0, sources.started[1].login);
    EXPECT_TRUE(sources.started[1].byTime);
    EXPECT_EQ(-1, Source(1).playPort);
    EXPECT_FALSE(ports.IsInUse(1)) << "the port opened for it is closed again";
}

TEST_F(PlaybackSlotsTest, SeekingAPlaybackThatRanToItsEndStartsItAgainFirst) {
    const RECORD_FILE_DESC file = File(0);
    ASSERT_EQ(1, slots.PlayRecord(0, window, kCamera, &file));
    const int ended = sources.started[0].handle;
    ASSERT_TRUE(slots.UpdateProgress(ended, file.sizeKB, file.sizeKB));
    sources.commands.clear();

    ASSERT_EQ(0, slots.Control(0, 2, 50));
    ASSERT_EQ(2u, sources.started.size());
    const int again = sources.started[1].handle;
    ASSERT_EQ(2u, sources.commands.size());
    EXPECT_EQ(ended, sources.commands[0].handle);
    EXPECT_EQ(REPLAY_CMD_STOP, sources.commands[0].command);
    EXPECT_EQ(again, sources.commands[1].handle);
    EXPECT_EQ(REPLAY_CMD_SEEK_FILE, sources.commands[1].command);
    EXPECT_EQ(file.sizeKB / 2, sources.commands[1].value);
    EXPECT_EQ(again, Source(0).sdkHandle);
}

TEST_F(PlaybackSlotsTest, APlaylistHoldsItsFilesAndPlaysThemInTurn) {
    const std::wstring first = temp.File(L"first.duz"), second = temp.File(L"second.duz");
    ASSERT_TRUE(WriteWholeFile(first, "a"));
    ASSERT_TRUE(WriteWholeFile(second, "b"));
    ASSERT_EQ(0, slots.PlayFiles(1, kCamera, 3, window, {CString(first.c_str()), CString(second.c_str())}));
    std::vector<std::wstring> opened = {first};
    EXPECT_EQ(opened, sources.opened);
    EXPECT_EQ(1, slots.IsFileInUse(CString(first.c_str())));
    EXPECT_EQ(1, slots.IsFileInUse(CString(second.c_str()))) << "waiting in the playlist";
    EXPECT_EQ(0, slots.IsFileInUse(CString(temp.File(L"other.duz").c_str())));

    ASSERT_EQ(0, slots.PlayNext(1, window));
    opened.push_back(second);
    EXPECT_EQ(opened, sources.opened);
    EXPECT_EQ(std::string(CStringA(second.c_str())), std::string(Source(1).path));
    EXPECT_EQ(-1, slots.PlayNext(1, window)) << "the end of the list";
    EXPECT_EQ((std::vector<int>{1, 1}), ClosedSlots()) << "each new source closes the one before";
}

TEST_F(PlaybackSlotsTest, DroppingADeviceClosesOnlyItsSlotsAndTellsTheMainWindow) {
    const RECORD_FILE_DESC file = File(0);
    devices.Put(kOtherCamera, true, 43);
    ASSERT_EQ(1, slots.PlayRecord(0, window, kCamera, &file));
    ASSERT_EQ(0, slots.PlayRecords(2, window, kOtherCamera, {file, File(1)}));
    ClosedSlots();
    sources.commands.clear();

    slots.CloseDeviceSlots(kOtherCamera);
    EXPECT_EQ(std::vector<int>{2}, ClosedSlots());
    ASSERT_EQ(1u, sources.commands.size());
    EXPECT_EQ(sources.started[1].handle, sources.commands[0].handle);
    EXPECT_EQ(REPLAY_CMD_STOP, sources.commands[0].command);
    int position = -1;
    std::vector<RECORD_SOURCE> playlist;
    ASSERT_EQ(0, slots.GetPlaylist(2, &position, &playlist));
    EXPECT_TRUE(playlist.empty());
    EXPECT_FALSE(slots.IsChannelInUse(kOtherCamera, 0));
    EXPECT_TRUE(slots.IsChannelInUse(kCamera, 0)) << "the other device's slot plays on";
}

}  // namespace
