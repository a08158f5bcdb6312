// The device registry and its device list file, on real files.
#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "app/core/CAppConfig.h"
#include "app/core/DeviceListIds.h"
#include "app/core/UnreadableFiles.h"
#include "app/engine/CDeviceManager.h"

namespace {

DEVICE_RECORD MakeRecord(int id, const char* title, const char* type = "DVR", int channels = 0) {
    DEVICE_RECORD record;
    record.id = id;
    CopyFixedText(record.title, title);
    CopyFixedText(record.type, type);
    CopyFixedText(record.ip, "192.0.2.10");
    record.channelCount = channels;
    return record;
}

CString Path(const TempDir& dir, const wchar_t* name) { return CString(dir.File(name).c_str()); }

std::string DeviceXml(const std::string& devices) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<Organization grade=\"1\">" + devices +
           "</Organization>\n";
}

TEST(DeviceRegistry, NextIdCountsOnThenWrapsToTheLowestFreeId) {
    CDeviceManager manager;
    EXPECT_EQ(1001, manager.GetNextDeviceId());
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(9999, "last")));
    EXPECT_EQ(10000, manager.GetNextDeviceId());
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1001, "a")));
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1002, "b")));
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(12345, "far")));  // counts as 10345
    // Past the range: the lowest free id from 1001, never one in use.
    EXPECT_EQ(1003, manager.GetNextDeviceId());
    EXPECT_EQ(1004, manager.GetNextDeviceId());
}

TEST(DeviceRegistry, AddingRespectsIdsAndTheLimit) {
    CDeviceManager manager;
    manager.SetMaxDeviceCount(2);
    EXPECT_EQ(-1, manager.AddDeviceRecord(MakeRecord(999, "low")));
    EXPECT_EQ(0, manager.AddDeviceRecord(MakeRecord(1001, "one")));
    EXPECT_EQ(0, manager.AddDeviceRecord(MakeRecord(1001, "one again")));
    EXPECT_EQ(1, manager.GetDeviceCount());  // a replacement never counts twice
    EXPECT_EQ(0, manager.IsFull());
    EXPECT_EQ(0, manager.AddDevice(7, "t", "d", "h", 1, "DVR", "m", "x", "u", "p", 0, "", 7070, "", 0, ""));
    EXPECT_STREQ("t", manager.GetDevice(1007).title);
    EXPECT_EQ(1, manager.IsFull());
    EXPECT_EQ(-1, manager.AddDeviceRecord(MakeRecord(1010, "three")));
    EXPECT_EQ(-1, manager.AddDevice(1011, "t", "", "", 1, "", "", "", "", "", 0, "", 0, "", 0, ""));
    EXPECT_EQ(2, manager.GetDeviceCount());

    EXPECT_EQ(0, manager.DeleteDevice(1001));
    EXPECT_EQ(-1, manager.DeleteDevice(1001));
    EXPECT_EQ(0, manager.AddDevice(12345, "big", "", "", 1, "", "", "", "", "", 0, "", 0, "", 0, ""));
    EXPECT_STREQ("big", manager.GetDevice(10345).title);
}

TEST(DeviceRegistry, ModifyKeepsLongHostNamesAndTheLoginState) {
    CDeviceManager manager;
    DEVICE_RECORD record = MakeRecord(1001, "cam", "DVR", 4);
    record.loggedIn = 1;
    record.loginHandle = 55;
    CopyFixedText(record.channels[2].name, "Yard");
    ASSERT_EQ(0, manager.AddDeviceRecord(record));
    const std::string host = "recorder-number-seven.dyndns.example.org";
    const std::string longUser = "administrator";
    ASSERT_EQ(0, manager.ModifyDevice(1001, "new", "", host.c_str(), 4000, "NVS", "", "", longUser.c_str(), "pw", 1,
                                      "ddns.example", 7071, "dev", 2, "sn"));
    const DEVICE_RECORD stored = manager.GetDevice(1001);
    EXPECT_EQ(host, stored.ip);
    EXPECT_STREQ("administ", stored.user);
    EXPECT_EQ(4000, stored.port);
    EXPECT_EQ(2, stored.logintype);
    EXPECT_EQ(1, stored.loggedIn);
    EXPECT_EQ(55, stored.loginHandle);
    EXPECT_STREQ("Yard", stored.channels[2].name);
    EXPECT_EQ(-1, manager.ModifyDevice(4242, "", "", "", 0, "", "", "", "", "", 0, "", 0, "", 0, ""));
}

