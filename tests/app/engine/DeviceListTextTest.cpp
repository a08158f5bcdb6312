// The device list read straight from its text and written element by
// element: the same devices as through the general parser's document, and
// the same bytes as the document printer writes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TempDir.h"
#include "app/core/RefusedValues.h"
#include "app/engine/CDeviceElementReader.h"
#include "app/engine/CDeviceManager.h"

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n";

struct ListRead {
    int result = 0;
    std::vector<DEVICE_RECORD> devices;
    int heldBack = 0;
    size_t refusedNotices = 0;
};

ListRead ReadList(const std::wstring& path, int maximum) {
    TakeFilesWithRefusedValues();
    ListRead read;
    CDeviceManager list;
    list.SetMaxDeviceCount(maximum);
    read.result = list.ReadDeviceXml(path.c_str());
    list.GetAllDevices(read.devices);
    read.heldBack = list.GetNotLoadedCount();
    read.refusedNotices = TakeFilesWithRefusedValues().size();
    return read;
}

bool SameDevices(const std::vector<DEVICE_RECORD>& a, const std::vector<DEVICE_RECORD>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::memcmp(&a[i], &b[i], sizeof(DEVICE_RECORD)) != 0) return false;
    }
    return true;
}

// Takes every device: never full.
class EveryDevice : public CDeviceElementReader::IList {
public:
    bool Full() override { return false; }
    void Add(const DEVICE_RECORD&) override {}
    void HoldBack(int, const char*, size_t) override {}
};

bool IsPlain(const std::string& text) {
    bool inRange = true;
    EveryDevice list;
    return CDeviceElementReader::ReadPlainList(text.data(), text.size(), list, inRange);
}

}  // namespace

// Each text is read as it stands and again behind a comment, which only the
// general parser takes: the two readings must give the same devices, held
// back and refused alike.
TEST(DeviceListText, ListsReadStraightAgreeWithTheGeneralParser) {
    const struct {
        const char* name;
        std::string devices;
        bool plain;  // read straight from the text
    } cases[] = {
        {"ids missing, low, repeated, past 9999, too large, no number",
         "<Organization grade=\"1\"><Device id=\"7\" title=\"low\" /><Device title=\"none\" />"
         "<Device id=\"1001\" title=\"own\" /><Device id=\"1001\" title=\"again\" /><Device id=\"10345\" />"
         "<Device id=\"999999\" /><Device id=\"x\" /></Organization><Organization><Device id=\"1002\" /></Organization>",
         true},
        {"numbers as sscanf reads them, values out of range",
         "<Organization><Device id=' 1003x' port=' 8000x' DDNSPort='+70' logintype='abc' UseDDNS='5' "
         "channel='2 ' multiplay='-4' alarm='70' /><Device id='1004' port='70000' logintype='3' /></Organization>",
         true},
        {"channels and alarms: counts, numbers, titles, nesting",
         "<Organization><Device id='1005' channel='3' alarm='2'><Channel num='2' id='9' title='two' />"
         "<Alarm num='1' id='77' title='' /><Channel num='9' title='past' /><Channel title='' />"
         "<Channel num='3' /><Channel num='2' title='late' /><x><Channel num='1' title='deep' /></x>"
         "<Alarm num='2' id='78' title='door' /><Alarm num='1' id='79' title='more' /></Device>"
         "<Device id='1006' channel='1'><Channel num='1' id='1' title='' /></Device></Organization>",
         true},
        {"quotes, other markup and text between elements",
         "<Organization>text<Device id='1007' title='say \"hi\"' desc=\"it's\" type='IPC' channel='1'>"
         "<Channel num='1' id='1' title='x>'/></Device>more<Device id='1008'><Device id='1009'/></Device>"
         "</Organization><Device id='1010' />",
         true},
        {"plain apart from entities",
         "<Organization><Device id='1011' title='a&amp;b' channel='1'><Channel num='1' title='&quot;' /></Device>"
         "</Organization>",
         false},
        {"plain apart from a number longer than an int",
         "<Organization><Device id='1012' title='first' /><Device id='1013' port='123456789012' />"
         "</Organization>",
         false},
        {"channel names from the program",
         "<Organization grade=\"1\">\n    <Device id=\"1014\" title=\"gate\" channel=\"2\">\n"
         "        <Channel num=\"1\" id=\"1\" title=\"north\" camera=\"0\" />\n"
         "        <Channel num=\"2\" id=\"1\" title=\"\" camera=\"0\" />\n    </Device>\n</Organization>\n",
         true},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = kHead + c.devices;
        EXPECT_EQ(c.plain, IsPlain(text));
        ASSERT_TRUE(WriteWholeFile(dir.File(L"straight.xml"), text));
        ASSERT_TRUE(WriteWholeFile(dir.File(L"parsed.xml"), "<!-- read by the parser -->" + text));
        for (int maximum : {50, 2}) {
            const ListRead straight = ReadList(dir.File(L"straight.xml"), maximum);
            const ListRead parsed = ReadList(dir.File(L"parsed.xml"), maximum);
            EXPECT_EQ(0, straight.result);
            EXPECT_EQ(parsed.result, straight.result);
            EXPECT_FALSE(straight.devices.empty());
            EXPECT_TRUE(SameDevices(parsed.devices, straight.devices)) << "maximum " << maximum;
            EXPECT_EQ(parsed.heldBack, straight.heldBack) << "maximum " << maximum;
            EXPECT_EQ(parsed.refusedNotices, straight.refusedNotices) << "maximum " << maximum;
        }
    }
}

