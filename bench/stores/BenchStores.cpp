// How long the program's stores take with huge but valid files: a device.xml
// of N devices, a backupschedule.xml of N schedules, a log month of N records
// and a RecordList.db of N rows, each read the way the program reads it, and
// written back where the program writes it back. Peak memory is printed too:
// a store that copies a large record per element shows there first.
//   bench_stores.exe [N, 100000] [channels per device, 4] [rounds, 3] [device maximum, 2000]
#include <windows.h>
#include <psapi.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "TempDir.h"
#include "bench/support/BenchLoopback.h"
#include "app/core/CAppConfig.h"
#include "app/core/CBackupScheduleStore.h"
#include "app/core/CLogDB.h"
#include "app/core/CSqlCommand.h"
#include "app/core/TextValues.h"
#include "app/core/CRecordListDB.h"
#include "app/core/DeviceListIds.h"
#include "app/engine/CDeviceElementReader.h"
#include "app/engine/CDeviceListStore.h"
#include "app/engine/CDeviceManager.h"
#include "app/core/CFileView.h"
#include "tests/app/ui/dialogs/userlog/LogMonthFixture.h"

namespace {

double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

struct Figure {
    std::string name;
    std::vector<double> runs;
};

void Print(const Figure& figure) {
    printf("%-52s", figure.name.c_str());
    for (double ms : figure.runs) printf(" %8.0f", ms);
    printf("  ms\n");
}

// The device list as the program writes it, made as text: writing it through
// a device manager would itself hold every record.
std::string DeviceXml(int devices, int channels) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<Organization grade=\"1\">\n";
    char line[512];
    for (int i = 0; i < devices; ++i) {
        const int id = 1001 + i;
        snprintf(line, sizeof line,
                 "    <Device id=\"%d\" title=\"Recorder %06d\" desc=\"\" UseDDNS=\"0\" DDNSIP=\"\" DDNSPort=\"7070\" "
                 "DDNSDevName=\"\" ip=\"127.0.0.1\" port=\"9\" manufacturer=\"\" type=\"DVR\" model=\"\" "
                 "user=\"admin\" password=\"admin\" logintype=\"0\" cardsn=\"\" rights=\"\" alertout=\"0\" "
                 "channel=\"%d\" multiplay=\"0\" alarm=\"0\"%s\n",
                 id, i + 1, channels, channels > 0 ? ">" : " />");
        xml += line;
        for (int c = 0; c < channels; ++c) {
            snprintf(line, sizeof line, "        <Channel num=\"%d\" id=\"%d\" title=\"Camera %02d\" camera=\"0\" />\n",
                     c + 1, id * 10000 + 1000 + c, c + 1);
            xml += line;
        }
        if (channels > 0) xml += "    </Device>\n";
    }
    xml += "</Organization>\n";
    return xml;
}

bool WriteSchedules(const CString& path, int schedules, int devices, int channels) {
    CBackupScheduleStore store;
    for (int i = 0; i < schedules; ++i) {
        BACKUP_SCHEDULE schedule;
        schedule.DevID = 1001 + i % devices;
        schedule.ChannelIndex = channels > 0 ? (i / devices) % channels : 0;
        schedule.RunTime = {1, 0, 23, 0};
        schedule.RecordTime = {8, 30, 17, 45};
        for (int day = 0; day < kDaysPerWeek; ++day) schedule.WeekDayEnable[day] = 1;
        schedule.AgoType = 1;
        store.AddAuto(schedule);
    }
    return store.Save(path) == 0;
}