TEST(DeviceRegistry, LookupsHandOutCopiesOrTheEmptyRecord) {
    CDeviceManager manager;
    DEVICE_RECORD record = MakeRecord(1007, "Gate", "IPC", 4);
    CopyFixedText(record.channels[3].name, "Door");
    record.loginHandle = 77;
    record.port = 4000;
    ASSERT_EQ(0, manager.AddDeviceRecord(record));
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1008, "Hall", "DVR")));
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1009, "Shop", "DVR")));

    const DEVICE_RECORD missing = manager.GetDevice(4242);
    EXPECT_EQ(0, missing.id);
    EXPECT_EQ(0, missing.port);

    for (int channelId : {1007 * 10000 + 1000 + 3, 1007 * 10000 + 3}) {
        CString title, channel;
        EXPECT_EQ(0, manager.GetChannelName(channelId, title, channel));
        EXPECT_EQ(CString(L"Gate"), title);
        EXPECT_EQ(CString(L"Door"), channel);
        CHANNEL_SLOT slot;
        EXPECT_EQ(0, manager.GetChannelSlot(slot, channelId));
        EXPECT_STREQ("Door", slot.name);
    }
    CHANNEL_SLOT slot;
    EXPECT_EQ(-1, manager.GetChannelSlot(slot, 1007 * 10000 + 999));  // index past 255
    EXPECT_EQ(-1, manager.GetChannelSlot(slot, 4242 * 10000));

    EXPECT_EQ(0, manager.SetChannelValues(1007, 1, 11, 22, 33, 44));
    const DEVICE_RECORD changed = manager.GetDevice(1007);
    EXPECT_EQ(11, changed.channels[1].value3);
    EXPECT_EQ(22, changed.channels[1].value1);
    EXPECT_EQ(33, changed.channels[1].value2);
    EXPECT_EQ(44, changed.channels[1].value4);
    EXPECT_EQ(-1, manager.SetChannelValues(4242, 1, 1, 2, 3, 4));
    EXPECT_EQ(-1, manager.SetChannelValues(1007, 256, 1, 2, 3, 4));

    EXPECT_EQ(1007, manager.FindDeviceByLoginHandle(77).id);
    EXPECT_EQ(0, manager.FindDeviceByLoginHandle(78).id);
    EXPECT_EQ(1007, manager.FindDeviceByAddress("192.0.2.10", 4000).id);
    EXPECT_EQ(0, manager.FindDeviceByAddress("192.0.2.10", 4001).id);

    std::vector<CString> types;
    EXPECT_EQ(2, manager.GetDeviceTypes(types));
    EXPECT_EQ(CString(L"DVR"), types[0]);
    std::vector<DEVICE_RECORD> list;
    EXPECT_EQ(-1, manager.GetLoggedInDevices(list));
    EXPECT_EQ(0, manager.GetDevicesByLoginType(0, list));
    EXPECT_EQ(3u, list.size());
    EXPECT_EQ(-1, manager.GetDevicesByLoginType(2, list));
    EXPECT_EQ(-1, manager.ReplaceDevice(4242, record));
    EXPECT_EQ(0, manager.ReplaceDevice(1009, record));
    EXPECT_EQ(1009, manager.GetDevice(1009).id);  // the id stays the key's
    EXPECT_STREQ("Gate", manager.GetDevice(1009).title);
}

class DeviceXmlFile : public ::testing::Test {
protected:
    void SetUp() override { GetAppConfig()->m_SpecialDevTypes.CfgOCXSpecialDevType.clear(); }
    void TearDown() override {
        GetAppConfig()->m_SpecialDevTypes.CfgOCXSpecialDevType.clear();
        GetAppConfig()->m_strModuleDir = moduleDir;
    }
    TempDir dir;
    const CString moduleDir = GetAppConfig()->m_strModuleDir;
};