// The list is written element by element; rewriting one element goes
// through the document printer, which must find nothing to change, held-back
// devices included.
TEST(DeviceListText, AListWrittenWholeIsWhatTheDocumentPrinterWrites) {
    TempDir dir;
    const CString file = dir.File(L"device.xml").c_str();
    {
        CDeviceManager writer;
        writer.SetMaxDeviceCount(10);
        DEVICE_RECORD plain;
        plain.id = 1001;
        CopyFixedText(plain.title, "gate");
        plain.channelCount = 3;
        CopyFixedText(plain.channels[0].name, "north");  // the others unnamed
        plain.alarmInCount = 1;
        plain.alarmIn[0].alarmId = 10011000;
        CopyFixedText(plain.alarmIn[0].name, "door");
        DEVICE_RECORD odd;
        odd.id = 1002;
        CopyFixedText(odd.title, "say \"<hi>\" & 'bye'");
        CopyFixedText(odd.desc, "tab\there\x01\xE9");
        CopyFixedText(odd.type, "IPC");
        odd.channelCount = 1;
        odd.port = 65535;
        odd.multiplay = -7;
        DEVICE_RECORD bare;
        bare.id = 1003;
        ASSERT_EQ(0, writer.AddDeviceRecord(plain));
        ASSERT_EQ(0, writer.AddDeviceRecord(odd));
        ASSERT_EQ(0, writer.AddDeviceRecord(bare));
        ASSERT_EQ(0, writer.WriteDeviceXml(file));
    }
    CDeviceManager list;
    list.SetMaxDeviceCount(1);
    ASSERT_EQ(0, list.OpenDeviceFile(file));
    ASSERT_EQ(2, list.GetNotLoadedCount());
    ASSERT_EQ(0, list.WriteDeviceXml());
    const std::string written = ReadWholeFile(dir.File(L"device.xml"));
    EXPECT_NE(std::string::npos, written.find("title='say &quot;&lt;hi&gt;&quot; &amp; &apos;bye&apos;'")) << written;
    ASSERT_EQ(0, list.SaveDeviceElement(1001));
    EXPECT_EQ(written, ReadWholeFile(dir.File(L"device.xml")));

    // A list without devices, and an element the file does not hold: the
    // document printer writes the file unchanged.
    CDeviceManager empty;
    ASSERT_EQ(0, empty.WriteDeviceXml(file));
    const std::string none = ReadWholeFile(dir.File(L"device.xml"));
    CDeviceManager other;
    ASSERT_EQ(0, other.OpenDeviceFile(file));
    ASSERT_EQ(0, other.AddDeviceRecord(list.GetDevice(1001)));
    ASSERT_EQ(0, other.SaveDeviceElement(1001));
    EXPECT_EQ(none, ReadWholeFile(dir.File(L"device.xml")));
}