// Rows in one transaction through plain SQL, then the class opens the file
// once so that its indexes exist before the timed opens.
bool WriteRecordList(const CString& path, int rows) {
    {
        CRecordListDB list;
        if (!list.Open(path) || list.CheckTable(0) != 0) return false;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open16(static_cast<LPCWSTR>(path), &db) != SQLITE_OK) return false;
    sqlite3_stmt* insert = nullptr;
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(db,
                                 "INSERT INTO D_RecordList(L_ID,L_DevID,I_ChannelIndex,L_SrcDevID,I_SrcChannelIndex,"
                                 "I_Type,C_StartTime,C_EndTime,I_FileType,C_CardSN,C_Info,C_FilePath,L_FileLen,"
                                 "C_UpdateTime,I_RecType) VALUES(?,?,?,0,0,0,?,?,0,'','',?,300000,?,0)",
                                 -1, &insert, nullptr) == SQLITE_OK;
    char start[32], end[32], file[128];
    for (int i = 0; ok && i < rows; ++i) {
        const int day = i / 1000, hour = (i / 40) % 24;
        snprintf(start, sizeof start, "2026-%02d-%02d %02d:00:00", day / 28 % 12 + 1, day % 28 + 1, hour);
        snprintf(end, sizeof end, "2026-%02d-%02d %02d:59:59", day / 28 % 12 + 1, day % 28 + 1, hour);
        snprintf(file, sizeof file, "D:\\record\\%d\\%d\\%d.dav", 1001 + i % 40, i % 16, i);
        sqlite3_bind_int(insert, 1, i + 1);
        sqlite3_bind_int(insert, 2, 1001 + i % 40);
        sqlite3_bind_int(insert, 3, i % 16);
        sqlite3_bind_text(insert, 4, start, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, end, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 6, file, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 7, end, -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ok = sqlite3_exec(db, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
    sqlite3_close(db);
    return ok;
}

// Reads every device of the list into a record, as a list without a
// maximum would.
class ChannelTotals : public CDeviceElementReader::IList {
public:
    bool Full() override { return false; }
    void Add(const DEVICE_RECORD& record) override { m_totals.push_back(record.channelCount); }
    void HoldBack(int, const char*, size_t) override {}

private:
    std::vector<int> m_totals;
};

double Time(const std::function<void()>& work) {
    const LARGE_INTEGER begin = BenchNow();
    work();
    return 1000.0 * BenchSeconds(begin, BenchNow());
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? atoi(argv[1]) : 100000;
    const int channels = std::min(argc > 2 ? atoi(argv[2]) : 4, static_cast<int>(kMaxChannels));
    const int rounds = argc > 3 ? atoi(argv[3]) : 3;
    const int deviceMaximum = argc > 4 ? atoi(argv[4]) : 2000;

    TempDir temp;
    const CString folder(temp.Path().c_str());
    const CString deviceFile = folder + L"\\device.xml";
    const CString scheduleFile = folder + L"\\backupschedule.xml";
    const CString recordList = folder + L"\\RecordList.db";
    CAppConfig* config = GetAppConfig();
    config->m_strUserDir = folder + L"\\";
    config->m_strModuleDir = folder + L"\\";
    config->m_nDevMaxCount = deviceMaximum;

    const LARGE_INTEGER begin = BenchNow();
    const std::string devicesText = DeviceXml(count, channels);
    CLogDB log;
    log.SetDirectory(folder + L"\\Log\\");
    const CTime month(2026, 11, 1, 0, 0, 0);
    if (!WriteWholeFile(temp.File(L"device.xml"), devicesText) ||
        !WriteSchedules(scheduleFile, count, std::min(count, deviceMaximum), channels) ||
        !WriteLogMonth(log, month, count) || !WriteRecordList(recordList, count)) {
        fprintf(stderr, "could not write the files\n");
        return 1;
    }
    printf(
        "N = %d (devices of %d channels, device.xml %.1f MB; schedules over the first %d devices; log records;"
        " record-list rows); files written in %.0f ms\n",
        count, channels, static_cast<double>(devicesText.size()) / 1e6, std::min(count, deviceMaximum),
        1000.0 * BenchSeconds(begin, BenchNow()));

    Figure openDevices{"device.xml: open (maximum " + std::to_string(deviceMaximum) + ")", {}};
    Figure saveDevice{"device.xml: one element saved, unchanged (a login)", {}};
    Figure writeDevices{"device.xml: write back (OK), held-back kept", {}};
    Figure readDevices{"device.xml: records only (no registry)", {}};
    Figure printDevices{"device.xml: elements of the records only", {}};
    Figure boundDevices{"device.xml: where each element lies (one pass)", {}};
    Figure deviceIds{"device.xml: ids only (schedule store's check)", {}};
    Figure loadSchedules{"backupschedule.xml: load", {}};
    Figure saveSchedules{"backupschedule.xml: save", {}};
    Figure queryLog{"log month: query, every record", {}};
    Figure stepLog{"log month: rows stepped, nothing read", {}};
    Figure textLog{"log month: rows stepped, texts read", {}};
    Figure timesLog{"log month: rows stepped, times parsed", {}};
    Figure openRecords{"RecordList.db: open", {}};

    size_t rows = 0;
    int heldBack = 0;
    for (int round = 0; round < rounds; ++round) {
        {
            CDeviceManager devices;
            devices.SetMaxDeviceCount(deviceMaximum);
            openDevices.runs.push_back(Time([&] { devices.OpenDeviceFile(deviceFile); }));
            heldBack = devices.GetNotLoadedCount();
            saveDevice.runs.push_back(Time([&] { devices.SaveDeviceElement(1001 + round); }));
            writeDevices.runs.push_back(Time([&] { devices.WriteDeviceXml(deviceFile); }));
        }
        {
            CFileView view;
            view.Open(deviceFile);
            ChannelTotals channelTotals;
            bool inRange = true;
            readDevices.runs.push_back(Time([&] {
                if (!CDeviceElementReader::ReadPlainList(view.Data(), view.Size(), channelTotals, inRange))
                    printf("round %d: device.xml is not in the plain form\n", round + 1);
            }));
            std::vector<PLAIN_DEVICE_ELEMENT> elements;
            boundDevices.runs.push_back(Time([&] {
                ReadPlainDeviceElements(view.Data(), view.Size(), elements, &CDeviceElementReader::NothingRefused);
            }));
            DEVICE_RECORD record;
            record.channelCount = channels;
            CopyFixedText(record.title, "Recorder 000001");
            for (int c = 0; c < channels; ++c) CopyFixedText(record.channels[c].name, "Camera 01");
            printDevices.runs.push_back(Time([&] {
                std::string text;
                for (int i = 0; i < count; ++i) text += CDeviceListStore::ElementText(record);
            }));
        }
        deviceIds.runs.push_back(Time([&] {
            std::set<int> ids;
            ReadDeviceListIds(deviceFile, ids);
        }));
        {
            CBackupScheduleStore store;
            loadSchedules.runs.push_back(Time([&] { store.Load(scheduleFile); }));
            std::vector<BACKUP_SCHEDULE> all;
            store.ListAll(all, 0);
            rows = all.size();
            saveSchedules.runs.push_back(Time([&] { store.Save(scheduleFile); }));
        }
        queryLog.runs.push_back(Time([&] {
            std::vector<LOG_RECORD> records;
            const LOG_TIME noTime = GetDefaultLogTime();
            log.Query(records, month.GetYear(), month.GetMonth(), -1, -1, L"", noTime, noTime, -1, -1, -1, -1, -1, -1);
        }));
        {
            sqlite3* db = CSqlCommand::OpenFile(log.GetMonthFile(month.GetTime()), true, 1000);
            const CSqlCommand select(
                "SELECT L_ID,I_LogType,I_SubType,C_StartTime,C_StopTime,L_SrcDevID,"
                "I_SrcChannelIdx,L_DesDevID,I_DesChannelIdx,I_Option,C_Information,C_FileName,"
                "C_OtherInfo,C_UserID,C_UpdateTime FROM D_Logs WHERE 1 = 1 ORDER BY +L_ID");
            size_t seen = 0;
            stepLog.runs.push_back(Time([&] { select.ForEachRow(db, [&](sqlite3_stmt*) { ++seen; }); }));
            textLog.runs.push_back(Time([&] {
                select.ForEachRow(db, [&](sqlite3_stmt* stmt) {
                    for (int column : {3, 4, 10, 11, 12, 13, 14})
                        seen += CSqlCommand::ColumnText(stmt, column).GetLength();
                });
            }));
            timesLog.runs.push_back(Time([&] {
                select.ForEachRow(db, [&](sqlite3_stmt* stmt) {
                    for (int column : {3, 4, 14})
                        seen += static_cast<size_t>(ParseTimeString(CSqlCommand::ColumnText(stmt, column)) & 1);
                });
            }));
            CSqlCommand::CloseFile(db);
        }
        openRecords.runs.push_back(Time([&] {
            CRecordListDB list;
            list.Open(recordList);
            list.CheckTable(0);
        }));
    }
    printf("held back past the maximum: %d; schedules loaded: %zu\n", heldBack, rows);
    for (const Figure* figure :
         {&openDevices, &saveDevice, &writeDevices, &readDevices, &printDevices, &boundDevices, &deviceIds,
          &loadSchedules, &saveSchedules, &queryLog, &stepLog, &textLog, &timesLog, &openRecords})
        Print(*figure);
    printf("peak working set %.0f MB\n", PeakMegabytes());
    return 0;
}