TEST_F(DeviceXmlFile, RoundTripKeepsAnsiTextsChannelsAndAlarms) {
    CDeviceManager writer;
    DEVICE_RECORD record = MakeRecord(1001,
                                      "Caf\xE9 S\xFC"
                                      "d <&\"'>",
                                      "DVR", 3);
    CopyFixedText(record.desc,
                  "Entr\xE9"
                  "e");
    CopyFixedText(record.user, "admin");
    CopyFixedText(record.password, "s3cret");
    CopyFixedText(record.cardsn, "SN-1");
    CopyFixedText(record.DDNSDevName, "dev1");
    record.UseDDNS = 1;
    record.logintype = 2;
    record.multiplay = 5;
    record.port = 4001;
    record.DDNSPort = 7071;
    CopyFixedText(record.channels[0].name,
                  "\xC4u\xDF"
                  "en");
    record.channels[0].channelId = 10010000;  // the file keeps ids, the reader rebuilds them
    record.alarmInCount = 2;
    CopyFixedText(record.alarmIn[1].name, "Fen\xEAtre");
    record.alarmIn[1].alarmId = 10011001;
    record.loggedIn = 1;
    ASSERT_EQ(0, writer.AddDeviceRecord(record));
    const CString file = Path(dir, L"device.xml");
    ASSERT_EQ(0, writer.WriteDeviceXml(file));

    const std::string bytes = ReadWholeFile(dir.File(L"device.xml"));
    EXPECT_NE(std::string::npos, bytes.find("title='Caf\xE9 S\xFC"
                                            "d &lt;&amp;&quot;&apos;&gt;'"))
        << bytes;
    EXPECT_NE(std::string::npos, bytes.find("encoding=\"UTF-8\""));
    EXPECT_FALSE(PathExists(dir.File(L"device.xml.tmp")));

    CDeviceManager reader;
    ASSERT_EQ(0, reader.ReadDeviceXml(file));
    const DEVICE_RECORD back = reader.GetDevice(1001);
    EXPECT_STREQ(record.title, back.title);
    EXPECT_STREQ(record.desc, back.desc);
    EXPECT_STREQ("admin", back.user);
    EXPECT_STREQ("s3cret", back.password);
    EXPECT_STREQ("SN-1", back.cardsn);
    EXPECT_STREQ("dev1", back.DDNSDevName);
    EXPECT_EQ(1, back.UseDDNS);
    EXPECT_EQ(2, back.logintype);
    EXPECT_EQ(5, back.multiplay);
    EXPECT_EQ(4001, back.port);
    EXPECT_EQ(7071, back.DDNSPort);
    EXPECT_EQ(3, back.channelCount);
    EXPECT_STREQ(
        "\xC4u\xDF"
        "en",
        back.channels[0].name);
    EXPECT_STREQ("Channel 2", back.channels[1].name);  // filled in by the writer
    EXPECT_STREQ("Channel 2", writer.GetDevice(1001).channels[1].name);
    EXPECT_EQ(1001 * 10000 + 1000 + 2, back.channels[2].channelId);
    EXPECT_EQ(2, back.alarmInCount);
    EXPECT_STREQ("Fen\xEAtre", back.alarmIn[1].name);
    EXPECT_EQ(10011001, back.alarmIn[1].alarmId);
    EXPECT_EQ(0, back.loggedIn);
}

TEST_F(DeviceXmlFile, SpecialTypesAndCameraMarks) {
    GetAppConfig()->m_SpecialDevTypes.CfgOCXSpecialDevType.push_back(L"SVR");
    CDeviceManager writer;
    ASSERT_EQ(0, writer.AddDeviceRecord(MakeRecord(1001, "svr", "SVR", 8)));
    ASSERT_EQ(0, writer.AddDeviceRecord(MakeRecord(1002, "ipc", "IPC", 1)));
    ASSERT_EQ(0, writer.AddDeviceRecord(MakeRecord(1003, "ipsd", "IPSD", 4)));
    const CString file = Path(dir, L"device.xml");
    ASSERT_EQ(0, writer.WriteDeviceXml(file));
    const std::string bytes = ReadWholeFile(dir.File(L"device.xml"));
    const size_t svr = bytes.find("title=\"svr\"");
    const size_t ipc = bytes.find("title=\"ipc\"");
    ASSERT_NE(std::string::npos, svr);
    const std::string svrElement = bytes.substr(svr, ipc - svr);
    EXPECT_NE(std::string::npos, svrElement.find("channel=\"0\" alarm=\"0\""));
    EXPECT_EQ(std::string::npos, svrElement.find("<Channel"));
    EXPECT_EQ(std::string::npos, svrElement.find("multiplay"));
    const std::string rest = bytes.substr(ipc);
    EXPECT_EQ(1u, [&] {
        size_t n = 0;
        for (size_t at = rest.find("camera=\"10\""); at != std::string::npos; at = rest.find("camera=\"10\"", at + 1))
            ++n;
        return n;
    }());

    CDeviceManager reader;
    ASSERT_EQ(0, reader.ReadDeviceXml(file));
    EXPECT_EQ(0, reader.GetDevice(1001).channelCount);
    EXPECT_EQ(4, reader.GetDevice(1003).channelCount);
}

