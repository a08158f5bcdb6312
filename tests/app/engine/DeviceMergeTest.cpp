// The device dialogs' merge of edited fields into a live device record.
#include <gtest/gtest.h>

#include "app/engine/CDeviceManager.h"

namespace {

// A logged-in device as the login thread leaves it.
DEVICE_RECORD LiveRecord() {
    DEVICE_RECORD live;
    live.id = 1001;
    CopyFixedText(live.title, "old title");
    CopyFixedText(live.ip, "192.0.2.1");
    CopyFixedText(live.manufacturer, "maker");
    CopyFixedText(live.DDNSIP, "ddns.example");
    live.UseDDNS = 1;
    live.loggedIn = 1;
    live.loginHandle = 77;
    live.talkOpen = 1;
    live.fileJobActive = 1;
    live.fileJobHandle = 9;
    live.channelCount = 2;
    live.channels[0].channelId = 10010000;
    live.channels[1].channelId = 10010001;
    live.channels[1].flagA = 1;
    live.alarmInCount = 1;
    live.alarmIn[0].alarmId = 10011000;
    live.recordState[0] = 3;
    return live;
}

// The dialog's working copy: a stale snapshot with the operator's edits.
DEVICE_RECORD EditedCopy() {
    DEVICE_RECORD edited;
    edited.id = 1001;
    CopyFixedText(edited.title, "new title");
    CopyFixedText(edited.desc, "by the gate");
    CopyFixedText(edited.ip, "192.0.2.1");
    CopyFixedText(edited.user, "admin");
    CopyFixedText(edited.password, "secret");
    CopyFixedText(edited.type, "NVS");
    CopyFixedText(edited.model, "m2");
    CopyFixedText(edited.manufacturer, "other");
    edited.port = 4000;
    edited.UseDDNS = 0;
    edited.channelCount = 2;
    CopyFixedText(edited.channels[0].name, "Gate");
    CopyFixedText(edited.channels[1].name, "Yard");
    edited.alarmInCount = 1;
    CopyFixedText(edited.alarmIn[0].name, "Door");
    return edited;
}

}  // namespace

TEST(DeviceMerge, EditedFieldsReachTheLiveRecordAndItsSessionStays) {
    CDeviceManager manager;
    ASSERT_EQ(0, manager.AddDeviceRecord(LiveRecord()));
    ASSERT_EQ(0, manager.MergeDeviceFields(1001, EditedCopy()));

    const DEVICE_RECORD merged = manager.GetDevice(1001);
    EXPECT_STREQ("new title", merged.title);
    EXPECT_STREQ("by the gate", merged.desc);
    EXPECT_STREQ("secret", merged.password);
    EXPECT_STREQ("NVS", merged.type);
    EXPECT_EQ(4000, merged.port);
    EXPECT_STREQ("Gate", merged.channels[0].name);
    EXPECT_STREQ("Door", merged.alarmIn[0].name);
    // DDNS switched off: its server is forgotten, its port back to the default.
    EXPECT_EQ(0, merged.UseDDNS);
    EXPECT_STREQ("", merged.DDNSIP);
    EXPECT_EQ(kDefaultDdnsPort, merged.DDNSPort);
    // What the login wrote stays: session, keys, job, states, maker.
    EXPECT_EQ(1001, merged.id);
    EXPECT_EQ(1, merged.loggedIn);
    EXPECT_EQ(77, merged.loginHandle);
    EXPECT_EQ(1, merged.talkOpen);
    EXPECT_EQ(1, merged.fileJobActive);
    EXPECT_EQ(9, merged.fileJobHandle);
    EXPECT_EQ(10010001, merged.channels[1].channelId);
    EXPECT_EQ(1, merged.channels[1].flagA);
    EXPECT_EQ(10011000, merged.alarmIn[0].alarmId);
    EXPECT_EQ(3, merged.recordState[0]);
    EXPECT_STREQ("maker", merged.manufacturer);

    EXPECT_EQ(-1, manager.MergeDeviceFields(4242, EditedCopy()));
}

TEST(DeviceMerge, CountsOutsideTheSlotsNeverOverrun) {
    DEVICE_RECORD target = LiveRecord();
    DEVICE_RECORD edited = EditedCopy();
    edited.channelCount = 100000;
    edited.alarmOutCount = -5;
    CDeviceManager::MergeDeviceFields(target, edited);
    EXPECT_STREQ("Gate", target.channels[0].name);
    EXPECT_EQ(100000, target.channelCount);
}