// Devices held back past the maximum are written again as the file holds
// them: a list read and written back unchanged keeps its bytes, channel ids
// of the last login included.
TEST(DeviceListText, HeldBackDevicesAreWrittenAgainAsTheFileHoldsThem) {
    TempDir dir;
    const CString file = dir.File(L"device.xml").c_str();
    {
        CDeviceManager writer;
        for (int id = 1001; id <= 1004; ++id) {
            DEVICE_RECORD record;
            record.id = id;
            CopyFixedText(record.title, "plain");
            // The one device listed has nothing that reading changes.
            record.channelCount = id == 1001 ? 0 : 2;
            record.channels[0].channelId = id * 10000;  // as a login numbers them
            CopyFixedText(record.channels[1].name, "yard");
            record.alarmInCount = id == 1004 ? 1 : 0;
            ASSERT_EQ(0, writer.AddDeviceRecord(record));
        }
        ASSERT_EQ(0, writer.WriteDeviceXml(file));
    }
    const std::string written = ReadWholeFile(dir.File(L"device.xml"));
    // The same devices with 1004 before 1002 and 1003, as a hand-edited file
    // may hold them: written back in id order like every list.
    const size_t second = written.find("<Device", written.find("<Device") + 1);
    const size_t fourth = written.find("<Device", written.find("<Device", second + 1) + 1);
    const size_t end = written.find("</", written.rfind("</Device>") + 1);
    ASSERT_TRUE(second != std::string::npos && fourth != std::string::npos && end != std::string::npos);
    const size_t lineOf[] = {written.rfind('\n', second) + 1, written.rfind('\n', fourth) + 1,
                             written.rfind('\n', end) + 1};
    const std::string reordered = written.substr(0, lineOf[0]) + written.substr(lineOf[1], lineOf[2] - lineOf[1]) +
                                  written.substr(lineOf[0], lineOf[1] - lineOf[0]) + written.substr(lineOf[2]);
    ASSERT_NE(written, reordered);
    for (const std::string& text : {written, reordered}) {
        ASSERT_TRUE(WriteWholeFile(dir.File(L"device.xml"), text));
        CDeviceManager list;
        list.SetMaxDeviceCount(1);
        ASSERT_EQ(0, list.OpenDeviceFile(file));
        ASSERT_EQ(3, list.GetNotLoadedCount());
        ASSERT_EQ(0, list.WriteDeviceXml());
        EXPECT_EQ(written, ReadWholeFile(dir.File(L"device.xml")));
    }
}

// One device's element is put into the list only when it differs from the
// record: the file is otherwise left as it was (not replaced), and a change
// gives the bytes the whole list would be written with.
TEST(DeviceListText, OneElementIsRewrittenOnlyWhenItChanged) {
    TempDir dir;
    const std::wstring path = dir.File(L"device.xml");
    const std::wstring whole = dir.File(L"whole.xml");
    const struct {
        const char* name;
        const char* firstTitle;
    } forms[] = {{"plain", "gate"}, {"an entity: read by the parser", "R&D"}};
    for (const auto& form : forms) {
        SCOPED_TRACE(form.name);
        CDeviceManager list;
        for (int id = 1001; id <= 1003; ++id) {
            DEVICE_RECORD record;
            record.id = id;
            CopyFixedText(record.title, id == 1001 ? form.firstTitle : "gate");
            record.channelCount = 1;
            record.channels[0].channelId = id * 10000 + 1000;  // as the list is read
            ASSERT_EQ(0, list.AddDeviceRecord(record));
        }
        ASSERT_EQ(0, list.WriteDeviceXml(path.c_str()));
        ASSERT_EQ(0, list.OpenDeviceFile(path.c_str()));
        const std::string stored = ReadWholeFile(path);
        const unsigned long long identity = FileIdentity(path);

        EXPECT_EQ(0, list.SaveDeviceElement(1002));
        EXPECT_EQ(identity, FileIdentity(path)) << "replaced though unchanged";
        EXPECT_EQ(stored, ReadWholeFile(path));

        DEVICE_RECORD renamed = list.GetDevice(1002);
        CopyFixedText(renamed.title, "door");
        renamed.channelCount = 2;
        ASSERT_EQ(0, list.ReplaceDevice(1002, renamed));
        EXPECT_EQ(0, list.SaveDeviceElement(1002));
        ASSERT_EQ(0, list.WriteDeviceXml(whole.c_str()));
        EXPECT_EQ(ReadWholeFile(whole), ReadWholeFile(path));
    }
}