TEST_F(DeviceXmlFile, ReaderClampsCountsAndRenumbersBadIds) {
    std::string devices;
    devices += "<Device id=\"1500\" title=\"big\" channel=\"300\" alarm=\"100\">";
    for (int n = 1; n <= 300; ++n) devices += "<Channel num=\"" + std::to_string(n) + "\" id=\"1\" title=\"c\" />";
    devices += "<Alarm num=\"70\" id=\"5\" title=\"far\" /><Alarm num=\"2\" id=\"15001001\" title=\"\" />";
    devices += "</Device>";
    devices +=
        "<Device id=\"-3\" title=\"negative\" channel=\"-4\" alarm=\"-1\"><Channel num=\"1\" title=\"x\"/></Device>";
    devices += "<Device id=\"7\" title=\"seven\" />";
    devices += "<Device title=\"noid\" />";
    devices += "<Device id=\"12345\" title=\"far\" />";
    devices += "<Device id=\"3000000\" title=\"huge\" />";
    devices +=
        "<Device id=\"1500\" title=\"again\" channel=\"2\"><Channel num=\"3\" title=\"skip\"/>"
        "<Channel title=\"first\"/><Channel num=\"2\" title=\"\"/><Channel num=\"2\"/></Device>";
    WriteWholeFile(dir.File(L"device.xml"), DeviceXml(devices));

    CDeviceManager manager;
    ASSERT_EQ(0, manager.ReadDeviceXml(Path(dir, L"device.xml")));
    std::vector<DEVICE_RECORD> all;
    manager.GetAllDevices(all);
    EXPECT_EQ(all.size(), static_cast<size_t>(manager.GetDeviceCount()));
    ASSERT_EQ(6u, all.size());
    for (const DEVICE_RECORD& record : all) {
        EXPECT_GE(record.id, 1000);
        EXPECT_LE(record.id, kMaxKeptDeviceId);
        EXPECT_GE(record.channelCount, 0);
        EXPECT_LE(record.channelCount, 256);
        EXPECT_GE(record.alarmInCount, 0);
        EXPECT_LE(record.alarmInCount, 64);
    }
    // Ids below 1000 or missing get the next ids after the last; an id past
    // 9999 is kept while its channel ids fit, else it gets the lowest free
    // id once the last id has left the range.
    EXPECT_STREQ("negative", manager.GetDevice(1501).title);
    EXPECT_EQ(0, manager.GetDevice(1501).channelCount);
    EXPECT_STREQ("seven", manager.GetDevice(1502).title);
    EXPECT_STREQ("noid", manager.GetDevice(1503).title);
    EXPECT_STREQ("far", manager.GetDevice(12345).title);
    EXPECT_STREQ("huge", manager.GetDevice(1001).title);
    EXPECT_EQ(1002, manager.GetNextDeviceId());

    // The later element with a known id replaces the earlier one.
    const DEVICE_RECORD again = manager.GetDevice(1500);
    EXPECT_STREQ("again", again.title);
    EXPECT_EQ(2, again.channelCount);
    EXPECT_STREQ("first", again.channels[0].name);  // num missing: index 0
    EXPECT_STREQ("Channel 2", again.channels[1].name);
    EXPECT_EQ(0, again.channels[1].channelId);  // no id attribute
    EXPECT_STREQ("", again.channels[2].name);
}

