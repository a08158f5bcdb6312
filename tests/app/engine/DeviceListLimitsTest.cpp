// The device list file against the list's maximum and values out of range:
// nothing of the file is lost and nothing out of range is used or written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "app/core/RefusedValues.h"
#include "app/engine/CDeviceManager.h"

namespace {

std::string DeviceList(int first, int count) {
    std::string devices;
    for (int i = 0; i < count; ++i) {
        const std::string id = std::to_string(first + i);
        devices += "<Device id=\"" + id + "\" title=\"dev" + id + "\" ip=\"192.0.2.1\" port=\"" +
                   std::to_string(30000 + i) + "\" channel=\"1\"><Channel num=\"1\" id=\"1\" title=\"gate" + id +
                   "\" /></Device>";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<Organization grade=\"1\">" + devices +
           "</Organization>\n";
}

}  // namespace

TEST(DeviceListLimits, DevicesPastTheMaximumAreHeldBackAndWrittenAgain) {
    TempDir dir;
    const CString file = dir.File(L"device.xml").c_str();
    ASSERT_TRUE(WriteWholeFile(dir.File(L"device.xml"), DeviceList(1001, 60)));
    CDeviceManager list;
    list.SetMaxDeviceCount(50);
    ASSERT_EQ(0, list.OpenDeviceFile(file));
    EXPECT_EQ(50, list.GetDeviceCount());
    EXPECT_EQ(10, list.GetNotLoadedCount());
    // What the device dialog does: one device removed, one added under a new id.
    ASSERT_EQ(0, list.DeleteDevice(1005));
    DEVICE_RECORD added;
    added.id = list.GetNextDeviceId();
    EXPECT_GT(added.id, 1060) << "the id of a held-back device was given again";
    CopyFixedText(added.title, "new");
    ASSERT_EQ(0, list.AddDeviceRecord(added));
    ASSERT_EQ(0, list.WriteDeviceXml());

    CDeviceManager reader;
    reader.SetMaxDeviceCount(100);
    ASSERT_EQ(0, reader.ReadDeviceXml(file));
    EXPECT_EQ(60, reader.GetDeviceCount());
    EXPECT_EQ(0, reader.GetNotLoadedCount());
    EXPECT_STREQ("dev1060", reader.GetDevice(1060).title);
    EXPECT_STREQ("gate1060", reader.GetDevice(1060).channels[0].name);
    EXPECT_EQ(30059, reader.GetDevice(1060).port);
    EXPECT_EQ(0, reader.GetDevice(1005).id);
    EXPECT_STREQ("new", reader.GetDevice(added.id).title);

    // A list read again starts with what that file holds back.
    CDeviceManager small;
    small.SetMaxDeviceCount(60);
    ASSERT_EQ(0, small.ReadDeviceXml(file));
    EXPECT_EQ(0, small.GetNotLoadedCount());
}

TEST(DeviceListLimits, ValuesOutOfRangeAreRefusedAndTheFileNamed) {
    const struct {
        const char* attributes;
        int port, ddnsPort, loginType, channels;
    } cases[] = {
        {"port=\"70000\"", 37777, 7070, 0, 0},
        {"port=\"-1\"", 37777, 7070, 0, 0},
        {"DDNSPort=\"99999\" port=\"8000\"", 8000, 7070, 0, 0},
        {"logintype=\"7\"", 37777, 7070, 0, 0},
        {"channel=\"300\"", 37777, 7070, 0, 256},
    };
    TakeFilesWithRefusedValues();  // what earlier tests noted
    for (const auto& c : cases) {
        TempDir dir;
        const std::wstring path = dir.File(L"device.xml");
        ASSERT_TRUE(WriteWholeFile(path, std::string("<Organization grade=\"1\"><Device id=\"1001\" title=\"a\" ") +
                                             c.attributes + " /></Organization>"));
        CDeviceManager list;
        ASSERT_EQ(0, list.OpenDeviceFile(path.c_str()));
        const DEVICE_RECORD record = list.GetDevice(1001);
        EXPECT_EQ(c.port, record.port) << c.attributes;
        EXPECT_EQ(c.ddnsPort, record.DDNSPort) << c.attributes;
        EXPECT_EQ(c.loginType, record.logintype) << c.attributes;
        EXPECT_EQ(c.channels, record.channelCount) << c.attributes;
        const std::vector<CString> told = TakeFilesWithRefusedValues();
        ASSERT_EQ(1u, told.size()) << c.attributes;
        EXPECT_STREQ(path.c_str(), told[0]);
        ASSERT_EQ(0, list.WriteDeviceXml());
        const std::string written = ReadWholeFile(path);
        EXPECT_EQ(std::string::npos, written.find(c.attributes)) << written;
    }
}

TEST(DeviceListLimits, AReadOnlyListIsNeverReplaced) {
    TempDir dir;
    const std::wstring path = dir.File(L"device.xml");
    const std::string stored = DeviceList(1001, 2);
    ASSERT_TRUE(WriteWholeFile(path, stored));
    CDeviceManager list;
    ASSERT_EQ(0, list.OpenDeviceFile(path.c_str()));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(0, list.DeleteDevice(1001));
    EXPECT_EQ(-3, list.WriteDeviceXml());
    EXPECT_EQ(-3, list.SaveDeviceElement(1002));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(stored, ReadWholeFile(path));
}

// A held-back device goes back into the file as it stands only when nothing
// of it is refused and the id it was given is its own; else it is written as
// read: the value refused (the file named) and the id given kept, though
// the device before it is gone.
TEST(DeviceListLimits, HeldBackDevicesAreMendedAsListedOnesAre) {
    TempDir dir;
    const std::wstring path = dir.File(L"device.xml");
    ASSERT_TRUE(WriteWholeFile(path,
                               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
                               "<Organization grade=\"1\"><Device id=\"1001\" /><Device title=\"no id\" />"
                               "<Device id=\"1003\" port=\"70000\" /></Organization>\n"));
    TakeFilesWithRefusedValues();
    CDeviceManager list;
    list.SetMaxDeviceCount(1);
    ASSERT_EQ(0, list.OpenDeviceFile(path.c_str()));
    EXPECT_EQ(2, list.GetNotLoadedCount());
    EXPECT_EQ(1u, TakeFilesWithRefusedValues().size());
    ASSERT_EQ(0, list.DeleteDevice(1001));
    ASSERT_EQ(0, list.WriteDeviceXml());

    CDeviceManager reader;
    ASSERT_EQ(0, reader.ReadDeviceXml(path.c_str()));
    EXPECT_STREQ("no id", reader.GetDevice(1002).title);
    EXPECT_EQ(37777, reader.GetDevice(1003).port);
    EXPECT_EQ(std::string::npos, ReadWholeFile(path).find("70000"));
}