TEST_F(DeviceXmlFile, ClampedCountsStillFillTheirSlots) {
    std::string devices = "<Device id=\"1500\" title=\"big\" channel=\"300\" alarm=\"100\">";
    for (int n = 1; n <= 300; ++n)
        devices += "<Channel num=\"" + std::to_string(n) + "\" id=\"1\" title=\"c" + std::to_string(n) + "\" />";
    devices += "<Alarm num=\"70\" id=\"5\" title=\"far\" /><Alarm num=\"2\" id=\"15001001\" title=\"\" />";
    devices += "<Alarm num=\"64\" id=\"9\" title=\"last\" /></Device>";
    WriteWholeFile(dir.File(L"device.xml"), DeviceXml(devices));
    CDeviceManager manager;
    ASSERT_EQ(0, manager.ReadDeviceXml(Path(dir, L"device.xml")));
    const DEVICE_RECORD record = manager.GetDevice(1500);
    EXPECT_EQ(256, record.channelCount);
    EXPECT_STREQ("c256", record.channels[255].name);
    EXPECT_EQ(1500 * 10000 + 1000 + 255, record.channels[255].channelId);
    EXPECT_EQ(64, record.alarmInCount);
    EXPECT_EQ(15001001, record.alarmIn[1].alarmId);
    EXPECT_STREQ("", record.alarmIn[1].name);
    EXPECT_STREQ("last", record.alarmIn[63].name);
}

TEST_F(DeviceXmlFile, EmptyMissingBrokenAndLimitedFiles) {
    CDeviceManager manager;
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1001, "old")));
    WriteWholeFile(dir.File(L"empty.xml"), "");
    EXPECT_EQ(0, manager.ReadDeviceXml(Path(dir, L"empty.xml")));
    EXPECT_EQ(0, manager.GetDeviceCount());
    EXPECT_EQ(0, manager.ReadDeviceXml(Path(dir, L"missing.xml")));

    WriteWholeFile(dir.File(L"broken.xml"), DeviceXml("<Device id=\"1001\" title=\"x\">"));
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1001, "old")));
    EXPECT_EQ(-1, manager.ReadDeviceXml(Path(dir, L"broken.xml")));
    EXPECT_EQ(0, manager.GetDeviceCount());

    std::string devices;
    for (int i = 0; i < 5; ++i) devices += "<Device id=\"" + std::to_string(2000 + i) + "\" />";
    WriteWholeFile(dir.File(L"five.xml"), DeviceXml(devices) + DeviceXml("<Device id=\"3000\" />"));
    manager.SetMaxDeviceCount(6);
    ASSERT_EQ(0, manager.ReadDeviceXml(Path(dir, L"five.xml")));
    EXPECT_EQ(6, manager.GetDeviceCount());  // every Organization is read
    manager.SetMaxDeviceCount(3);
    ASSERT_EQ(0, manager.ReadDeviceXml(Path(dir, L"five.xml")));
    EXPECT_EQ(3, manager.GetDeviceCount());
    EXPECT_EQ(0, manager.GetDevice(2003).id);
}

// A user's own list that does not parse is kept aside whole and the devices
// before the damage go on; a file chosen for import is only refused.
TEST_F(DeviceXmlFile, ADamagedOwnListIsKeptAsideWithTheDevicesBeforeTheDamage) {
    const std::string whole = DeviceXml(
        "<Device id=\"1001\" title=\"a\" channel=\"1\"><Channel num=\"1\" id=\"1\" title=\"door\"/></Device>"
        "<Device id=\"1002\" title=\"b\"/><Device id=\"1003\" title=\"c\" channel=\"2\"><Channel num=\"1\" tit");
    const CString file = Path(dir, L"device.xml");
    WriteWholeFile(dir.File(L"device.xml"), whole);
    TakeUnreadableFileNotices();

    CDeviceManager imported;
    EXPECT_EQ(-1, imported.ReadDeviceXml(file));
    EXPECT_TRUE(TakeUnreadableFileNotices().empty());
    EXPECT_EQ(whole, ReadWholeFile(dir.File(L"device.xml")));

    CDeviceManager manager;
    EXPECT_EQ(1, manager.OpenDeviceFile(file));
    EXPECT_EQ(2, manager.GetDeviceCount());
    EXPECT_STREQ("door", manager.GetDevice(1001).channels[0].name);
    EXPECT_STREQ("b", manager.GetDevice(1002).title);
    const std::vector<UNREADABLE_FILE> notices = TakeUnreadableFileNotices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(whole, ReadWholeFile(notices[0].keptAs.GetString()));
    CDeviceManager again;
    EXPECT_EQ(0, again.OpenDeviceFile(file)) << "what was kept is the list now";
    EXPECT_EQ(2, again.GetDeviceCount());
}

// A list another editor saved with a UTF-8 byte-order mark is read and its
// elements saved like any other; the mark is not written back.
TEST_F(DeviceXmlFile, AByteOrderMarkedListIsReadAndSaved) {
    const CString file = Path(dir, L"bom.xml");
    WriteWholeFile(dir.File(L"bom.xml"),
                   "\xEF\xBB\xBF" + DeviceXml("<Device id=\"1001\" title=\"Gate\" /><Device id=\"1002\" />"));
    CDeviceManager manager;
    ASSERT_EQ(0, manager.OpenDeviceFile(file));
    EXPECT_EQ(2, manager.GetDeviceCount());
    EXPECT_STREQ("Gate", manager.GetDevice(1001).title);

    DEVICE_RECORD changed = manager.GetDevice(1002);
    CopyFixedText(changed.title, "Yard");
    ASSERT_EQ(0, manager.ReplaceDevice(1002, changed));
    ASSERT_EQ(0, manager.SaveDeviceElement(1002));
    const std::string bytes = ReadWholeFile(dir.File(L"bom.xml"));
    EXPECT_NE(0, bytes.compare(0, 3, "\xEF\xBB\xBF"));
    CDeviceManager reader;
    ASSERT_EQ(0, reader.ReadDeviceXml(file));
    EXPECT_STREQ("Gate", reader.GetDevice(1001).title);
    EXPECT_STREQ("Yard", reader.GetDevice(1002).title);
}

TEST_F(DeviceXmlFile, SavingWhereNoFileCanBeWrittenFails) {
    CDeviceManager manager;
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1001, "cam")));
    EXPECT_EQ(-2, manager.WriteDeviceXml(CString()));
    EXPECT_EQ(-3, manager.WriteDeviceXml(Path(dir, L"no such folder\\device.xml")));
    WriteWholeFile(dir.File(L"plain.txt"), "x");
    EXPECT_EQ(-3, manager.WriteDeviceXml(Path(dir, L"plain.txt\\device.xml")));
    // A file that the system refuses to replace.
    const CString locked = Path(dir, L"locked.xml");
    WriteWholeFile(dir.File(L"locked.xml"), "old");
    HANDLE holder = CreateFileW(locked, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(-3, manager.WriteDeviceXml(locked));
    CloseHandle(holder);
    EXPECT_EQ("old", ReadWholeFile(dir.File(L"locked.xml")));
    EXPECT_EQ(0, manager.WriteDeviceXml(locked));
}

TEST_F(DeviceXmlFile, SavingOneElementLeavesTheOthers) {
    CDeviceManager manager;
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1001, "one", "DVR", 2)));
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1002, "two", "DVR", 1)));
    const CString file = Path(dir, L"device.xml");
    ASSERT_EQ(0, manager.WriteDeviceXml(file));
    ASSERT_EQ(0, manager.OpenDeviceFile(file));  // the stored path

    DEVICE_RECORD changed = manager.GetDevice(1002);
    CopyFixedText(changed.title, "renamed");
    changed.channelCount = 2;
    CopyFixedText(changed.channels[0].name, "Gate");
    changed.channels[1].name[0] = '\0';
    ASSERT_EQ(0, manager.ReplaceDevice(1002, changed));
    // Another process changed device 1001 in the file meanwhile.
    std::string bytes = ReadWholeFile(dir.File(L"device.xml"));
    const size_t at = bytes.find("title=\"one\"");
    ASSERT_NE(std::string::npos, at);
    bytes.replace(at, 11, "title=\"ONE\"");
    WriteWholeFile(dir.File(L"device.xml"), bytes);

    EXPECT_EQ(0, manager.SaveDeviceElement(1002));
    EXPECT_EQ('\0', manager.GetDevice(1002).channels[1].name[0]);  // default names go to the file only
    CDeviceManager reader;
    ASSERT_EQ(0, reader.ReadDeviceXml(file));
    EXPECT_STREQ("ONE", reader.GetDevice(1001).title);
    EXPECT_STREQ("renamed", reader.GetDevice(1002).title);
    EXPECT_STREQ("Gate", reader.GetDevice(1002).channels[0].name);
    EXPECT_STREQ("Channel 2", reader.GetDevice(1002).channels[1].name);
    const std::string after = ReadWholeFile(dir.File(L"device.xml"));
    EXPECT_NE(std::string::npos, after.find("<Device id=\"1002\" title=\"renamed\" desc=\"\" UseDDNS=\"0\""));

    // An id the registry knows but the file lacks: saved unchanged.
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1003, "three")));
    EXPECT_EQ(0, manager.SaveDeviceElement(1003));
    EXPECT_EQ(after, ReadWholeFile(dir.File(L"device.xml")));
    EXPECT_EQ(-1, manager.SaveDeviceElement(4242));
    CDeviceManager noFile;
    ASSERT_EQ(0, noFile.AddDeviceRecord(MakeRecord(1001, "one")));
    EXPECT_EQ(-1, noFile.SaveDeviceElement(1001));
}

}  // namespace

TEST_F(DeviceXmlFile, ElementSavesNeverUndoAListWrittenMeanwhile) {
    CDeviceManager manager;
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1001, "retried", "DVR", 2)));
    const CString file = Path(dir, L"device.xml");
    ASSERT_EQ(0, manager.WriteDeviceXml(file));
    ASSERT_EQ(0, manager.OpenDeviceFile(file));

    // The login-retry thread saves its device's element over and over while
    // the UI thread adds devices and writes the whole list.
    volatile LONG done = 0;
    std::thread retry([&] {
        while (!done) manager.SaveDeviceElement(1001);
    });
    const int added = 40;
    for (int i = 0; i < added; ++i) {
        ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1002 + i, ("cam" + std::to_string(i)).c_str(), "DVR", 1)));
        ASSERT_EQ(0, manager.WriteDeviceXml());
    }
    InterlockedExchange(&done, 1);
    retry.join();

    CDeviceManager reader;
    ASSERT_EQ(0, reader.ReadDeviceXml(file));
    ASSERT_EQ(added + 1, reader.GetDeviceCount());
    EXPECT_STREQ("retried", reader.GetDevice(1001).title);
    EXPECT_EQ(2, reader.GetDevice(1001).channelCount);
    for (int i = 0; i < added; ++i) EXPECT_STREQ(("cam" + std::to_string(i)).c_str(), reader.GetDevice(1002 + i).title);
}

TEST_F(DeviceXmlFile, TwoManagersOfOneFileNeverWriteBackAnOlderList) {
    // The engine's manager saves elements after logins while the device
    // dialog's own manager writes the whole list of the same file.
    const CString file = Path(dir, L"device.xml");
    CDeviceManager dialogList, engineList;
    dialogList.SetMaxDeviceCount(200);
    for (int i = 0; i < 41; ++i) {
        ASSERT_EQ(0, dialogList.AddDeviceRecord(MakeRecord(1001 + i, ("cam" + std::to_string(i)).c_str(), "DVR", 1)));
    }
    ASSERT_EQ(0, dialogList.WriteDeviceXml(file));
    ASSERT_EQ(0, engineList.OpenDeviceFile(file));
    ASSERT_EQ(0, dialogList.OpenDeviceFile(file));

    volatile LONG done = 0;
    std::thread logins([&] {
        for (int id = 1001; !done; id = id == 1041 ? 1001 : id + 1) engineList.SaveDeviceElement(id);
    });
    auto devicesInFile = [&] {
        CDeviceManager reader;
        reader.SetMaxDeviceCount(200);
        reader.ReadDeviceXml(file);
        return reader.GetDeviceCount();
    };
    for (int round = 0; round < 60; ++round) {
        EXPECT_EQ(dialogList.GetDeviceCount(), devicesInFile()) << "round " << round;
        ASSERT_EQ(0, dialogList.AddDeviceRecord(MakeRecord(1042 + round, "added", "DVR", 1)));
        ASSERT_EQ(0, dialogList.WriteDeviceXml());
    }
    InterlockedExchange(&done, 1);
    logins.join();
    EXPECT_EQ(41 + 60, devicesInFile());
}

TEST_F(DeviceXmlFile, OnlyALeadingDotFolderIsTheProgramFolder) {
    GetAppConfig()->m_strModuleDir = Path(dir, L"program\\");
    CreateDirectoryW(dir.File(L"program").c_str(), nullptr);
    CreateDirectoryW(dir.File(L"program\\u1").c_str(), nullptr);
    CreateDirectoryW(dir.File(L"users").c_str(), nullptr);
    const struct {
        CString path;          // as the configuration hands it over
        std::wstring written;  // where the file really lies
    } cases[] = {
        {L".\\u1\\device.xml", dir.File(L"program\\u1\\device.xml")},
        {Path(dir, L"program\\..\\users\\device.xml"), dir.File(L"users\\device.xml")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(CStringA(c.path)));
        CDeviceManager writer;
        ASSERT_EQ(0, writer.AddDeviceRecord(MakeRecord(1001, "kept")));
        ASSERT_EQ(0, writer.WriteDeviceXml(c.path));
        EXPECT_TRUE(PathExists(c.written));
        CDeviceManager reader;
        ASSERT_EQ(0, reader.OpenDeviceFile(c.path));
        EXPECT_STREQ("kept", reader.GetDevice(1001).title);
    }
}

TEST_F(DeviceXmlFile, TheRegistryKeepsTheIdsThePurgeReads) {
    // Missing and low ids, an id that an earlier element would be given,
    // ids the registry numbered past 9999, one too large to keep, and a
    // second list.
    const std::string devices =
        "<Device id=\"7\" title=\"low\" /><Device title=\"none\" /><Device id=\"1001\" title=\"own\" />"
        "<Device id=\"10000\" title=\"past\" /><Device id=\"10345\" title=\"far\" />"
        "<Device id=\"999999\" title=\"huge\" /><Device id=\"x\" title=\"text\" />";
    WriteWholeFile(dir.File(L"device.xml"), DeviceXml(devices) + DeviceXml("<Device id=\"1002\" title=\"two\" />"));
    const CString file = Path(dir, L"device.xml");

    CDeviceManager registry;
    ASSERT_EQ(0, registry.ReadDeviceXml(file));
    std::vector<DEVICE_RECORD> all;
    registry.GetAllDevices(all);
    std::set<int> kept;
    for (const DEVICE_RECORD& record : all) kept.insert(record.id);
    std::set<int> read;
    ASSERT_EQ(0, ReadDeviceListIds(file, read));
    EXPECT_EQ(8u, kept.size()) << "no device takes another's place";
    EXPECT_EQ(kept, read);
    EXPECT_STREQ("own", registry.GetDevice(1001).title);
    EXPECT_STREQ("past", registry.GetDevice(10000).title);
    EXPECT_STREQ("far", registry.GetDevice(10345).title);
}

TEST_F(DeviceXmlFile, IdsTheRegistryGivesSurviveAReload) {
    CDeviceManager registry;
    ASSERT_EQ(0, registry.AddDeviceRecord(MakeRecord(9999, "last")));
    const int next = registry.GetNextDeviceId();
    ASSERT_EQ(0, registry.AddDeviceRecord(MakeRecord(next, "next")));
    ASSERT_EQ(0, registry.AddDevice(12345, "folded", "", "", 1, "", "", "", "", "", 0, "", 0, "", 0, ""));
    const CString file = Path(dir, L"device.xml");
    ASSERT_EQ(0, registry.WriteDeviceXml(file));

    std::vector<DEVICE_RECORD> before, after;
    registry.GetAllDevices(before);
    ASSERT_EQ(0, registry.ReadDeviceXml(file));
    registry.GetAllDevices(after);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].id, after[i].id);
        EXPECT_STREQ(before[i].title, after[i].title);
    }
    EXPECT_EQ(0, registry.AddDeviceRecord(MakeRecord(kMaxKeptDeviceId, "largest")));
    EXPECT_EQ(-1, registry.AddDeviceRecord(MakeRecord(kMaxKeptDeviceId + 1, "too large")));
}

TEST_F(DeviceXmlFile, TheWriterReadsTheSpecialTypesUnderTheConfigurationLock) {
    CDeviceManager manager;
    ASSERT_EQ(0, manager.AddDeviceRecord(MakeRecord(1001, "dvr", "DVR", 2)));
    const CString file = Path(dir, L"device.xml");
    // A login re-reads the lists on the UI thread while the login-retry
    // thread saves a device: the saver must see the lists before or after.
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread saver;
    GetAppConfig()->ChangeTexts([&](CAppConfig& locked) {
        locked.m_SpecialDevTypes.CfgOCXSpecialDevType.push_back(L"DVR");
        saver = std::thread([&] {
            SetEvent(started);
            manager.WriteDeviceXml(file);
        });
        WaitForSingleObject(started, INFINITE);
        Sleep(300);  // time enough for an unguarded read to happen
        locked.m_SpecialDevTypes.CfgOCXSpecialDevType.clear();
    });
    saver.join();
    CloseHandle(started);
    CDeviceManager reader;
    ASSERT_EQ(0, reader.ReadDeviceXml(file));
    EXPECT_EQ(2, reader.GetDevice(1001).channelCount);
}
